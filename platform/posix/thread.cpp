// POSIX body of platform/thread.h.
#include "platform/thread.h"

#include <pthread.h>

namespace platform {

void SetCurrentThreadName(const std::string& name) {
    std::string cut = name.substr(0, 15);
    pthread_setname_np(pthread_self(), cut.c_str());
}

}  // namespace platform
