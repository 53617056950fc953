// POSIX body of platform/clock.h.
#include "platform/clock.h"

#include <sys/syscall.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

namespace platform {

LocalTime NowLocal() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm parts{};
    localtime_r(&ts.tv_sec, &parts);
    return LocalTime{parts.tm_year + 1900,
                     parts.tm_mon + 1,
                     parts.tm_mday,
                     parts.tm_hour,
                     parts.tm_min,
                     parts.tm_sec,
                     static_cast<int>(ts.tv_nsec / 1000000)};
}

uint64_t MonotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

uint32_t TickCountMs() {
    return static_cast<uint32_t>(MonotonicMs());
}

uint32_t CurrentProcessId() {
    return static_cast<uint32_t>(getpid());
}

uint32_t CurrentThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

}  // namespace platform
