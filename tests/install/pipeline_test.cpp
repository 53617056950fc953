// The whole pipeline on loopback with the demo package: uninstall, download by each
// method, package run, records of what the callback saw.
#include "install/download_installer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <thread>

#include "app/settings.h"
#include "platform/files.h"
#include "tests/download/download_test_support.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

using velquin_tools::PackageServer;
using velquin_tools::PackageServerOptions;

bool IsRunEnd(const testsupport::Event& e) {
    return e.code == IST_CODE_SUCCESS || e.code == IST_CODE_FAIL || e.code == DL_CODE_FAIL ||
           e.code == UNIST_CODE_FAIL || e.code == UNIST_CODE_ERROR;
}

class PipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::InitCurlOnce();
        PackageServerOptions o;
        ASSERT_TRUE(platform::ReadWholeFile(VELQUIN_DEMO_PACKAGE, o.body));
        o.fileName = "VelquinSetup.exe";
        server = std::make_unique<PackageServer>(o);
        ASSERT_TRUE(server->Start());
        recorder.isFinal = IsRunEnd;
    }
    void TearDown() override {
        Settings().DownloadType = 1;
        unsetenv("VELQUIN_DEMO_UNINSTALL");
    }
    std::wstring W(const std::string& s) const { return Utils::ToWide(s, Utils::kCodePageUtf8); }
    std::unique_ptr<CDownloadInstaller> Make(const std::wstring& oldUninstaller = L"") {
        auto p = std::make_unique<CDownloadInstaller>(recorder.Callback(), L"", L"", L"", true,
                                                      true, true);
        p->SetParams(W(server->DefaultUrl()), oldUninstaller, W(installDir), true, false, false,
                     true);
        return p;
    }
    std::vector<int> Stages() const {
        // Codes without progress reports and without the package's result lines.
        std::vector<int> codes;
        for (const auto& e : recorder.Events()) {
            if (e.code != DL_CODE_PROGRESS && e.code != IST_CODE_PROGRESS &&
                e.code != UNIST_CODE_PROGRESS && (e.code < 3000 || e.code > 3009)) {
                codes.push_back(e.code);
            }
        }
        return codes;
    }
    std::wstring Result(int code) const {
        std::wstring text;
        for (const auto& e : recorder.Events()) {
            if (e.code == code) {
                text = e.text;
            }
        }
        return text;
    }

    testsupport::ScratchHome home;
    std::unique_ptr<PackageServer> server;
    std::string installDir = home.Path("apps/Velquin Demo");
    testsupport::Recorder recorder;
};

class PipelineDownloadTypeTest : public PipelineTest, public ::testing::WithParamInterface<int> {};

TEST_P(PipelineDownloadTypeTest, FreshInstallDownloadsRunsAndDeletesThePackage) {
    Settings().DownloadType = GetParam();
    auto pipeline = Make();
    pipeline->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    const std::vector<int> expected{DL_CODE_START, DL_CODE_SUCCESS, IST_CODE_START,
                                    IST_CODE_SUCCESS};
    std::vector<int> stages = Stages();
    stages.erase(std::remove(stages.begin(), stages.end(), DL_CODE_REPORT), stages.end());
    EXPECT_EQ(stages, expected);
    EXPECT_EQ(Result(IST_CODE_INST_PATH), W(installDir) + L"\r");
    EXPECT_EQ(Result(IST_CODE_MESSAGE), L"安装完成，欢迎使用\r");
    EXPECT_TRUE(platform::IsRegularFile(installDir + "/vuvIroridazaDirizode.exe"));
    EXPECT_TRUE(platform::IsRegularFile(installDir + "/uninst.ep"));
    EXPECT_EQ(pipeline->PackagePath(), W(installDir) + L"/__Package_Velquin.exe");
    pipeline.reset();  // the handler deletes the package right after passing 2003 on
    EXPECT_FALSE(platform::PathExists(installDir + "/__Package_Velquin.exe"));
}

INSTANTIATE_TEST_SUITE_P(Types, PipelineDownloadTypeTest, ::testing::Values(0, 1, 2, 3, 4));

TEST_F(PipelineTest, OldVersionIsUninstalledFromACopyBeforeTheDownload) {
    // A first installation leaves the uninstall entry that the second run uses.
    auto first = Make();
    first->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    ASSERT_EQ(recorder.Events().back().code, IST_CODE_SUCCESS) << recorder.Events().back().code;
    first.reset();

    testsupport::Recorder second;
    second.isFinal = IsRunEnd;
    auto pipeline =
        std::make_unique<CDownloadInstaller>(second.Callback(), L"", L"", L"", true, true, true);
    const std::wstring entry = W(installDir) + L"/uninst.ep";
    pipeline->SetParams(W(server->DefaultUrl()), entry, W(installDir), true, true, true, true);
    server->ClearRequests();
    pipeline->Start();
    ASSERT_TRUE(second.WaitForFinal());
    std::vector<int> codes;
    for (const auto& e : second.Events()) {
        if (e.code == UNIST_CODE_SUCCESS || e.code == DL_CODE_START || e.code == IST_CODE_SUCCESS) {
            codes.push_back(e.code);
        }
    }
    std::string all;
    for (const auto& e : second.Events()) {
        all += std::to_string(e.code) + "(" + std::to_string(e.value) + ") ";
    }
    EXPECT_EQ(codes, (std::vector<int>{UNIST_CODE_SUCCESS, DL_CODE_START, IST_CODE_SUCCESS})) << all;
    EXPECT_EQ(second.Events().front().code, UNIST_CODE_PROGRESS);
    EXPECT_EQ(pipeline->UninstallerCopyPath(),
              W(home.Path("tmp/~ZorVaneTemp.92482B06FB471E17/Velquin_un_asa.exe")));
    EXPECT_TRUE(
        platform::IsRegularFile(installDir + "/vuvIroridazaDirizode.exe"));  // installed again
}

TEST_F(PipelineTest, UninstallerFailureStopsTheRunBeforeAnyDownload) {
    auto first = Make();
    first->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    first.reset();

    setenv("VELQUIN_DEMO_UNINSTALL", "fail", 1);
    testsupport::Recorder second;
    second.isFinal = IsRunEnd;
    CDownloadInstaller pipeline(second.Callback(), L"", L"", L"", true, true, true);
    pipeline.SetParams(W(server->DefaultUrl()), W(installDir) + L"/uninst.ep", W(installDir), true,
                       true, true, true);
    server->ClearRequests();
    pipeline.Start();
    ASSERT_TRUE(second.WaitForFinal());
    EXPECT_EQ(second.Events().back().code, UNIST_CODE_ERROR);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(server->Requests().empty());
}

TEST_F(PipelineTest, MissingOldUninstallerCountsAsNone) {
    auto pipeline = Make(L"/no/such/uninst.ep");
    pipeline->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Events().front().code, DL_CODE_START);
}

TEST_F(PipelineTest, DownloadFailureAfterTheRetryDeletesThePackagePath) {
    Settings().DownloadType = 3;
    PackageServerOptions o = server->Options();
    o.corruptAt = 1000;
    server->SetOptions(o);
    auto pipeline = Make();
    pipeline->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    std::vector<int> stages = Stages();
    EXPECT_EQ(stages, (std::vector<int>{DL_CODE_START, DL_CODE_REPORT, DL_CODE_RETRY, DL_CODE_START,
                                        DL_CODE_REPORT, DL_CODE_FAIL}));
    pipeline.reset();
    EXPECT_FALSE(platform::PathExists(installDir + "/__Package_Velquin.exe"));
    EXPECT_FALSE(platform::PathExists(installDir + "/vuvIroridazaDirizode.exe"));
}

TEST_F(PipelineTest, FailingPackageReportsAndTheFolderIsCreatedAtDownloadStart) {
    Settings().InstCmd = L"-demo-fail";
    auto pipeline = Make();
    pipeline->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    Settings().InstCmd.clear();
    EXPECT_EQ(recorder.Events().back().code, IST_CODE_FAIL);
    EXPECT_TRUE(platform::IsDirectory(installDir));
    pipeline.reset();
    EXPECT_FALSE(platform::PathExists(installDir + "/__Package_Velquin.exe"));
}

}  // namespace
