// POSIX body of platform/system_version.h: uname(2).
#include "platform/system_version.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

SystemVersion QuerySystemVersion() {
    SystemVersion v;
    v.systemName = "Linux";
    utsname u{};
    if (uname(&u) != 0) {
        return v;
    }
    v.release = u.release;
    v.machine = u.machine;
    // "6.1.0-18-amd64": the three leading numbers.
    const char* p = u.release;
    uint32_t* fields[] = {&v.major, &v.minor, &v.build};
    for (uint32_t* field : fields) {
        char* end = nullptr;
        unsigned long n = std::strtoul(p, &end, 10);
        if (end == p) {
            break;
        }
        *field = static_cast<uint32_t>(n & 0xFFFFFFFFu);
        p = end;
        if (*p != '.') {
            break;
        }
        ++p;
    }
    v.build &= 0xFFFFu;
    return v;
}

bool Is64BitSystem() {
    utsname u{};
    if (uname(&u) != 0) {
        return sizeof(void*) == 8;
    }
    std::string m = u.machine;
    return m == "x86_64" || m == "aarch64" || m == "ppc64le" || m == "s390x" || m == "riscv64" ||
           m == "ppc64" || m == "sparc64" || m == "mips64" || m == "loongarch64";
}

std::string HostName() {
    char buf[256] = {};
    if (gethostname(buf, sizeof buf - 1) != 0) {
        return {};
    }
    return buf;
}

}  // namespace platform
