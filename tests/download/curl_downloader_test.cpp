// CCurlDownloader: notification sequences, retries, verification, destruction.
#include "download/curl_downloader.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "platform/files.h"
#include "tests/download/download_test_support.h"
#include "tests/support/scratch_home.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

using velquin_tools::PackageServer;
using velquin_tools::PackageServerOptions;

class CurlDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::InitCurlOnce();
        PackageServerOptions o;
        o.body = testsupport::PackageBytes(2 * 1048576 + 123);
        server = std::make_unique<PackageServer>(o);
        ASSERT_TRUE(server->Start());
    }
    void Change(const std::function<void(PackageServerOptions&)>& f) {
        PackageServerOptions o = server->Options();
        f(o);
        server->SetOptions(o);
    }
    std::wstring W(const std::string& s) const { return Utils::ToWide(s, Utils::kCodePageUtf8); }
    std::unique_ptr<CCurlDownloader> Make(const std::string& url) {
        return std::make_unique<CCurlDownloader>(recorder.Callback(), W(url), W(target));
    }

    testsupport::ScratchHome home;
    std::unique_ptr<PackageServer> server;
    std::string target = home.Path("__Package_Velquin.exe");
    testsupport::Recorder recorder;
};

TEST_F(CurlDownloaderTest, SuccessStartsVerifiesAndCompletes) {
    Change([](PackageServerOptions& o) { o.bytesPerSecond = 1024 * 1024; });
    auto d = Make(server->DefaultUrl());
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}));
    const auto events = recorder.Events();
    EXPECT_EQ(events.front().value, 1.0);
    EXPECT_EQ(events.back().text, L"LibCurl");
    for (double v : recorder.ProgressValues()) {
        EXPECT_GT(v, 0.0);
        EXPECT_LE(v, 1.0);
    }
    EXPECT_FALSE(recorder.ProgressValues().empty());
    EXPECT_EQ(Utils::FileMd5(target), PackageServer::Md5Hex(server->Options().body));
}

TEST_F(CurlDownloaderTest, AddressWithoutChecksumIsReportedThenAccepted) {
    Change([](PackageServerOptions& o) { o.omitMd5Segment = true; });
    auto d = Make(server->DefaultUrl());
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_REPORT, DL_CODE_SUCCESS}));
    EXPECT_EQ(recorder.Reports()[recorder.Reports().size() - 2].text, L"curl获取url-md5失败");
}

TEST_F(CurlDownloaderTest, DroppedConnectionsAreResumedToAByteIdenticalFile) {
    Change([](PackageServerOptions& o) {
        o.disconnectAfter = 400000;
        o.disconnectTimes = 4;
    });
    auto d = Make(server->DefaultUrl());
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes().back(), DL_CODE_SUCCESS);
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(target, content));
    EXPECT_EQ(content, server->Options().body);
    int ranged = 0;
    for (const auto& r : server->Requests()) {
        ranged += r.method == "GET" && !r.range.empty();
    }
    EXPECT_EQ(ranged, 4);
}

TEST_F(CurlDownloaderTest, ChecksumMismatchRetriesOnceFromTheRetryNotification) {
    Change([](PackageServerOptions& o) { o.corruptAt = 12345; });
    auto d = Make(server->DefaultUrl());
    CCurlDownloader* raw = d.get();
    recorder.onEvent = [raw](const testsupport::Event& e) {
        if (e.code == DL_CODE_RETRY) {
            raw->Start();  // on the worker that sent it, as the pipeline does
        }
    };
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_REPORT, DL_CODE_RETRY,
                                                  DL_CODE_START, DL_CODE_REPORT, DL_CODE_FAIL}));
    EXPECT_EQ(recorder.Reports()[1].text, L"curl文件md5校验失败");
    EXPECT_EQ(recorder.Events().back().value, 0.0);
}

TEST_F(CurlDownloaderTest, UnreachableServerFailsWithTheLengthCodeAfterTheBudget) {
    auto d = Make("http://127.0.0.1:1/software/222");
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_EQ(recorder.Events().back().value, -998.0);
    EXPECT_FALSE(platform::PathExists(target));
}

TEST_F(CurlDownloaderTest, FailuresOtherThanPartialTransfersCostTwice) {
    auto d = Make(server->PackageUrl());
    // The probes see the file; every transfer is cut short and the server then stops
    // answering ranges, so each attempt fails with a code other than 18.
    Change([](PackageServerOptions& o) {
        o.disconnectAfter = 1000;
        o.disconnectTimes = 1;
        o.ignoreRange = true;
    });
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes().back(), DL_CODE_FAIL);
    int gets = 0;
    for (const auto& r : server->Requests()) {
        gets += r.method == "GET";
    }
    // One partial transfer costs 1 of the 12, then six range errors at 2 each spend the rest.
    EXPECT_EQ(gets, 7);
    EXPECT_NE(recorder.Events().back().value, 18.0);
}

TEST_F(CurlDownloaderTest, DestructionDuringATransferStopsItAndReportsNothingMore) {
    Change([](PackageServerOptions& o) { o.bytesPerSecond = 64 * 1024; });
    auto d = Make(server->DefaultUrl());
    d->Start();
    // Wait until the body is flowing.
    for (int i = 0; i < 500 && !platform::PathExists(target + ".part"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto before = std::chrono::steady_clock::now();
    d.reset();
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_LT(took, std::chrono::seconds(20));  // far below the minute the transfer needs
    const size_t count = recorder.Events().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(recorder.Events().size(), count);
    for (int code : recorder.Codes()) {
        EXPECT_NE(code, DL_CODE_SUCCESS);
        EXPECT_NE(code, DL_CODE_FAIL);
    }
    EXPECT_FALSE(platform::PathExists(target + ".part"));
}

}  // namespace
