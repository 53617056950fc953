// The crash hook: a report callback run when the process dies of a fatal signal or
// an uncaught C++ exception, after which the default action ends the process.
#pragma once

namespace platform {

// Called at most once per process, on the crashing thread, on an alternate stack.
// It may allocate and take locks (the analytics report does); a watchdog alarm of
// `budgetSeconds` bounds it, so a report that deadlocks still lets the process die.
using CrashReport = void (*)();

// Installs handlers for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT, and a terminate
// handler. Call once from the main thread at start-up. Not signal-safe.
void InstallCrashHook(CrashReport report, unsigned budgetSeconds = 3);

}  // namespace platform
