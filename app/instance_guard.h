// InstanceGuard: makes sure only one copy of the installer runs per user.
#pragma once

#include <memory>
#include <string>

namespace platform {
class InstanceLock;
}

// The full guard name is "D1A547DB89C0BC61_" followed by `Name`.
constexpr wchar_t kInstanceGuardPrefix[] = L"D1A547DB89C0BC61_";

class InstanceGuard {
public:
    explicit InstanceGuard(std::wstring name);
    ~InstanceGuard();  // releases the guard when held

    // Takes the guard unless it is already held; afterwards Held() is true exactly
    // when this process owns it. Another process holding it, or a lock file that
    // cannot be made, leaves it not held.
    void Acquire();
    bool Held() const;
    void Release();

    std::wstring Name;

private:
    std::unique_ptr<platform::InstanceLock> m_lock;
};
