// Record assembly and checks of the SDK instance.
#include "analytics/sdk/sdk.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/support/scratch_home.h"

namespace {

using analytics_sdk::PropertiesNode;
using analytics_sdk::Sdk;
using nlohmann::json;

class SdkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Sdk::Init(home.Path("staging"), "http://127.0.0.1:1/sa", "device-1", false));
    }
    void TearDown() override { Sdk::Shutdown(); }
    std::vector<json> Records() {
        std::vector<json> out;
        for (const auto& r : Sdk::QueuedRecords()) {
            out.push_back(json::parse(r));
        }
        return out;
    }
    std::string Last() { return Sdk::QueuedRecords().back(); }

    testsupport::ScratchHome home;
};

TEST_F(SdkTest, TrackRecordHasItsKeysInByteOrder) {
    PropertiesNode p;
    p.PutString("step", "one");
    p.PutDateTime("$time", 1654053003, 123);
    Sdk::TrackEvent("Install_Step", p);
    const std::string text = Last();
    EXPECT_EQ(
        text.rfind(
            R"({"distinct_id":"device-1","event":"Install_Step","lib":{"$lib":"cpp","$lib_method":"code","$lib_version":"0.7"},"properties":{"$lib":"cpp","$lib_version":"0.7","step":"one"},"time":1654053003123,"type":"track"})",
            0),
        0u)
        << text;
}

struct NameCase {
    std::string name;
    bool accepted;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

class EventNameTest : public SdkTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(EventNameTest, OnlyVariableNamesUpTo100Bytes) {
    Sdk::TrackEvent(GetParam().name, PropertiesNode());
    EXPECT_EQ(Sdk::QueuedRecords().size(), GetParam().accepted ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, EventNameTest,
                         ::testing::Values(NameCase{std::string(100, 'a'), true},
                                           NameCase{std::string(101, 'a'), false},
                                           NameCase{"", false}, NameCase{"1abc", false},
                                           NameCase{"a-b", false}, NameCase{"$SignUp", true},
                                           NameCase{"_x9", true}));

TEST_F(SdkTest, PropertyKeysAndTheirSpecialTypes) {
    PropertiesNode p;
    p.PutString("time", "fine");
    p.PutString("distinct_id", "also fine");
    Sdk::TrackEvent("e", p);
    EXPECT_EQ(Sdk::QueuedRecords().size(), 1u);

    testing::internal::CaptureStderr();
    PropertiesNode bad;
    bad.PutString("a b", "x");
    Sdk::TrackEvent("e", bad);
    PropertiesNode badTime;
    badTime.PutString("$time", "yesterday");
    Sdk::TrackEvent("e", badTime);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Sdk::QueuedRecords().size(), 1u);
    EXPECT_NE(err.find("The Property Key need to be a valid variable name."), std::string::npos);
    EXPECT_NE(err.find("The property '$time' should be DateTime type."), std::string::npos);
}

TEST_F(SdkTest, ProjectMovesToTheTopLevel) {
    PropertiesNode p;
    p.PutString("$project", "velquin");
    Sdk::TrackEvent("e", p);
    PropertiesNode empty;
    empty.PutString("$project", "");
    Sdk::TrackEvent("e", empty);
    auto records = Records();
    EXPECT_EQ(records[0]["project"], "velquin");
    EXPECT_FALSE(records[0]["properties"].contains("$project"));
    EXPECT_FALSE(records[1].contains("project"));
}

TEST_F(SdkTest, ProfileRecordsCarryNoEventAndNoCommonProperties) {
    Sdk::SetProfile("plan", std::string("pro"));
    Sdk::SetProfileOnce("first", int64_t{1});
    Sdk::IncrementProfile("count", int64_t{2});
    Sdk::AppendProfile("tags", "x");
    auto records = Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0]["type"], "profile_set");
    EXPECT_EQ(records[1]["type"], "profile_set_once");
    EXPECT_EQ(records[2]["type"], "profile_increment");
    EXPECT_EQ(records[3]["type"], "profile_append");
    EXPECT_EQ(records[3]["properties"]["tags"], json::array({"x"}));
    for (const json& r : records) {
        EXPECT_FALSE(r.contains("event"));
        EXPECT_FALSE(r["properties"].contains("$lib"));
    }
}

TEST_F(SdkTest, SignUpSwitchesTheIdAndMarksLaterRecords) {
    Sdk::TrackSignUp("user-7");
    Sdk::TrackEvent("after", PropertiesNode());
    auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["type"], "track_signup");
    EXPECT_EQ(records[0]["event"], "$SignUp");
    EXPECT_EQ(records[0]["distinct_id"], "user-7");
    EXPECT_EQ(records[0]["original_id"], "device-1");
    EXPECT_FALSE(records[0]["properties"].contains("$is_login_id"));
    EXPECT_EQ(records[1]["distinct_id"], "user-7");
    EXPECT_EQ(records[1]["properties"]["$is_login_id"], true);
}

TEST_F(SdkTest, InstallSourceAndCommonProperties) {
    PropertiesNode common;
    common.PutString("app", "Velquin");
    Sdk::AddCommonProperties(common);
    Sdk::TrackWithInstallSource("e", PropertiesNode());
    PropertiesNode mine;
    mine.PutString("$ios_install_source", "mine");
    Sdk::TrackWithInstallSource("e", mine);
    Sdk::ResetCommonProperties();
    Sdk::TrackEvent("e", PropertiesNode());
    auto records = Records();
    EXPECT_EQ(records[0]["properties"]["$ios_install_source"], "");
    EXPECT_EQ(records[0]["properties"]["app"], "Velquin");
    EXPECT_EQ(records[1]["properties"]["$ios_install_source"], "mine");
    EXPECT_FALSE(records[2]["properties"].contains("app"));
}

TEST(SdkLifeTest, NothingHappensWithoutAnInstanceAndIdsAreChecked) {
    testsupport::ScratchHome home;
    Sdk::TrackEvent("e", PropertiesNode());
    EXPECT_FALSE(Sdk::Exists());
    EXPECT_FALSE(Sdk::Init(home.Path("s"), "http://127.0.0.1:1/", "", false));
    EXPECT_FALSE(Sdk::Init(home.Path("s"), "http://127.0.0.1:1/", std::string(256, 'x'), false));
    EXPECT_TRUE(Sdk::Init(home.Path("s"), "http://127.0.0.1:1/", std::string(255, 'x'), false));
    EXPECT_TRUE(Sdk::Init(home.Path("s"), "http://127.0.0.1:1/", "other",
                          true));  // already there: unchanged
    EXPECT_EQ(Sdk::DistinctId(), std::string(255, 'x'));
    Sdk::Shutdown();
    Sdk::TrackEvent("e", PropertiesNode());
    EXPECT_TRUE(Sdk::QueuedRecords().empty());
}

}  // namespace
