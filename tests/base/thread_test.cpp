// Utils::Thread: begin/end lines on the worker, join rules, held-back start.
#include "utils/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "platform/clock.h"
#include "tests/base/log_capture.h"
#include "tests/support/scratch_home.h"

namespace {

class ThreadTest : public ::testing::Test {
protected:
    testsupport::ScratchHome home;
    testsupport::LogCapture capture{home.Path("log.txt")};
};

TEST_F(ThreadTest, WorkRunsWithItsOwnerBetweenBeginAndEndLines) {
    int owner = 0;
    std::atomic<uint32_t> workerId{0};
    void* seenOwner = nullptr;
    auto thread = std::make_unique<Utils::Thread>(&owner, L"ABDEF", [&](void* o) {
        seenOwner = o;
        workerId = platform::CurrentThreadId();
    });
    const uint32_t id = thread->Id;
    EXPECT_NE(id, platform::CurrentThreadId());
    ASSERT_TRUE(thread->Start());
    EXPECT_FALSE(thread->Start());  // already running
    thread->Join();
    EXPECT_EQ(seenOwner, &owner);
    EXPECT_EQ(workerId.load(), id);
    EXPECT_EQ(thread->Id, 0xFFFFFFFFu);
    EXPECT_FALSE(thread->Handle());

    std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 2u);
    const std::string tid = "<T" +
                            std::string(id < 10000 ? 5 - std::to_string(id).size() : 0, '0') +
                            std::to_string(id) + ">";
    for (const std::string& line : lines) {
        EXPECT_NE(line.find(tid), std::string::npos) << line;
        EXPECT_NE(line.find("(Utils::Thread::CallBack)"), std::string::npos) << line;
    }
    EXPECT_NE(lines[0].find(": THREAD BEGIN\r"), std::string::npos);
    EXPECT_NE(lines[1].find(": THREAD END\r"), std::string::npos);
}

TEST_F(ThreadTest, JoinTwiceAndDestroyAfterJoinDoNotWait) {
    std::atomic<int> runs{0};
    Utils::Thread thread(nullptr, L"x", [&](void*) { ++runs; });
    ASSERT_TRUE(thread.Start());
    thread.Join();
    thread.Join();
    EXPECT_EQ(runs.load(), 1);
}

TEST_F(ThreadTest, DestroyWaitsForTheWork) {
    std::atomic<bool> finished{false};
    {
        Utils::Thread thread(nullptr, L"slow", [&](void*) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            finished = true;
        });
        ASSERT_TRUE(thread.Start());
    }
    EXPECT_TRUE(finished.load());
}

TEST_F(ThreadTest, NeverStartedThreadIsReleasedWithoutRunningTheWork) {
    std::atomic<bool> ran{false};
    {
        Utils::Thread thread(nullptr, L"idle", [&](void*) { ran = true; });
    }
    EXPECT_FALSE(ran.load());
    EXPECT_TRUE(capture.Lines().empty());
}

TEST_F(ThreadTest, OwnerRestartJoinsThePreviousRunFirst) {
    // The owner's pattern: join and delete the previous wrapper, then start a new one.
    std::atomic<int> active{0};
    std::atomic<int> maxActive{0};
    auto work = [&](void*) {
        int now = ++active;
        int seen = maxActive.load();
        while (now > seen && !maxActive.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        --active;
    };
    std::unique_ptr<Utils::Thread> worker;
    for (int i = 0; i < 3; ++i) {
        if (worker) {
            worker->Join();
        }
        worker = std::make_unique<Utils::Thread>(nullptr, L"ABDEF", work);
        ASSERT_TRUE(worker->Start());
    }
    worker.reset();
    EXPECT_EQ(maxActive.load(), 1);
}

}  // namespace
