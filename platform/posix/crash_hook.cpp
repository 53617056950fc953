// POSIX body of platform/crash_hook.h.
//
// Signal-safety: CrashSignalHandler itself only touches an atomic flag, alarm(2),
// sigaction(2) and raise(3), all async-signal-safe. The report callback it calls is
// not, which is why the alarm is armed first: if the report deadlocks on a lock the
// crashing thread held, SIGALRM's default action ends the process.
#include "platform/crash_hook.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <exception>

namespace platform {
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

std::atomic<CrashReport> g_report{nullptr};
std::atomic<bool> g_reported{false};
unsigned g_budget = 3;

// Signal-safe apart from the report callback (see the file comment).
void RunReportOnce() {
    if (g_reported.exchange(true)) {
        return;
    }
    CrashReport report = g_report.load();
    if (report != nullptr) {
        alarm(g_budget);
        report();
        alarm(0);
    }
}

// Signal-safe: restores the default action and re-raises.
void CrashSignalHandler(int sig) {
    RunReportOnce();
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    // Unblock the signal: it is blocked while its handler runs.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
}

// Not signal-safe; runs as std::terminate's handler on the throwing thread.
[[noreturn]] void CrashTerminateHandler() {
    RunReportOnce();
    std::abort();
}

}  // namespace

void InstallCrashHook(CrashReport report, unsigned budgetSeconds) {
    g_report.store(report);
    g_budget = budgetSeconds == 0 ? 1 : budgetSeconds;

    // The handler must run even when the crash is a stack overflow.
    static char altStack[64 * 1024];
    stack_t ss{};
    ss.ss_sp = altStack;
    ss.ss_size = sizeof altStack;
    sigaltstack(&ss, nullptr);

    for (int sig : kSignals) {
        struct sigaction sa {};
        sa.sa_handler = CrashSignalHandler;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_ONSTACK;
        sigaction(sig, &sa, nullptr);
    }
    std::set_terminate(CrashTerminateHandler);
}

}  // namespace platform
