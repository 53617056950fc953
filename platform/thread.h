// Thread facilities beyond the standard library.
#pragma once

#include <string>

namespace platform {

// Names the calling thread for debuggers and `top -H` (cut to 15 bytes, the kernel's
// limit). Any thread.
void SetCurrentThreadName(const std::string& name);

}  // namespace platform
