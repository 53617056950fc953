// POSIX body of platform/disk.h.
#include "platform/disk.h"

#include <sys/statvfs.h>

#include <cerrno>

namespace platform {

bool QueryDiskSpace(const std::string& path, DiskSpace& out, int* err) {
    if (path.empty() || path[0] != '/') {
        if (err != nullptr) {
            *err = ENOENT;
        }
        return false;
    }
    std::string probe = path;
    for (;;) {
        struct statvfs vfs {};
        if (statvfs(probe.c_str(), &vfs) == 0) {
            out.freeBytesAvailable = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
            out.totalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
            out.totalFreeBytes = static_cast<uint64_t>(vfs.f_bfree) * vfs.f_frsize;
            return true;
        }
        int e = errno;
        if ((e != ENOENT && e != ENOTDIR) || probe == "/") {
            if (err != nullptr) {
                *err = e;
            }
            return false;
        }
        while (probe.size() > 1 && probe.back() == '/') {
            probe.pop_back();
        }
        size_t slash = probe.rfind('/');
        probe = slash == 0 ? std::string("/") : probe.substr(0, slash);
    }
}

}  // namespace platform
