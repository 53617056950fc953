// POSIX body of platform/environment.h.
#include "platform/environment.h"

#include <unistd.h>

#include <cstdlib>

namespace platform {

std::string GetEnv(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

void HardenModuleLoading() {
    if (geteuid() != 0) {
        return;
    }
    for (const char* name : {"GTK_MODULES", "GTK3_MODULES", "GTK_PATH", "GIO_EXTRA_MODULES"}) {
        unsetenv(name);
    }
}

}  // namespace platform
