// The debugger output channel: where diagnostic log lines go.
#pragma once

#include <string>

namespace platform {

// Writes one line (UTF-8) to standard error, or appends it to the file named by the
// environment variable VELQUIN_DEBUG_LOG when that is set. A line feed is added when
// the text does not end with one. The line goes out in a single write, so lines of
// different threads never interleave. Never fails visibly. Any thread.
void DebugOutput(const std::string& line);

}  // namespace platform
