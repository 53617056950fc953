// The crash hook: it reports once, never hangs, and the signal still ends the process.
#include "platform/crash_hook.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <thread>

namespace {

void WriteMarker() {
    static const char kText[] = "crash-report-made\n";
    (void)!write(STDERR_FILENO, kText, sizeof kText - 1);
}

void HangForever() {
    WriteMarker();
    for (;;) {
        pause();
    }
}

using CrashHookDeathTest = ::testing::Test;

TEST_F(CrashHookDeathTest, SegfaultIsReportedThenEndsTheProcess) {
    EXPECT_EXIT(
        {
            platform::InstallCrashHook(&WriteMarker);
            raise(SIGSEGV);
        },
        ::testing::KilledBySignal(SIGSEGV), "crash-report-made");
}

TEST_F(CrashHookDeathTest, AbortAndUncaughtExceptionAreReported) {
    EXPECT_EXIT(
        {
            platform::InstallCrashHook(&WriteMarker);
            abort();
        },
        ::testing::KilledBySignal(SIGABRT), "crash-report-made");
    EXPECT_EXIT(
        {
            platform::InstallCrashHook(&WriteMarker);
            // An exception leaving a thread's function ends in std::terminate.
            std::thread([] { throw std::runtime_error("boom"); }).join();
        },
        ::testing::KilledBySignal(SIGABRT), "crash-report-made");
}

TEST_F(CrashHookDeathTest, HangingReportIsCutShortByTheAlarm) {
    EXPECT_EXIT(
        {
            platform::InstallCrashHook(&HangForever, /*budgetSeconds=*/1);
            raise(SIGFPE);
        },
        ::testing::KilledBySignal(SIGALRM), "crash-report-made");
}

}  // namespace
