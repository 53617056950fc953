// CWinDownloader and the blocking download underneath it.
#include "download/win_downloader.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "platform/files.h"
#include "tests/download/download_test_support.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

using velquin_tools::PackageServer;
using velquin_tools::PackageServerOptions;

class WinDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::InitCurlOnce();
        PackageServerOptions o;
        o.body = testsupport::PackageBytes(1500000, 3);
        o.bytesPerSecond = 2 * 1024 * 1024;
        server = std::make_unique<PackageServer>(o);
        ASSERT_TRUE(server->Start());
    }
    std::wstring W(const std::string& s) const { return Utils::ToWide(s, Utils::kCodePageUtf8); }

    testsupport::ScratchHome home;
    std::unique_ptr<PackageServer> server;
    std::string target = home.Path("__Package_Velquin.exe");
    testsupport::Recorder recorder;
};

TEST_F(WinDownloaderTest, DownloadsWithProgressAndCompletes) {
    CWinDownloader d(recorder.Callback(), W(server->DefaultUrl()), W(target));
    d.Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}));
    EXPECT_EQ(recorder.Events().back().text, L"URLDownloadToFile");
    const auto progress = recorder.ProgressValues();
    ASSERT_FALSE(progress.empty());
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(target, content));
    EXPECT_EQ(content, server->Options().body);
}

TEST_F(WinDownloaderTest, BlankInTheAddressIsSentAsPlusAndFailuresAreTriedThreeTimes) {
    const std::string url = "http://127.0.0.1:" + std::to_string(server->Port()) + "/no such/file";
    CWinDownloader d(recorder.Callback(), W(url), W(target));
    d.Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(recorder.Events().back().value, static_cast<double>(kResultNotFound));
    const auto requests = server->Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& r : requests) {
        EXPECT_EQ(r.path, "/no+such/file");
    }
    EXPECT_FALSE(platform::PathExists(target));
    EXPECT_FALSE(platform::PathExists(target + ".dltmp"));
}

TEST_F(WinDownloaderTest, InterruptedDownloadNeverReportsSuccessOrLeavesAFile) {
    PackageServerOptions o = server->Options();
    o.disconnectAfter = 50000;
    o.disconnectTimes = -1;
    server->SetOptions(o);
    CWinDownloader d(recorder.Callback(), W(server->DefaultUrl()), W(target));
    d.Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes().back(), DL_CODE_FAIL);
    EXPECT_EQ(recorder.Events().back().value, static_cast<double>(kResultFailed));
    EXPECT_FALSE(platform::PathExists(target));
}

TEST_F(WinDownloaderTest, FileAddressIsPassedUnchanged) {
    const std::string source = home.Path("my package.bin");
    ASSERT_TRUE(platform::WriteFileAtomic(source, "payload"));
    CWinDownloader d(recorder.Callback(), W("file://" + source), W(target));
    d.Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes().back(), DL_CODE_SUCCESS);
}

TEST(BindCallbackTest, ProgressPairsBecomeFractionsUntilCancelled) {
    std::vector<double> values;
    CWinDownloader::CBindCallback cb;
    cb.SetCallback([&](int code, double value, const wchar_t*) {
        EXPECT_EQ(code, DL_CODE_PROGRESS);
        values.push_back(value);
    });
    EXPECT_EQ(cb.OnProgress(10, 0), kResultOk);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(cb.OnProgress(512, 1024), kResultOk);
    EXPECT_EQ(values, std::vector<double>{0.5});
    cb.Cancel();
    EXPECT_EQ(cb.OnProgress(1024, 1024), kResultAborted);
    EXPECT_EQ(values.size(), 1u);
}

TEST_F(WinDownloaderTest, DestructionAbortsTheRunningDownload) {
    PackageServerOptions o = server->Options();
    o.bytesPerSecond = 32 * 1024;
    server->SetOptions(o);
    auto d =
        std::make_unique<CWinDownloader>(recorder.Callback(), W(server->DefaultUrl()), W(target));
    d->Start();
    for (int i = 0; i < 500 && recorder.ProgressValues().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    d.reset();
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START}));
    EXPECT_FALSE(platform::PathExists(target));
}

}  // namespace
