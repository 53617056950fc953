// The event catalogue and the profile setters, on a tracker whose collector is
// unreachable so that every record stays queued for inspection.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "analytics/sdk/sdk.h"
#include "analytics/tracker.h"
#include "analytics/user_tracker.h"
#include "tests/support/scratch_home.h"
#include "utils/profile.h"

namespace {

using namespace zorvane::telemetry;
using nlohmann::json;

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        TrackerOptions o;
        o.appName = "Velquin.downloader";
        o.appVersion = "1.7.9";
        o.appStore = "velquin-installer";
        o.serverUrl = "http://127.0.0.1:1/sa";
        tracker = std::make_unique<ZvTrackerImpl>(o);
        tracker->Init();
    }
    void TearDown() override { tracker.reset(); }
    std::vector<json> Records() const {
        std::vector<json> out;
        for (const auto& r : analytics_sdk::Sdk::QueuedRecords()) {
            out.push_back(json::parse(r));
        }
        return out;
    }
    template <typename F>
    std::string Refusal(F&& f) {
        try {
            f();
        } catch (const ZvException& e) {
            return e.what();
        }
        return "(accepted)";
    }

    testsupport::ScratchHome home;
    std::unique_ptr<ZvTrackerImpl> tracker;
    ZvContextProperties none;
};

TEST_F(CatalogueTest, RefusalsCarryTheirMessages) {
    ZvEventClick click;
    click.name = "b";
    click.clickType = static_cast<ClickType>(7);
    EXPECT_EQ(Refusal([&] { tracker->trackClick(click, none); }), "Unknown ClickType [7]!");
    ZvEventOrder order;
    order.zvSuitId = "s";
    order.zvCurrency = std::make_shared<ZvCurrency>(ZvCurrency::CNY);
    order.originalAmount = 10.0f;
    order.paidAmount = 0.0f;
    EXPECT_EQ(Refusal([&] { tracker->trackOrder(order, none); }),
              "zvEventOrder.originalAmount is less than zero");
    ZvEventUpdate update;
    update.op = ZvUpdateOp::DownloadEnd;
    EXPECT_EQ(Refusal([&] { tracker->trackUpdate(update, none); }),
              "Unknown updateResultInfo info");
    update.result = std::make_shared<ZvUpdateResult>(ZvUpdateResult::Success);
    EXPECT_EQ(Refusal([&] { tracker->trackUpdate(update, none); }), "invalid elapsed info");
    EXPECT_EQ(Refusal([&] { tracker->trackAppOpenNotification(nullptr, none); }),
              "&appOpenNotification is nullptr");
    ZvEventPayment payment;
    payment.zvOrderId = "o";
    payment.paidAmount = -1.5f;
    EXPECT_EQ(Refusal([&] { tracker->trackPayment(payment, none); }),
              "paidAmount = -1.500000 is invalid");
    EXPECT_EQ(Refusal([&] { tracker->trackFile(ZvEventFile{}, none); }),
              "zvEventFile.aname is empty");
    EXPECT_TRUE(Records().empty());
}

TEST_F(CatalogueTest, OptionalFieldsAndResultTexts) {
    ZvEventTask task;
    task.name = "t";
    task.result = std::make_shared<ZvResult>(ZvResult::Unknown);
    tracker->trackTask(task, none);
    ZvEventFile file;
    file.aname = "f";
    file.size = std::make_shared<float>(0.0f);
    file.io = std::make_shared<ZvIoType>(ZvIoType::Output);
    tracker->trackFile(file, none);
    ZvEventUpdate check;
    tracker->trackUpdate(check, none);
    auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_FALSE(records[0]["properties"].contains("zv_task_result"));
    EXPECT_FALSE(records[1]["properties"].contains("zv_size"));
    EXPECT_EQ(records[1]["properties"]["zv_io"], "Output");
    EXPECT_EQ(records[2]["properties"]["zv_update_result"], "");
    EXPECT_EQ(records[2]["properties"]["zv_update_op"], "UpdateCheck");
}

TEST_F(CatalogueTest, ActivityQueuesOneTrackAndTenProfileRecords) {
    tracker->trackActivity(none);
    auto records = Records();
    ASSERT_EQ(records.size(), 11u);
    EXPECT_EQ(records[0]["event"], "ZvEventActivity");
    EXPECT_EQ(records[0]["properties"]["$ios_install_source"],
              "pwnmqbm_yo=715##okdh=3953##kzt=576");
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_EQ(records[i]["type"].get<std::string>().rfind("profile_", 0), 0u);
    }
}

TEST_F(CatalogueTest, PaymentWithZeroAmountIsAcceptedAndRunsItsBundle) {
    ZvEventPayment payment;
    payment.zvOrderId = "o";
    payment.currency = std::make_shared<ZvCurrency>(ZvCurrency::USD);
    payment.paidPlatform = std::make_shared<ZvPaidPlatform>(ZvPaidPlatform::PayPal);
    payment.result = std::make_shared<ZvResult>(ZvResult::Success);
    tracker->trackPayment(payment, none);
    auto records = Records();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0]["properties"]["zv_paid_amount"], 0);
    EXPECT_EQ(records[1]["type"], "profile_increment");
    EXPECT_EQ(records[1]["properties"]["zv_paid_count"], 1);
    EXPECT_EQ(tracker->Identity().UserVipLevel, 1);
}

TEST_F(CatalogueTest, LoginSignsUpOnceAndStoresTheUser) {
    ZvUserInfo info;
    info.userId = "u-42";
    info.userType = ZvUserType::Email;
    info.created = 1700000000;
    tracker->trackLogin(info, true, "", none);
    auto records = Records();
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[0]["event"], "ZvEventLogin");
    EXPECT_EQ(records[0]["properties"]["zv_type"], "email");
    EXPECT_EQ(records[1]["type"], "track_signup");
    EXPECT_EQ(tracker->Identity().UserId, "u-42");
    EXPECT_EQ(
        Utils::GetPrivateProfileStringA("Base", "isLogined", "", 128, tracker->IdentityFile()),
        "OK");
    bool created = false;
    for (const json& r : records) {
        created |= r["properties"].contains("zv_user_created");
    }
    EXPECT_TRUE(created);
}

TEST_F(CatalogueTest, ProfileSettersFollowTheKeyTable) {
    NativeUserTracker::ProfileUserPropertyNumber("zv_paid_count", 1);
    EXPECT_EQ(Refusal([] { NativeUserTracker::ProfileUserPropertyString("zv_visit_count", "x"); }),
              "user property [zv_visit_count] is string type value, it cannot be accumulated!");
    EXPECT_EQ(Refusal([] { NativeUserTracker::ProfileUserPropertyString("nope", "x"); }),
              "Not supported user property [nope]!");
    setenv("TZ", "UTC", 1);
    tzset();
    NativeUserTracker::ProfileUserPropertyDateTime("zv_last_visit_date", 1654053003123LL);
    NativeUserTracker::ProfileUserPropertyDateTime("zv_last_visit_date", 1654053003LL);
    auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]["type"], "profile_increment");
    EXPECT_EQ(records[0]["properties"]["zv_paid_count"], 1);
    EXPECT_EQ(records[1]["properties"]["zv_last_visit_date"], "2022-06-01 03:10:03.123");
    EXPECT_EQ(records[2]["properties"]["zv_last_visit_date"], "2022-06-01 03:10:03.000");
}

}  // namespace
