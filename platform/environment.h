// Process environment: variables and module-loading hardening.
#pragma once

#include <string>

namespace platform {

// Value of an environment variable; empty when unset.
std::string GetEnv(const char* name);

// When the process runs as root, removes GTK_MODULES, GTK3_MODULES, GTK_PATH and
// GIO_EXTRA_MODULES from the environment so that GTK and GIO load no module from a
// folder the user chose. Call before GTK or GIO start and before any thread exists.
void HardenModuleLoading();

}  // namespace platform
