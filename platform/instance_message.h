// Messages from other processes of the same user to the running installer: a
// datagram socket beside the single-instance lock file.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class InstanceMessageListener {
public:
    InstanceMessageListener() = default;
    ~InstanceMessageListener();  // closes and removes the socket
    InstanceMessageListener(const InstanceMessageListener&) = delete;
    InstanceMessageListener& operator=(const InstanceMessageListener&) = delete;

    // Binds "<runtime folder>/<name>.sock" (mode 0600), replacing a stale socket left
    // by a copy that died; only call while holding the single-instance lock. False
    // when the socket cannot be made.
    [[nodiscard]] bool Open(const std::string& name);
    // Non-blocking descriptor to watch for input (the UI adds it to its loop).
    int Fd() const { return m_fd; }
    // Takes one pending message. False when none is waiting. Datagrams from another
    // user, or not four bytes long, are read and dropped (false).
    bool Receive(uint32_t& message);
    void Close();

private:
    int m_fd = -1;
    std::string m_path;
};

// Sends one message to the installer listening under `name`. False when none listens.
bool SendInstanceMessage(const std::string& name, uint32_t message);

}  // namespace platform
