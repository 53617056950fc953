// Facts about the running operating system.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct SystemVersion {
    std::string systemName;  // "Linux"
    uint32_t major = 0;      // kernel release, numeric form: 6.1.0 → 6, 1, 0
    uint32_t minor = 0;
    uint32_t build = 0;
    std::string release;  // the kernel release as uname reports it
    std::string machine;  // "x86_64", "aarch64", …
};

SystemVersion QuerySystemVersion();

// True on a 64-bit system.
bool Is64BitSystem();

// Host name, empty on failure.
std::string HostName();

}  // namespace platform
