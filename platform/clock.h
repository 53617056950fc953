// Process, thread and time facts for log lines and stopwatches.
#pragma once

#include <cstdint>

namespace platform {

struct LocalTime {
    int year, month, day, hour, minute, second, millisecond;
};

// Current local wall-clock time, millisecond resolution. Any thread.
LocalTime NowLocal();

// Milliseconds since an arbitrary fixed point (system start), wrapping at 2^32 like
// the Windows tick counter. Any thread.
uint32_t TickCountMs();

// Monotonic milliseconds, 64-bit, for timeouts. Any thread.
uint64_t MonotonicMs();

// Operating-system ids of the running process and of the calling thread.
uint32_t CurrentProcessId();
uint32_t CurrentThreadId();

}  // namespace platform
