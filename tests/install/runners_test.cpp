// The runners with real child processes: the scripted child stands in for packages
// and uninstallers (its steps come through the command line).
#include "install/runners.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "platform/files.h"
#include "tests/download/download_test_support.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

const std::wstring kChild = Utils::ToWide(VELQUIN_TEST_CHILD, Utils::kCodePageUtf8);

bool IsInstallFinal(const testsupport::Event& e) {
    return e.code == IST_CODE_SUCCESS || e.code == IST_CODE_FAIL;
}
bool IsUninstallFinal(const testsupport::Event& e) {
    return e.code == UNIST_CODE_SUCCESS || e.code == UNIST_CODE_FAIL || e.code == UNIST_CODE_ERROR;
}

class InstallRunnerTest : public ::testing::Test {
protected:
    void TearDown() override { Settings().InstCmd.clear(); }

    // Runs the child as the package with `steps` as its script; returns the events.
    std::vector<testsupport::Event> RunPackage(const std::wstring& steps,
                                               const std::wstring& program = kChild) {
        Settings().InstCmd = steps;
        testsupport::Recorder recorder;
        recorder.isFinal = IsInstallFinal;
        CInstallRunner runner(recorder.Callback(), L"\"" + program + L"\"", L"", true, true, true);
        runner.Start();
        EXPECT_TRUE(recorder.WaitForFinal());
        commandLine = runner.CommandLine();
        return recorder.Events();
    }
    static std::vector<int> Codes(const std::vector<testsupport::Event>& events) {
        std::vector<int> codes;
        for (const auto& e : events) {
            codes.push_back(e.code);
        }
        return codes;
    }

    testsupport::ScratchHome home;
    std::wstring commandLine;
};

TEST(CommandLineTest, PackageCommandLineCarriesTheChoicesInOrder) {
    EXPECT_EQ(PackageCommandLine(L"\"/opt/V/__Package_Velquin.exe\"", true, false, true, false, L"",
                                 L"/opt/my dir/Velquin"),
              L"\"/opt/V/__Package_Velquin.exe\" /S -console=show -version=1.0.0 -adminact=true "
              L"-authorizationact=false -dsc=true -ssc=false -instdir=\"/opt/my dir/Velquin\" "
              L"/D=/opt/my dir/Velquin");
    EXPECT_EQ(PackageCommandLine(L"\"/p\"", false, true, false, true, L"-x=1", L""),
              L"\"/p\" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true "
              L"-dsc=false -ssc=true -x=1");
}

TEST(CommandLineTest, UninstallerPathIsQuotedAndTheFolderComesLastUnquoted) {
    EXPECT_EQ(
        UninstallCommandLine(L"/tmp/my tmp/~ZorVaneTemp.92482B06FB471E17/Velquin_un_asa.exe", false,
                             true, L"/opt/Old Velquin"),
        L"\"/tmp/my tmp/~ZorVaneTemp.92482B06FB471E17/Velquin_un_asa.exe\" /S -adminact=false "
        L"-authorizationact=true -console=show _?=/opt/Old Velquin");
}

TEST_F(InstallRunnerTest, StreamBecomesNotificationsAndTheVerdictEndsInterpretation) {
    auto events = RunPackage(
        L"out:Encode=UTF8 out:Progress=50 out:Message=\u4f60\u597d out:State=Success "
        L"out:State=Fail out:Progress=99");
    EXPECT_EQ(Codes(events), (std::vector<int>{IST_CODE_START, IST_CODE_PROGRESS, IST_CODE_PROGRESS,
                                               IST_CODE_MESSAGE, IST_CODE_SUCCESS}));
    EXPECT_EQ(events[3].text, L"\u4f60\u597d");
    EXPECT_DOUBLE_EQ(events[4].value, 50.0);
}

TEST_F(InstallRunnerTest, VerdictWrittenJustBeforeExitIsStillHeard) {
    // The package writes its failure and exits at once: the stream is read to its end
    // before the run may count as undecided.
    auto events = RunPackage(L"out:State=Fail exit:0");
    EXPECT_EQ(Codes(events), (std::vector<int>{IST_CODE_START, IST_CODE_PROGRESS, IST_CODE_FAIL}));
    EXPECT_EQ(events.back().text, L"安装包安装失败");
}

TEST_F(InstallRunnerTest, SilentExitCountsAsInstalled) {
    auto events = RunPackage(L"out:Progress=10 exit:3");
    EXPECT_EQ(Codes(events), (std::vector<int>{IST_CODE_START, IST_CODE_PROGRESS, IST_CODE_PROGRESS,
                                               IST_CODE_SUCCESS}));
    EXPECT_DOUBLE_EQ(events.back().value, 1.0);
}

TEST_F(InstallRunnerTest, FloodPastThePipeBufferThenTheVerdict) {
    auto events = RunPackage(L"flood:3000000 out: out:State=Success");
    EXPECT_EQ(Codes(events).back(), IST_CODE_SUCCESS);
    EXPECT_DOUBLE_EQ(events.back().value, 0.0);  // from the stream, not assumed at exit
}

TEST_F(InstallRunnerTest, ChildThatKeepsWritingAfterItsVerdictIsDrainedToItsEnd) {
    auto events = RunPackage(L"out:State=Success flood:2000000 err:bye exit:0");
    EXPECT_EQ(Codes(events),
              (std::vector<int>{IST_CODE_START, IST_CODE_PROGRESS, IST_CODE_SUCCESS}));
}

TEST_F(InstallRunnerTest, LaunchFailures) {
    auto missing = RunPackage(L"", L"/no/such/package.exe");
    EXPECT_EQ(Codes(missing), (std::vector<int>{IST_CODE_START, IST_CODE_PROGRESS, IST_CODE_FAIL}));
    EXPECT_DOUBLE_EQ(missing.back().value, 2.0);
    EXPECT_EQ(missing.back().text, L"");

    auto tooLong = RunPackage(L"out:x " + std::wstring(1000, L'a'));
    EXPECT_GE(commandLine.size(), 1024u);
    EXPECT_EQ(Codes(tooLong).back(), IST_CODE_FAIL);
    EXPECT_DOUBLE_EQ(tooLong.back().value, 2.0);
}

TEST_F(InstallRunnerTest, FolderWithAQuoteNeverReachesACommandLine) {
    testsupport::Recorder recorder;
    recorder.isFinal = IsInstallFinal;
    CInstallRunner runner(recorder.Callback(), L"\"" + kChild + L"\"", L"/opt/a\" /D=/etc", true,
                          true, true);
    runner.Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Events().back().code, IST_CODE_FAIL);
    EXPECT_DOUBLE_EQ(recorder.Events().back().value, 2.0);
}

class UninstallRunnerTest : public ::testing::Test {
protected:
    // A copy of the scripted child whose script is fixed in a wrapper shell script.
    std::wstring Script(const std::string& body) {
        const std::string path = home.Path("uninst copy.sh");
        EXPECT_TRUE(platform::WriteFileAtomic(path, "#!/bin/sh\n" + body + "\n", 0755));
        return Utils::ToWide(path, Utils::kCodePageUtf8);
    }
    std::vector<testsupport::Event> Run(const std::wstring& program,
                                        const std::wstring& folder = L"/opt/Old V") {
        testsupport::Recorder recorder;
        recorder.isFinal = IsUninstallFinal;
        CUninstallRunner runner(recorder.Callback(), program, folder);
        runner.Start();
        EXPECT_TRUE(recorder.WaitForFinal());
        commandLine = runner.CommandLine();
        return recorder.Events();
    }

    testsupport::ScratchHome home;
    std::wstring commandLine;
};

TEST_F(UninstallRunnerTest, MissingUninstaller) {
    auto events = Run(L"/no/such/uninst.exe");
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, UNIST_CODE_FAIL);
    EXPECT_DOUBLE_EQ(events[0].value, 1.0);
    EXPECT_EQ(events[0].text, L"可执行卸载文件不存在");
}

TEST_F(UninstallRunnerTest, ProgressOnlyThenExitCountsAsSuccess) {
    // The script echoes its arguments so the test sees what the uninstaller was given.
    auto events = Run(Script(
        "printf 'Progress=20\\nProgress=80\\n'; for a in \"$@\"; do echo \"Arg=$a\" >&2; done"));
    std::vector<int> codes;
    for (const auto& e : events) {
        codes.push_back(e.code);
    }
    EXPECT_EQ(codes, (std::vector<int>{UNIST_CODE_PROGRESS, UNIST_CODE_PROGRESS,
                                       UNIST_CODE_PROGRESS, UNIST_CODE_SUCCESS}));
    EXPECT_DOUBLE_EQ(events[2].value, 80.0);
    EXPECT_DOUBLE_EQ(events.back().value, 1.0);
    EXPECT_NE(commandLine.find(L"\" /S -adminact="), std::wstring::npos);
    const std::wstring tail = L" _?=/opt/Old V";
    EXPECT_EQ(commandLine.substr(commandLine.size() - tail.size()), tail);
}

TEST_F(UninstallRunnerTest, FailedStateStopsWithTheErrorCode) {
    auto events = Run(Script("echo State=Fail"));
    EXPECT_EQ(events.back().code, UNIST_CODE_ERROR);
    EXPECT_EQ(events.back().text, L"安装包卸载失败");
}

}  // namespace
