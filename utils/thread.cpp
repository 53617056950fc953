// Utils::Thread on std::thread; the suspended start is a gate the thread waits at.
#include "utils/thread.h"

#include <system_error>

#include "app/log.h"
#include "platform/clock.h"
#include "platform/thread.h"
#include "utils/text.h"

namespace Utils {

Thread::Thread(void* owner, std::wstring name, WorkFunction work)
    : m_work(std::move(work)), m_owner(owner), m_name(std::move(name)) {
    try {
        m_thread = std::thread(&Thread::CallBack, this);
    } catch (const std::system_error&) {
        return;  // no thread: Handle() is false, Start() fails, nothing is reported
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cv.wait(lock, [this] { return m_idKnown; });
}

Thread::~Thread() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_gate == Gate::Held) {
            m_gate = Gate::Cancel;
        }
        m_cv.notify_all();
    }
    Join();
    m_name.clear();
    m_work = nullptr;
}

bool Thread::Start() {
    if (!m_thread.joinable()) {
        return false;
    }
    // Notified under the lock: the work may end and the owner destroy this object the
    // moment the gate opens, so Start must not touch it after releasing the lock.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_gate != Gate::Held) {
        return false;
    }
    m_gate = Gate::Go;
    m_cv.notify_all();
    return true;
}

void Thread::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
        Id = 0xFFFFFFFFu;
    }
}

void Thread::CallBack(Thread* self) {
    platform::SetCurrentThreadName(ToNarrow(self->m_name, kCodePageAcp));
    {
        std::unique_lock<std::mutex> lock(self->m_mutex);
        self->Id = platform::CurrentThreadId();
        self->m_idKnown = true;
        self->m_cv.notify_all();
        self->m_cv.wait(lock, [self] { return self->m_gate != Gate::Held; });
        if (self->m_gate == Gate::Cancel) {
            return;
        }
    }
    VQ_LOG(L"THREAD BEGIN");
    if (self->m_work) {
        self->m_work(self->m_owner);
    }
    VQ_LOG(L"THREAD END");
}

}  // namespace Utils
