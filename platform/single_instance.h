// The per-user single-instance guard: an advisory lock file the kernel releases
// when the holder exits, however it exits.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock "<runtime folder>/<name>.lock" without waiting. False when another
    // process holds it or the file cannot be created.
    [[nodiscard]] bool TryAcquire(const std::string& name);
    bool Held() const { return m_fd >= 0; }
    void Release();

private:
    int m_fd = -1;
};

}  // namespace platform
