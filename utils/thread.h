// Utils::Thread: the worker thread of every long operation. It runs one work
// function with its owner as argument, logs "THREAD BEGIN"/"THREAD END" around it,
// carries a name, and is always joined without a time limit before it goes away.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace Utils {

class Thread {
public:
    using WorkFunction = std::function<void(void*)>;

    // Creates the thread held back until Start: it exists (Id is its id) but runs
    // nothing yet. When the thread cannot be created, Handle() is false and Start
    // returns false. Called by the owner; the owner alone starts, joins and deletes.
    Thread(void* owner, std::wstring name, WorkFunction work);
    // Waits for the work function to return, without a time limit. A thread that was
    // never started is released without running the work.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets the thread run the work. True when it was held back and now runs.
    bool Start();
    // Waits for the work function to return; afterwards Id is all bits set and
    // Handle() false. Does nothing when there is no thread (a second Join). Must not
    // be called on the thread itself.
    void Join();

    bool Handle() const { return m_thread.joinable(); }
    const std::wstring& Name() const { return m_name; }

    // The worker's operating-system thread id; 0xFFFFFFFF once joined.
    uint32_t Id = 0xFFFFFFFFu;

private:
    static void CallBack(Thread* self);

    std::thread m_thread;
    WorkFunction m_work;
    void* m_owner;
    std::wstring m_name;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_idKnown = false;
    enum class Gate { Held, Go, Cancel } m_gate = Gate::Held;
};

}  // namespace Utils
