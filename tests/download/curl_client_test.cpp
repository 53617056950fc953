// CurlClient against the package server on loopback.
#include "download/curl_client.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "platform/files.h"
#include "tests/download/download_test_support.h"
#include "tests/support/scratch_home.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

using velquin_tools::PackageServer;
using velquin_tools::PackageServerOptions;

struct SinkLog {
    std::vector<double> percents;
};

void Sink(void* owner, double, double, double percent) {
    static_cast<SinkLog*>(owner)->percents.push_back(percent);
}

class CurlClientTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::InitCurlOnce(); }

    void Serve(size_t size) {
        PackageServerOptions o;
        o.body = testsupport::PackageBytes(size);
        server = std::make_unique<PackageServer>(o);
        ASSERT_TRUE(server->Start());
    }
    std::wstring W(const std::string& s) const { return Utils::ToWide(s, Utils::kCodePageUtf8); }
    std::string Content(const std::string& path) const {
        std::string s;
        platform::ReadWholeFile(path, s);
        return s;
    }
    int CountHeads() const {
        int n = 0;
        for (const auto& r : server->Requests()) {
            n += r.method == "HEAD";
        }
        return n;
    }

    testsupport::ScratchHome home;
    std::unique_ptr<PackageServer> server;
    std::string target = home.Path("pkg.exe");
    SinkLog log;
};

TEST_F(CurlClientTest, FileBelowOneMebibyteIsRefusedWithoutAPartFile) {
    Serve(1048575);
    CurlClient client(W(server->DefaultUrl()), W(target), &log, Sink);
    EXPECT_EQ(client.Start(), CurlClient::kLengthUnusable);
    EXPECT_FALSE(platform::PathExists(target + ".part"));
    EXPECT_FALSE(platform::PathExists(target));
}

TEST_F(CurlClientTest, ExactlyOneMebibyteFollowsTheRedirectAndLandsWhole) {
    Serve(1048576);
    ASSERT_TRUE(platform::WriteFileAtomic(target, "an older package"));
    CurlClient client(W(server->DefaultUrl()), W(target), &log, Sink);
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(Content(target), server->Options().body);  // replaced the older file
    EXPECT_FALSE(platform::PathExists(target + ".part"));
    EXPECT_EQ(client.RealUrl(), server->PackageUrl());
    EXPECT_EQ(Utils::UrlParentSegment(client.RealUrl()), Utils::FileMd5(target));
}

TEST_F(CurlClientTest, ExistingPartFileIsResumedAndCountsTowardsProgress) {
    Serve(3 * 1048576);
    const std::string body = server->Options().body;
    ASSERT_TRUE(platform::WriteFileAtomic(target + ".part", body.substr(0, 2000000)));
    PackageServerOptions slow = server->Options();
    slow.bytesPerSecond = 512 * 1024;  // long enough for a progress report
    server->SetOptions(slow);
    CurlClient client(W(server->DefaultUrl()), W(target), &log, Sink);
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(Content(target), body);
    EXPECT_EQ(client.ContentMd5(), PackageServer::Md5Hex(body));  // the kept bytes are hashed too
    bool sawRange = false;
    for (const auto& r : server->Requests()) {
        sawRange |= r.method == "GET" && r.range == "bytes=2000000-";
    }
    EXPECT_TRUE(sawRange);
    ASSERT_FALSE(log.percents.empty());
    EXPECT_GE(log.percents.front(), 2000000.0 * 100.0 / (3 * 1048576.0));
}

TEST_F(CurlClientTest, SecondStartSkipsTheProbesAndResumes) {
    Serve(2 * 1048576);
    PackageServerOptions o = server->Options();
    o.disconnectAfter = 700000;
    o.disconnectTimes = 1;
    server->SetOptions(o);
    CurlClient client(W(server->DefaultUrl()), W(target), &log, Sink);
    EXPECT_EQ(client.Start(), CURLE_PARTIAL_FILE);
    EXPECT_EQ(platform::FileSize(target + ".part"), 700000);
    const int headsBefore = CountHeads();
    server->ClearRequests();
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(CountHeads(), 0);
    ASSERT_EQ(server->Requests().size(), 1u);
    EXPECT_EQ(server->Requests()[0].range, "bytes=700000-");
    EXPECT_GT(headsBefore, 0);
    EXPECT_EQ(Content(target), o.body);
}

TEST_F(CurlClientTest, ErrorStatusesAndMissingLengthsGiveUnusableLength) {
    Serve(2 * 1048576);
    for (auto change : std::vector<std::function<void(PackageServerOptions&)>>{
             [](PackageServerOptions& o) { o.status = 404; },
             [](PackageServerOptions& o) { o.status = 500; },
             [](PackageServerOptions& o) { o.noContentLength = true; }}) {
        PackageServerOptions o = server->Options();
        o.status = 200;
        o.noContentLength = false;
        change(o);
        server->SetOptions(o);
        CurlClient client(W(server->DefaultUrl()), W(target), &log, Sink);
        EXPECT_EQ(client.Start(), CurlClient::kLengthUnusable);
        EXPECT_FALSE(platform::PathExists(target + ".part"));
    }
}

TEST_F(CurlClientTest, UnreachableServerGivesUnusableLength) {
    CurlClient client(L"http://127.0.0.1:1/software/222", W(target), &log, Sink);
    EXPECT_EQ(client.Start(), CurlClient::kLengthUnusable);
}

TEST_F(CurlClientTest, FileAddressIsCopiedThroughTheTransfer) {
    const std::string source = home.Path("source.bin");
    const std::string body = testsupport::PackageBytes(1500000, 7);
    ASSERT_TRUE(platform::WriteFileAtomic(source, body));
    CurlClient client(W("file://" + source), W(target), &log, Sink);
    ASSERT_EQ(client.Start(), 0);
    EXPECT_EQ(Content(target), body);
}

TEST_F(CurlClientTest, PartFileThatCannotBeOpenedIsReportedWithItsReason) {
    Serve(1048576);
    const std::string missingFolder = home.Path("no/such/folder/pkg.exe");
    CurlClient client(W(server->DefaultUrl()), W(missingFolder), &log, Sink);
    server->ClearRequests();
    EXPECT_EQ(client.Start(), CurlClient::kPartFileFailed);
    EXPECT_NE(client.ErrorText().find(L"posix:"), std::wstring::npos);
    for (const auto& r : server->Requests()) {
        EXPECT_EQ(r.method, "HEAD");  // only the probe went out
    }
}

TEST_F(CurlClientTest, PartFileBehindASymbolicLinkIsNotFollowed) {
    Serve(1048576);
    const std::string elsewhere = home.Path("victim");
    ASSERT_TRUE(platform::WriteFileAtomic(elsewhere, "keep"));
    ASSERT_EQ(symlink(elsewhere.c_str(), (target + ".part").c_str()), 0);
    CurlClient client(W(server->DefaultUrl()), W(target), &log, Sink);
    EXPECT_EQ(client.Start(), CurlClient::kPartFileFailed);
    EXPECT_EQ(Content(elsewhere), "keep");
}

TEST_F(CurlClientTest, DestructionDeletesThePartFile) {
    Serve(2 * 1048576);
    PackageServerOptions o = server->Options();
    o.disconnectAfter = 100000;
    o.disconnectTimes = 1;
    server->SetOptions(o);
    {
        CurlClient client(W(server->DefaultUrl()), W(target), &log, Sink);
        EXPECT_EQ(client.Start(), CURLE_PARTIAL_FILE);
        EXPECT_TRUE(platform::PathExists(target + ".part"));
    }
    EXPECT_FALSE(platform::PathExists(target + ".part"));
}

}  // namespace
