// POSIX body of platform/instance_message.h: AF_UNIX datagrams with sender credentials.
#include "platform/instance_message.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) {
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string SocketPath(const std::string& name) {
    return RuntimeFolder() + "/" + name + ".sock";
}

}  // namespace

InstanceMessageListener::~InstanceMessageListener() {
    Close();
}

bool InstanceMessageListener::Open(const std::string& name) {
    Close();
    const std::string path = SocketPath(name);
    sockaddr_un addr{};
    if (!FillAddress(path, addr)) {
        return false;
    }
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    unlink(path.c_str());  // a socket file left by a copy that died
    mode_t old = umask(077);
    int rc = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    umask(old);
    if (rc != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool InstanceMessageListener::Receive(uint32_t& message) {
    if (m_fd < 0) {
        return false;
    }
    uint32_t value = 0;
    iovec iov{&value, sizeof value};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n = recvmsg(m_fd, &msg, MSG_TRUNC);
    if (n < 0) {
        return false;
    }
    bool sameUser = false;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS) {
            ucred cred{};
            std::memcpy(&cred, CMSG_DATA(c), sizeof cred);
            sameUser = cred.uid == geteuid();
        }
    }
    if (!sameUser || n != static_cast<ssize_t>(sizeof value)) {
        return false;
    }
    message = value;
    return true;
}

void InstanceMessageListener::Close() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
        unlink(m_path.c_str());
    }
}

bool SendInstanceMessage(const std::string& name, uint32_t message) {
    sockaddr_un addr{};
    if (!FillAddress(SocketPath(name), addr)) {
        return false;
    }
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    ssize_t n =
        sendto(fd, &message, sizeof message, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    close(fd);
    return n == static_cast<ssize_t>(sizeof message);
}

}  // namespace platform
