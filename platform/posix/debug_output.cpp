// POSIX body of platform/debug_output.h.
#include "platform/debug_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {
namespace {

int OutputFd() {
    // Opened once; the descriptor stays open for the life of the process.
    static const int fd = [] {
        const char* path = std::getenv("VELQUIN_DEBUG_LOG");
        if (path != nullptr && *path != '\0') {
            int f = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (f >= 0) {
                return f;
            }
        }
        return STDERR_FILENO;
    }();
    return fd;
}

}  // namespace

void DebugOutput(const std::string& line) {
    std::string out = line;
    if (out.empty() || out.back() != '\n') {
        out.push_back('\n');
    }
    const char* p = out.data();
    size_t left = out.size();
    while (left > 0) {
        ssize_t n = write(OutputFd(), p, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

}  // namespace platform
