// CMTCurlDownloader: range split, parallel ranges, merge, checksum, resume.
#include "download/mt_curl_downloader.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

#include "app/settings.h"
#include "platform/files.h"
#include "tests/download/download_test_support.h"
#include "tests/support/scratch_home.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

using velquin_tools::PackageServer;
using velquin_tools::PackageServerOptions;

struct SplitCase {
    int64_t length;
    std::vector<std::pair<int64_t, int64_t>> ranges;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.length;
}

class SplitRangesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitRangesTest, OneRangeBelowTwentyMebibytesTwoFromThere) {
    EXPECT_EQ(CMTCurlDownloader::SplitRanges(GetParam().length), GetParam().ranges);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitRangesTest,
    ::testing::Values(SplitCase{256, {{0, 255}}}, SplitCase{20971519, {{0, 20971518}}},
                      SplitCase{20971520, {{0, 10485759}, {10485760, 20971519}}},
                      SplitCase{25000001, {{0, 12499999}, {12500000, 25000000}}},
                      // Past the 32-bit limit: offsets stay exact.
                      SplitCase{3221225473LL, {{0, 1610612735LL}, {1610612736LL, 3221225472LL}}}));

class MtCurlDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::InitCurlOnce();
        PackageServerOptions o;
        o.body = testsupport::PackageBytes(3 * 1048576 + 17, 5);
        server = std::make_unique<PackageServer>(o);
        ASSERT_TRUE(server->Start());
    }
    void Change(const std::function<void(PackageServerOptions&)>& f) {
        PackageServerOptions o = server->Options();
        f(o);
        server->SetOptions(o);
    }
    std::wstring W(const std::string& s) const { return Utils::ToWide(s, Utils::kCodePageUtf8); }
    std::unique_ptr<CMTCurlDownloader> Make(const std::string& url) {
        auto d = std::make_unique<CMTCurlDownloader>(recorder.Callback(), W(url), W(target));
        CMTCurlDownloader* raw = d.get();
        restart = [raw] { raw->Start(); };
        return d;
    }
    std::string Content() const {
        std::string s;
        platform::ReadWholeFile(target, s);
        return s;
    }
    std::vector<std::string> GetRanges() const {
        std::vector<std::string> ranges;
        for (const auto& r : server->Requests()) {
            if (r.method == "GET") {
                ranges.push_back(r.range);
            }
        }
        return ranges;
    }

    testsupport::ScratchHome home;
    std::unique_ptr<PackageServer> server;
    std::string target = home.Path("__Package_Velquin.exe");
    testsupport::Recorder recorder;
    std::function<void()> restart;
};

TEST_F(MtCurlDownloaderTest, TwoRangesAreFetchedMergedAndVerified) {
    Change([](PackageServerOptions& o) {
        o.body = testsupport::PackageBytes(20971520 + 3, 9);
        o.bytesPerSecond = 8 * 1024 * 1024;
    });
    auto d = Make(server->DefaultUrl());
    recorder.isFinal = [](const testsupport::Event& e) {
        return e.code != DL_CODE_START && e.code != DL_CODE_PROGRESS;
    };
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}));
    EXPECT_EQ(Content(), server->Options().body);
    auto ranges = GetRanges();
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(ranges, (std::vector<std::string>{"bytes=0-10485760", "bytes=10485761-20971522"}));
    EXPECT_FALSE(platform::PathExists(target + "_0"));
    EXPECT_FALSE(platform::PathExists(target + "_1"));
    const auto progress = recorder.ProgressValues();
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i] - progress[i - 1], 0.01 - 1e-9);  // steps of at least one percent
    }
}

TEST_F(MtCurlDownloaderTest, ChecksumMismatchDiscardsTheFileAndRetriesOnce) {
    Change([](PackageServerOptions& o) { o.corruptAt = 99; });
    auto d = Make(server->DefaultUrl());
    recorder.onEvent = [this](const testsupport::Event& e) {
        if (e.code == DL_CODE_RETRY) {
            restart();
        }
    };
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_REPORT, DL_CODE_RETRY,
                                                  DL_CODE_START, DL_CODE_REPORT, DL_CODE_FAIL}));
    EXPECT_EQ(recorder.Reports()[1].text, L"mtcurl文件md5校验失败");
    EXPECT_FALSE(platform::PathExists(target));
}

TEST_F(MtCurlDownloaderTest, UpperCaseChecksumInTheAddressNeverMatches) {
    Change([](PackageServerOptions& o) {
        std::string md5 = PackageServer::Md5Hex(o.body);
        for (char& c : md5) {
            c = static_cast<char>(toupper(c));
        }
        o.md5Segment = md5;
    });
    auto d = Make(server->DefaultUrl());
    recorder.onEvent = [this](const testsupport::Event& e) {
        if (e.code == DL_CODE_RETRY) {
            restart();
        }
    };
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_REPORT, DL_CODE_RETRY,
                                                  DL_CODE_START, DL_CODE_REPORT, DL_CODE_FAIL}));
}

TEST_F(MtCurlDownloaderTest, AddressWithoutChecksumIsReportedThenAccepted) {
    Change([](PackageServerOptions& o) { o.omitMd5Segment = true; });
    auto d = Make(server->DefaultUrl());
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_REPORT, DL_CODE_SUCCESS}));
    EXPECT_EQ(recorder.Reports()[recorder.Reports().size() - 2].text, L"mtcurl获取url-md5失败");
    EXPECT_EQ(Content(), server->Options().body);
}

TEST_F(MtCurlDownloaderTest, RangeFailureAfterProgressKeepsThePartsAndTheRestartResumes) {
    // Every answer breaks off after 64 KiB, slowly enough for progress to be reported:
    // the range spends its attempts, the run fails once, and the restart (with a
    // healthy server) asks only for the missing bytes.
    Change([](PackageServerOptions& o) {
        o.disconnectAfter = 64 * 1024;
        o.disconnectTimes = -1;
        o.bytesPerSecond = 256 * 1024;
    });
    auto d = Make(server->DefaultUrl());
    std::atomic<int64_t> keptBytes{-1};
    recorder.onEvent = [&](const testsupport::Event& e) {
        if (e.code == DL_CODE_RETRY) {
            keptBytes = platform::FileSize(target + "_0");
            Change([](PackageServerOptions& o) {
                o.disconnectAfter = -1;
                o.bytesPerSecond = 0;
            });
            server->ClearRequests();
            restart();
        }
    };
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes(),
              (std::vector<int>{DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}));
    EXPECT_EQ(recorder.Events()[recorder.Events().size() - 1].code, DL_CODE_SUCCESS);
    ASSERT_GT(keptBytes.load(), 0);
    const auto ranges = GetRanges();
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0], "bytes=" + std::to_string(keptBytes.load()) + "-" +
                             std::to_string(server->Options().body.size() - 1));
    EXPECT_EQ(Content(), server->Options().body);
}

TEST_F(MtCurlDownloaderTest, ProbeFailuresEndAtOnceWithoutRetry) {
    for (auto change : std::vector<std::function<void(PackageServerOptions&)>>{
             [](PackageServerOptions& o) { o.status = 404; },
             [](PackageServerOptions& o) { o.noContentLength = true; }}) {
        Change([&](PackageServerOptions& o) {
            o.status = 200;
            o.noContentLength = false;
            change(o);
        });
        testsupport::Recorder r;
        CMTCurlDownloader d(r.Callback(), W(server->DefaultUrl()), W(target));
        d.Start();
        ASSERT_TRUE(r.WaitForFinal());
        EXPECT_EQ(r.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
        EXPECT_EQ(r.Events().back().value, 0.0);
    }
}

TEST_F(MtCurlDownloaderTest, StalledRangeIsAbandonedAfterFiveSilentSecondsAndRetried) {
    Change([](PackageServerOptions& o) {
        o.stallAfter = 100000;
        o.stallTimes = 1;
    });
    auto d = Make(server->DefaultUrl());
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes().back(), DL_CODE_SUCCESS);
    const auto ranges = GetRanges();
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[1], "bytes=100000-" + std::to_string(server->Options().body.size() - 1));
    EXPECT_EQ(Content(), server->Options().body);
}

struct LengthCase {
    size_t length;
    int finalCode;
};

void PrintTo(const LengthCase& c, std::ostream* os) {
    *os << c.length;
}

class MtLengthTest : public MtCurlDownloaderTest,
                     public ::testing::WithParamInterface<LengthCase> {};

TEST_P(MtLengthTest, FilesBelow256BytesAreRefusedByTheProbe) {
    Change(
        [](PackageServerOptions& o) { o.body = testsupport::PackageBytes(GetParam().length, 4); });
    auto d = Make(server->DefaultUrl());
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes().back(), GetParam().finalCode);
}

INSTANTIATE_TEST_SUITE_P(Cases, MtLengthTest,
                         ::testing::Values(LengthCase{255, DL_CODE_FAIL},
                                           LengthCase{256, DL_CODE_SUCCESS}));

TEST_F(MtCurlDownloaderTest, NoCurlMeansNoRequest) {
    Settings().IsCurlReady = false;
    auto d = Make(server->DefaultUrl());
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    Settings().IsCurlReady = true;
    EXPECT_EQ(recorder.Codes(), (std::vector<int>{DL_CODE_START, DL_CODE_FAIL}));
    EXPECT_TRUE(server->Requests().empty());
}

TEST_F(MtCurlDownloaderTest, NewDownloaderNeverResumesStaleParts) {
    ASSERT_TRUE(platform::WriteFileAtomic(target + "_0", "stale bytes from another package"));
    auto d = Make(server->DefaultUrl());
    EXPECT_FALSE(platform::PathExists(target + "_0"));
    d->Start();
    ASSERT_TRUE(recorder.WaitForFinal());
    EXPECT_EQ(recorder.Codes().back(), DL_CODE_SUCCESS);
    EXPECT_EQ(GetRanges(), std::vector<std::string>{
                               "bytes=0-" + std::to_string(server->Options().body.size() - 1)});
}

TEST_F(MtCurlDownloaderTest, DestructionDuringTransferStopsEveryThread) {
    Change([](PackageServerOptions& o) {
        o.body = testsupport::PackageBytes(22 * 1048576, 2);
        o.bytesPerSecond = 256 * 1024;
    });
    auto d = Make(server->DefaultUrl());
    d->Start();
    for (int i = 0; i < 500 && GetRanges().size() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto before = std::chrono::steady_clock::now();
    d.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));
    const size_t count = recorder.Events().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(recorder.Events().size(), count);
    EXPECT_FALSE(platform::PathExists(target));
}

}  // namespace
