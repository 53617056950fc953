// The record queue against a real collector on loopback.
#include "analytics/sdk/record_queue.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "analytics/sdk/sdk.h"
#include "platform/files.h"
#include "tests/support/scratch_home.h"
#include "tools/collector/collector.h"

namespace {

using analytics_sdk::RecordQueue;
using velquin_tools::Collector;

std::string Rec(int i) {
    return "{\"n\":" + std::to_string(i) + "}";
}

class RecordQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool curlReady = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
        ASSERT_TRUE(curlReady);
        ASSERT_TRUE(collector.Start());
    }
    std::vector<int> Received() const {
        std::vector<int> ns;
        for (const auto& r : collector.Records()) {
            ns.push_back(r["n"].get<int>());
        }
        return ns;
    }

    testsupport::ScratchHome home;
    Collector collector;
    std::string staging = home.Path("data/staging.jsonl");
};

TEST_F(RecordQueueTest, ThirtyOneRecordsGoAsThirtyThenOne) {
    RecordQueue q(staging, collector.Url());
    for (int i = 0; i < 31; ++i) {
        q.Enqueue(Rec(i));
    }
    EXPECT_TRUE(q.FlushAll());
    EXPECT_EQ(collector.BatchSizes(), (std::vector<size_t>{30, 1}));
    std::vector<int> expected(31);
    for (int i = 0; i < 31; ++i) {
        expected[static_cast<size_t>(i)] = i;
    }
    EXPECT_EQ(Received(), expected);
    for (const std::string& body : collector.Bodies()) {
        EXPECT_EQ(body.rfind("data_list=H4sI", 0), 0u);
        EXPECT_EQ(body.substr(body.size() - 7), "&gzip=1");
        const std::string middle = body.substr(10, body.size() - 17);
        EXPECT_EQ(middle.find_first_of("+/=&"), std::string::npos);
    }
}

TEST_F(RecordQueueTest, TheOldestRecordGoesWhenFull) {
    RecordQueue q(staging, collector.Url());
    for (int i = 1; i <= 1025; ++i) {
        q.Enqueue(Rec(i));
    }
    auto records = q.Records();
    ASSERT_EQ(records.size(), 1024u);
    EXPECT_EQ(records.front(), Rec(2));
    EXPECT_EQ(records.back(), Rec(1025));
}

TEST_F(RecordQueueTest, OnlyStatus200CountsAndFailedBatchesReturnToTheHead) {
    for (int status : {201, 302, 500}) {
        collector.SetStatus(status);
        RecordQueue q(staging, collector.Url());
        for (int i = 0; i < 3; ++i) {
            q.Enqueue(Rec(i));
        }
        EXPECT_FALSE(q.FlushAll()) << status;
        EXPECT_EQ(q.Records(), (std::vector<std::string>{Rec(0), Rec(1), Rec(2)}));
    }
    EXPECT_TRUE(collector.Records().empty());
}

TEST_F(RecordQueueTest, RefusedConnectionAndTimeoutKeepTheRecords) {
    RecordQueue refused(staging, "http://127.0.0.1:1/sa");
    refused.Enqueue(Rec(1));
    EXPECT_FALSE(refused.FlushAll());
    EXPECT_EQ(refused.Records().size(), 1u);

    collector.SetStallMs(4000);  // beyond the 3-second limit
    RecordQueue slow(staging, collector.Url());
    slow.Enqueue(Rec(2));
    EXPECT_FALSE(slow.SendBatch());
    EXPECT_EQ(slow.Records(), std::vector<std::string>{Rec(2)});
}

TEST_F(RecordQueueTest, RecordsStagedAtCloseAreSentFirstByTheNextRun) {
    {
        RecordQueue first(staging, collector.Url());
        first.Enqueue(Rec(1));
        first.Enqueue(Rec(2));
        first.Close();
    }
    struct stat st {};
    ASSERT_EQ(stat(staging.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // owner only
    RecordQueue second(staging, collector.Url());
    second.Enqueue(Rec(3));
    EXPECT_TRUE(second.FlushAll());
    EXPECT_EQ(Received(), (std::vector<int>{1, 2, 3}));
    std::string content = "x";
    ASSERT_TRUE(platform::ReadWholeFile(staging, content));
    EXPECT_EQ(content, "");
}

TEST_F(RecordQueueTest, StagingFileKeepsOnlyRecordLinesAndOnlyWhatFits) {
    ASSERT_TRUE(platform::WriteFileAtomic(staging, Rec(1) + "\n\n" + "junk}\n" + Rec(2) + "\n" +
                                                       Rec(3) + "\n" + Rec(4) + "\n" + Rec(5) +
                                                       "\n" + Rec(6)));
    RecordQueue q(staging, collector.Url());
    for (int i = 100; i < 1120; ++i) {
        q.Enqueue(Rec(i));  // 1020 queued: room for 4
    }
    collector.SetStatus(500);
    EXPECT_FALSE(q.SendBatch());
    auto records = q.Records();
    ASSERT_EQ(records.size(), 1024u);
    EXPECT_EQ(std::vector<std::string>(records.begin(), records.begin() + 4),
              (std::vector<std::string>{Rec(3), Rec(4), Rec(5), Rec(6)}));
}

TEST_F(RecordQueueTest, FailedBatchReturnsOnlyWhatFits) {
    collector.SetStatus(500);
    collector.SetStallMs(300);
    RecordQueue q(staging, collector.Url());
    for (int i = 0; i < 30; ++i) {
        q.Enqueue(Rec(i));
    }
    std::thread sender([&] { EXPECT_FALSE(q.SendBatch()); });
    // While the batch is in flight, 1000 new records arrive.
    while (collector.Requests() == 0 && q.Records().size() == 30) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int i = 1000; i < 2000; ++i) {
        q.Enqueue(Rec(i));
    }
    sender.join();
    auto records = q.Records();
    ASSERT_EQ(records.size(), 1024u);
    EXPECT_EQ(records.front(), Rec(6));  // the newest 24 of the batch
    EXPECT_EQ(records[23], Rec(29));
    EXPECT_EQ(records[24], Rec(1000));
}

TEST_F(RecordQueueTest, EmptyQueueFlushesWithoutARequest) {
    RecordQueue q(staging, collector.Url());
    EXPECT_TRUE(q.FlushAll());
    EXPECT_EQ(collector.Requests(), 0);
}

TEST(BatchBodyTest, EncodingPieces) {
    EXPECT_EQ(analytics_sdk::Base64Encode(""), "");
    EXPECT_EQ(analytics_sdk::Base64Encode("f"), "Zg==");
    EXPECT_EQ(analytics_sdk::Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(analytics_sdk::Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(analytics_sdk::UrlEscape("a+b/c=d-._~"), "a%2Bb%2Fc%3Dd-._~");
    std::string body;
    ASSERT_TRUE(analytics_sdk::EncodeBatchBody("[{\"a\":1}]", body));
    nlohmann::json records;
    ASSERT_TRUE(velquin_tools::DecodeDataList(body, records));
    EXPECT_EQ(records, nlohmann::json::parse("[{\"a\":1}]"));
}

}  // namespace
