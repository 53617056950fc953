// POSIX body of platform/single_instance.h: flock(2) on a file in the runtime folder.
#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/files.h"

namespace platform {

InstanceLock::~InstanceLock() {
    Release();
}

bool InstanceLock::TryAcquire(const std::string& name) {
    if (m_fd >= 0) {
        return true;
    }
    const std::string path = RuntimeFolder() + "/" + name + ".lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::Release() {
    if (m_fd >= 0) {
        flock(m_fd, LOCK_UN);
        close(m_fd);
        m_fd = -1;
    }
}

}  // namespace platform
