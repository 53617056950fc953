// velquin-installer -unattended=true end to end: the demo package from a loopback
// server, the exit code of each outcome, the records, and what the collector hears.
#include <gtest/gtest.h>

#include <fcntl.h>

#include "platform/files.h"
#include "platform/process.h"
#include "tests/support/scratch_home.h"
#include "tools/collector/collector.h"
#include "tools/package_server/package_server.h"
#include "utils/process.h"
#include "utils/text.h"

namespace {

struct RunResult {
    int code = -1;
    std::string errors;  // standard error: progress lines, tips, outcome
};

RunResult RunUnattended(const testsupport::ScratchHome& home, const std::vector<std::string>& extra) {
    std::vector<std::string> argv{VELQUIN_INSTALLER, "-unattended=true"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    std::string errPath = home.Path("stderr.txt");
    int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    EXPECT_GE(errFd, 0);
    int pid = platform::SpawnProcess(argv, -1, -1, errFd);
    platform::CloseFd(errFd);
    RunResult run;
    EXPECT_GT(pid, 0);
    EXPECT_TRUE(platform::WaitProcess(pid, run.code));
    platform::ReadWholeFile(errPath, run.errors);
    return run;
}

class UnattendedTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string package;
        ASSERT_TRUE(platform::ReadWholeFile(VELQUIN_DEMO_PACKAGE, package));
        velquin_tools::PackageServerOptions options;
        options.body = package;
        server = std::make_unique<velquin_tools::PackageServer>(options);
        collector.Mount(server->Http(), "/sa");
        ASSERT_TRUE(server->Start());
    }
    std::string Url() const { return "-downloadurl=" + server->DefaultUrl(); }
    std::string Analytics() const {
        return "-analyticsurl=http://127.0.0.1:" + std::to_string(server->Port()) + "/sa";
    }

    testsupport::ScratchHome home;
    velquin_tools::Collector collector;
    std::unique_ptr<velquin_tools::PackageServer> server;
};

TEST_F(UnattendedTest, InstallsStartsTheProductAndReports) {
    std::string folder = home.Path("apps");
    RunResult run = RunUnattended(home, {Url(), Analytics(), "-installdir=" + folder});
    EXPECT_EQ(run.code, 0) << run.errors;
    EXPECT_NE(run.errors.find("outcome installed"), std::string::npos) << run.errors;
    EXPECT_NE(run.errors.find("progress 74%"), std::string::npos) << run.errors;
    // A custom folder gets "/Velquin" appended.
    EXPECT_TRUE(platform::IsRegularFile(folder + "/Velquin/vuvIroridazaDirizode.exe"));
    EXPECT_TRUE(platform::IsRegularFile(folder + "/Velquin/started.txt"));
    std::wstring value;
    uint32_t type = 0;
    ASSERT_TRUE(Utils::ReadProductRegistryString(L"InstallPath", type, value));
    EXPECT_EQ(value, Utils::ToWide(folder + "/Velquin", Utils::kCodePageUtf8));
    std::vector<std::string> tasks;
    for (const auto& record : collector.Records()) {
        if (record.value("event", "") == "ZvEventTask") {
            tasks.push_back(record["properties"].value("zv_task_name", ""));
        }
    }
    for (const char* task : {"下载器启动", "开始下载大包", "大包下载完毕", "安装成功"}) {
        EXPECT_EQ(std::count(tasks.begin(), tasks.end(), task), 1) << task;
    }

    // The second run finds the installation, installs the newest version over it
    // (the earlier version is uninstalled first) and succeeds again.
    run = RunUnattended(home, {Url(), "-isenableappsensors=false"});
    EXPECT_EQ(run.code, 0) << run.errors;
    EXPECT_NE(run.errors.find("tip InstalledPathTipWnd.xml"), std::string::npos) << run.errors;
}

struct FailureCase {
    const char* name;
    std::vector<std::string> args;
    int code;
    const char* says;
};

class UnattendedFailureTest : public UnattendedTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UnattendedFailureTest, EachFailureHasItsExitCode) {
    const FailureCase& c = GetParam();
    std::vector<std::string> args{"-isenableappsensors=false"};
    bool ownUrl = false;
    for (const std::string& a : c.args) {
        args.push_back(a == "HOME" ? home.Path("x\"y") : a);
        ownUrl = ownUrl || a.rfind("-downloadurl=", 0) == 0;
    }
    if (!ownUrl) args.push_back(Url());
    RunResult run = RunUnattended(home, args);
    EXPECT_EQ(run.code, c.code) << c.name << "\n" << run.errors;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << c.name << "\n" << run.errors;
    std::wstring value;
    uint32_t type = 0;
    EXPECT_FALSE(Utils::ReadProductRegistryString(L"InstallPath", type, value)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, UnattendedFailureTest,
    ::testing::Values(FailureCase{"failing package", {"-instcmd=-demo-fail"}, 5, "outcome install-failed"},
                      FailureCase{"folder with a quote", {"-installdir=HOME"}, 2, "无效路径"},
                      FailureCase{"nothing listening",
                                  {"-downloadurl=http://127.0.0.1:1/software/222"},
                                  3,
                                  "tip NetworkTipWnd.xml"}));

TEST_F(UnattendedTest, CollectorDownLosesNoRecord) {
    // Analytics to a port nobody listens on: the install still succeeds and the
    // records wait in the staging file for the next run.
    RunResult run = RunUnattended(home, {Url(), "-analyticsurl=http://127.0.0.1:1/sa"});
    EXPECT_EQ(run.code, 0) << run.errors;
    std::string staged;
    ASSERT_TRUE(platform::ReadWholeFile(
        home.Path("data/ZVLocal/Velquin.downloader/Velquin.downloader_ZVSStaging.jsonl"), staged));
    EXPECT_NE(staged.find("安装成功"), std::string::npos);
}

}  // namespace
