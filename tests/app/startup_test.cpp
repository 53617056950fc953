// Start-up of velquin-installer: the single-instance guard and its exit code.
#include <gtest/gtest.h>

#include "app/instance_guard.h"
#include "platform/instance_message.h"
#include "platform/process.h"
#include "tests/support/scratch_home.h"

namespace {

int RunInstaller(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> argv{VELQUIN_INSTALLER, "-isenableappsensors=false"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    int pid = platform::SpawnProcess(argv, -1, -1, -1);
    EXPECT_GT(pid, 0);
    int code = -1;
    EXPECT_TRUE(platform::WaitProcess(pid, code));
    return code;
}

TEST(InstanceGuardTest, OnlyOneHolderPerUser) {
    testsupport::ScratchHome home;
    InstanceGuard first(L"Installer_Velquin");
    first.Acquire();
    ASSERT_TRUE(first.Held());
    first.Acquire();  // already held: nothing changes
    EXPECT_TRUE(first.Held());

    InstanceGuard second(L"Installer_Velquin");
    second.Acquire();
    EXPECT_FALSE(second.Held());

    InstanceGuard other(L"Installer_Other");
    other.Acquire();
    EXPECT_TRUE(other.Held());

    first.Release();
    second.Acquire();
    EXPECT_TRUE(second.Held());
    EXPECT_TRUE(
        platform::IsRegularFile(home.Path("runtime/D1A547DB89C0BC61_Installer_Velquin.lock")));
}

TEST(StartupTest, SecondCopyExitsWithMinusOne) {
    testsupport::ScratchHome home;
    InstanceGuard running(L"Installer_Velquin");
    running.Acquire();
    ASSERT_TRUE(running.Held());
    EXPECT_EQ(RunInstaller({"-unattended=true"}), 255);
    running.Release();
    // Alone it runs; nothing listens on port 1, so the download fails.
    EXPECT_EQ(RunInstaller({"-unattended=true", "-downloadurl=http://127.0.0.1:1/software/222"}), 3);
}

TEST(InstanceMessageTest, MessagesFromTheSameUserArriveInOrder) {
    testsupport::ScratchHome home;
    uint32_t message = 0;
    EXPECT_FALSE(platform::SendInstanceMessage("D1A547DB89C0BC61_Installer_Velquin", 0x4C8));
    platform::InstanceMessageListener listener;
    ASSERT_TRUE(listener.Open("D1A547DB89C0BC61_Installer_Velquin"));
    EXPECT_FALSE(listener.Receive(message));  // nothing waiting
    ASSERT_TRUE(platform::SendInstanceMessage("D1A547DB89C0BC61_Installer_Velquin", 0x4C8));
    ASSERT_TRUE(platform::SendInstanceMessage("D1A547DB89C0BC61_Installer_Velquin", 7));
    ASSERT_TRUE(listener.Receive(message));
    EXPECT_EQ(message, 0x4C8u);
    ASSERT_TRUE(listener.Receive(message));
    EXPECT_EQ(message, 7u);

    // A second listener (after a crash left the socket file) takes the name over.
    platform::InstanceMessageListener again;
    ASSERT_TRUE(again.Open("D1A547DB89C0BC61_Installer_Velquin"));
    ASSERT_TRUE(platform::SendInstanceMessage("D1A547DB89C0BC61_Installer_Velquin", 9));
    ASSERT_TRUE(again.Receive(message));
    EXPECT_EQ(message, 9u);
}

}  // namespace
