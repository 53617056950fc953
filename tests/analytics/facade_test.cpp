// The facade: context properties, tracker, identity and the installer's hooks against
// a real collector.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "analytics/context_properties.h"
#include "analytics/installer_hooks.h"
#include "analytics/tracker.h"
#include "app/settings.h"
#include "platform/files.h"
#include "tests/support/scratch_home.h"
#include "tools/collector/collector.h"
#include "utils/profile.h"
#include "utils/text.h"

namespace {

using namespace zorvane::telemetry;
using velquin_tools::Collector;

struct AbCase {
    const char* value;
    bool valid;
    const char* message;  // empty: no exception
};

void PrintTo(const AbCase& c, std::ostream* os) {
    *os << '"' << c.value << '"';
}

class AbValueTest : public ::testing::TestWithParam<AbCase> {};

TEST_P(AbValueTest, OneToThreeUpperCaseLettersOrDigits) {
    const AbCase& c = GetParam();
    if (c.message[0] == '\0') {
        EXPECT_EQ(ZvContextProperties::isValidABValue(c.value), c.valid);
    } else {
        try {
            ZvContextProperties::isValidABValue(c.value);
            ADD_FAILURE() << "no exception";
        } catch (const ZvException& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(e.Function(), "isValidABValue");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AbValueTest,
    ::testing::Values(AbCase{"A", true, ""}, AbCase{"B7", true, ""}, AbCase{"AB", true, ""},
                      AbCase{"Z9Z", true, ""}, AbCase{"", false, ""},
                      AbCase{"ABCD", false, "value's length is great than 3."},
                      AbCase{"a", false, "First char is not in A to Z"},
                      AbCase{"Ab", false, "second char is not in A to Z and 0 to 9"},
                      AbCase{"A-1", false, "second char is not in A to Z and 0 to 9"},
                      AbCase{"AB-", false, "third char is not in A to Z and 0 to 9"}));

TEST(ContextPropertiesTest, RegistrationRules) {
    ZvContextProperties c;
    c.setProperty("zvc_ab", "IN", {ZvEventType::View, ZvEventType::Click});
    EXPECT_EQ(c.getEventProperties(ZvEventType::View).size(), 1u);
    EXPECT_EQ(c.getEventProperties(ZvEventType::Click).size(), 1u);
    EXPECT_TRUE(c.getEventProperties(ZvEventType::Task).empty());
    EXPECT_THROW(c.setProperty("zvc_ab", "X", {ZvEventType::Task}), ZvException);
    try {
        c.setProperty("other", "v", {ZvEventType::Click, static_cast<ZvEventType>(20)});
        ADD_FAILURE();
    } catch (const ZvException& e) {
        EXPECT_STREQ(e.what(), "ZvEvent[20] overflow!");
    }
    EXPECT_EQ(c.getEventProperties(ZvEventType::Click).size(), 2u);  // appended before the failure
    EXPECT_THROW(c.getEventProperties(static_cast<ZvEventType>(15)), ZvException);
}

class HooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        static const bool curlReady = curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
        ASSERT_TRUE(curlReady);
        ASSERT_TRUE(collector.Start());
        saved = Settings();
        Settings().IsEnableAppSensors = true;
        Settings().AnalyticsUrl = Utils::ToWide(collector.Url(), 65001);
    }
    void TearDown() override {
        ShutdownAnalytics();
        Settings() = saved;
    }
    std::string DataFile(const std::string& name) const {
        return home.Path("data/ZVLocal/Velquin.downloader/Velquin.downloader_" + name);
    }

    testsupport::ScratchHome home;
    Collector collector;
    InstallerSettings saved;
};

TEST_F(HooksTest, ReportsCarryTheAbGroupAndTheCrashSendsEverything) {
    InitAnalytics();
    ReportTask(L"下载器启动", 0.0f, L"", {{L"AB", L"IN"}});
    ReportClick(L"立即安装", {{L"AB", L"in"}});  // invalid group: no zvc_ab
    ReportView({});
    EXPECT_EQ(collector.Requests(), 0);  // deferred
    ReportTask(L"崩溃退出", 0.0f, L"", {{L"AB", L"IN"}});
    ReportCrash();
    ASSERT_EQ(collector.BatchSizes(), std::vector<size_t>{5});
    const auto records = collector.Records();
    EXPECT_EQ(records[0]["event"], "ZvEventTask");
    EXPECT_EQ(records[0]["properties"]["zv_task_name"], "下载器启动");
    EXPECT_EQ(records[0]["properties"]["zvc_ab"], "IN");
    EXPECT_EQ(records[0]["properties"]["zv_task_result"], "Success");
    EXPECT_EQ(records[0]["properties"]["zv_app_id"], "Velquin.downloader");
    EXPECT_EQ(records[0]["properties"]["$is_first_time"], true);
    EXPECT_EQ(records[1]["event"], "ZvEventClick");
    EXPECT_EQ(records[1]["properties"]["zv_name"], "立即安装");
    EXPECT_FALSE(records[1]["properties"].contains("zvc_ab"));
    EXPECT_EQ(records[2]["event"], "ZvEventView");
    EXPECT_EQ(records[2]["properties"]["zv_name"], "安装中");
    EXPECT_EQ(records[3]["properties"]["zv_task_name"], "崩溃退出");
    EXPECT_EQ(records[4]["event"], "AppCrashed");
    EXPECT_EQ(records[4]["properties"]["app_crashed_reason"], "崩溃");
    EXPECT_EQ(records[4]["properties"]["zv_app_store"], Utils::ToNarrow(Settings().ExeName, 65001));
}

TEST_F(HooksTest, NothingHappensWithAnalyticsOffOrBeforeTheStart) {
    ReportTask(L"libcurl初始化失败", 0.0f, L"", {{L"AB", L"IN"}});  // before InitAnalytics: dropped
    Settings().IsEnableAppSensors = false;
    InitAnalytics();
    ReportCrash();
    EXPECT_EQ(collector.Requests(), 0);
    EXPECT_FALSE(SharedTracker());
    EXPECT_FALSE(platform::PathExists(home.Path("data/ZVLocal")));
}

TEST_F(HooksTest, UnsentRecordsAreStagedAndSentFirstByTheNextRun) {
    Settings().AnalyticsUrl = L"http://127.0.0.1:1/sa";  // nobody listens
    InitAnalytics();
    for (int i = 0; i < 3; ++i) {
        ReportTask(L"step" + std::to_wstring(i), 0.0f, L"", {});
    }
    ShutdownAnalytics();  // three flush attempts fail, the records are staged
    std::string staged;
    ASSERT_TRUE(platform::ReadWholeFile(DataFile("ZVSStaging.jsonl"), staged));
    EXPECT_EQ(std::count(staged.begin(), staged.end(), '\n'), 3);

    Settings().AnalyticsUrl = Utils::ToWide(collector.Url(), 65001);
    InitAnalytics();
    ReportCrash();
    const auto records = collector.Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0]["properties"]["zv_task_name"], "step0");
    EXPECT_EQ(records[3]["event"], "AppCrashed");
}

TEST_F(HooksTest, IdentityIsKeptPerCollectorAddress) {
    InitAnalytics();
    const std::string file = DataFile("ZVSConfigure.ini");
    const std::string first = Utils::GetPrivateProfileStringA("Base", "DistinctId", "", 128, file);
    ShutdownAnalytics();
    InitAnalytics();
    EXPECT_EQ(Utils::GetPrivateProfileStringA("Base", "DistinctId", "", 128, file), first);
    ShutdownAnalytics();
    Settings().AnalyticsUrl = L"http://127.0.0.1:2/other";
    InitAnalytics();
    const std::string renewed =
        Utils::GetPrivateProfileStringA("Base", "DistinctId", "", 128, file);
    EXPECT_NE(renewed, first);
    EXPECT_EQ(renewed.size(), 36u);
    EXPECT_EQ(Utils::GetPrivateProfileStringA("Base", "isLogined", "", 128, file), "NG");
    EXPECT_EQ(Utils::GetPrivateProfileStringA("UninstallInfo", "AppName", "", 128, file),
              "Velquin.downloader");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(HooksTest, RefusedEventIsSwallowedAndNamedWhenALoggerExists) {
    InitAnalytics();
    auto tracker = SharedTracker();
    ASSERT_TRUE(tracker);
    testing::internal::CaptureStdout();
    tracker->trackClick(ZvEventClick{}, ZvContextProperties());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failed to trackClick\n");
    EXPECT_EQ(tracker->Impl().PendingCount(), 0);
}

TEST(TrackerTest, MissingAppStoreInstallsASilentTracker) {
    testsupport::ScratchHome home;
    TrackerOptions o;
    o.appName = "A";
    o.appVersion = "1";
    CreateTracker(o);
    auto tracker = SharedTracker();
    ASSERT_TRUE(tracker);
    testing::internal::CaptureStdout();
    ZvEventClick click;
    click.name = "x";
    tracker->trackClick(click, ZvContextProperties());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ResetTracker();
}

TEST(IdentityTest, AnalyticsVersionNamesAndDeviceIds) {
    EXPECT_EQ(AnalyticsWindowsVersionName(6, 1, 7601, false, false), "7-32");
    EXPECT_EQ(AnalyticsWindowsVersionName(6, 1, 7601, true, false), "7");
    EXPECT_EQ(AnalyticsWindowsVersionName(5, 2, 3790, true, false), "XP64");
    EXPECT_EQ(AnalyticsWindowsVersionName(5, 2, 3790, false, true), "Server 2003 R2");
    EXPECT_EQ(AnalyticsWindowsVersionName(10, 0, 22000, true, false), "10");
    EXPECT_EQ(AnalyticsWindowsVersionName(11, 0, 1, true, false), "11.0.1");
    EXPECT_EQ(AnalyticsWindowsVersionName(4, 0, 0, true, false), "XP-");
    const std::string id = NewDeviceId();
    EXPECT_EQ(id.size(), 36u);
    EXPECT_EQ(id[8], '-');
    EXPECT_NE(id, NewDeviceId());
    // The fallback differs between two sources seeded apart, unlike a fixed seed.
    std::mt19937 a(std::random_device{}()), b(std::random_device{}());
    EXPECT_NE(FallbackDeviceId(a), FallbackDeviceId(b));
    std::string lang, country, locale;
    EXPECT_TRUE(SplitLocale("zh_CN", lang, country));
    EXPECT_EQ(lang, "zh");
    EXPECT_EQ(country, "CN");
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    EXPECT_TRUE(GetUserLocale(lang, country, locale));
    EXPECT_EQ(locale, "zh_CN");
    setenv("LC_ALL", "C", 1);
    unsetenv("LANG");
    EXPECT_FALSE(GetUserLocale(lang, country, locale));
}

}  // namespace
