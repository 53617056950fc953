// The hidden launcher with three pipes, and the registry stand-in.
#include "utils/process.h"

#include <gtest/gtest.h>

#include "platform/process.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

const std::wstring kChild = Utils::ToWide(VELQUIN_TEST_CHILD, Utils::kCodePageUtf8);

std::string ReadAll(int fd) {
    std::string out;
    char buf[4096];
    for (;;) {
        int64_t n = platform::ReadFd(fd, buf, sizeof buf);
        if (n <= 0) {
            return out;
        }
        out.append(buf, static_cast<size_t>(n));
    }
}

struct ChildRun {
    std::string out;
    std::string err;
    int code;
};

ChildRun Launch(const std::wstring& args, const std::string& input = {}) {
    Utils::ProcessLauncher launcher;
    launcher.CreatePipes();
    launcher.Launch(L"\"" + kChild + L"\" " + args);
    if (!input.empty()) {
        EXPECT_TRUE(platform::WriteFd(launcher.InPipe.WriteEnd, input.data(), input.size()));
    }
    launcher.InPipe.Close();
    ChildRun run;
    run.out = ReadAll(launcher.OutPipe.ReadEnd);
    run.err = ReadAll(launcher.ErrPipe.ReadEnd);
    run.code = launcher.WaitForExit();
    launcher.CloseAll();
    return run;
}

TEST(ProcessLauncherTest, WiresAllThreeStreamsAndTheExitCode) {
    ChildRun run = Launch(L"echo out:line err:problem exit:3", "from parent\n");
    EXPECT_EQ(run.out, "from parent\nline\n");
    EXPECT_EQ(run.err, "problem\n");
    EXPECT_EQ(run.code, 3);
}

TEST(ProcessLauncherTest, ArgumentsAreSplitByTheWindowsRules) {
    ChildRun run = Launch(L"args /S \"/D=/opt/my dir\" _?=/opt/Velquin a\\\"b");
    EXPECT_EQ(run.out, "[/S]\n[/D=/opt/my dir]\n[_?=/opt/Velquin]\n[a\"b]\n");
}

TEST(ProcessLauncherTest, SilentChildGivesEndOfStreamAtOnce) {
    ChildRun run = Launch(L"exit:0");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.code, 0);
}

TEST(ProcessLauncherTest, OutputBeyondThePipeBufferIsReadWhole) {
    ChildRun run = Launch(L"flood:1048576 out:end");
    EXPECT_EQ(run.out.size(), 1048576u + 4u);
    EXPECT_EQ(run.out.substr(run.out.size() - 4), "end\n");
}

TEST(ProcessLauncherTest, ChildThatExitsBeforeItsOutputIsReadKeepsIt) {
    Utils::ProcessLauncher launcher;
    launcher.CreatePipes();
    launcher.Launch(L"\"" + kChild + L"\" out:early exit:0");
    EXPECT_EQ(launcher.WaitForExit(), 0);
    EXPECT_EQ(launcher.WaitForExit(), 0);
    EXPECT_EQ(ReadAll(launcher.OutPipe.ReadEnd), "early\n");
}

TEST(ProcessLauncherTest, MissingProgramEmptyOrOverlongCommandLineThrow) {
    for (const std::wstring& cmd : {std::wstring(L"/no/such/program /S"), std::wstring(L""),
                                    L"\"" + kChild + L"\" " + std::wstring(1024, L'a')}) {
        Utils::ProcessLauncher launcher;
        launcher.CreatePipes();
        EXPECT_THROW(launcher.Launch(cmd), Utils::Exception)
            << Utils::ToNarrow(cmd.substr(0, 40), 65001);
        EXPECT_EQ(launcher.WaitForExit(), -1);
        launcher.CloseAll();
        EXPECT_EQ(launcher.OutPipe.ReadEnd, -1);
    }
    // 1023 characters still fit.
    std::wstring fits = L"\"" + kChild + L"\" exit:0 ";
    fits += std::wstring(1023 - fits.size(), L'a');
    Utils::ProcessLauncher launcher;
    launcher.CreatePipes();
    EXPECT_NO_THROW(launcher.Launch(fits));
    EXPECT_EQ(launcher.WaitForExit(), 0);
}

TEST(ProcessLauncherTest, ProgramThatMayNotRunThrows) {
    testsupport::ScratchHome home;
    ASSERT_TRUE(platform::WriteFileAtomic(home.Path("notexec"), "#!/bin/sh\n", 0644));
    Utils::ProcessLauncher launcher;
    launcher.CreatePipes();
    EXPECT_THROW(launcher.Launch(Utils::ToWide(home.Path("notexec"), 65001)), Utils::Exception);
}

TEST(RegistryTest, ValueReadsBackAndMissingValueLeavesOutputsAlone) {
    testsupport::ScratchHome home;
    ASSERT_TRUE(Utils::WriteProductRegistryString(L"InstallPath", L"/opt/\u5b89\u88c5 dir"));
    uint32_t type = 0;
    std::wstring text;
    ASSERT_TRUE(Utils::ReadProductRegistryString(L"installpath", type, text));
    EXPECT_EQ(type, Utils::kRegistryTypeString);
    EXPECT_EQ(text, L"/opt/\u5b89\u88c5 dir");

    ASSERT_TRUE(Utils::WriteProductRegistryString(L"Empty", L""));
    ASSERT_TRUE(Utils::ReadProductRegistryString(L"Empty", type, text));
    EXPECT_EQ(text, L"");

    type = 99;
    text = L"keep";
    EXPECT_FALSE(Utils::ReadProductRegistryString(L"Missing", type, text));
    EXPECT_EQ(type, 99u);
    EXPECT_EQ(text, L"keep");
    EXPECT_TRUE(platform::IsRegularFile(home.Path("config/ZorVaneSoft/Velquin/registry.ini")));
}

}  // namespace
