// Property values, sets and their exact JSON.
#include "analytics/sdk/properties.h"

#include <gtest/gtest.h>

namespace {

using analytics_sdk::IsValidUtf8;
using analytics_sdk::PropertiesNode;

TEST(PropertiesTest, KeysSerialiseInByteOrderWithoutWhitespace) {
    PropertiesNode p;
    p.PutInt("b", -12345678901234LL);
    p.PutBool("a", true);
    p.PutString("ab", "x");
    p.PutNumber("B", 0.1);
    p.PutList("list", {"a", "b\"c"});
    p.PutList("empty", {});
    EXPECT_EQ(p.ToJson(),
              R"({"B":0.1,"a":true,"ab":"x","b":-12345678901234,"empty":[],"list":["a","b\"c"]})");
}

TEST(PropertiesTest, PuttingAKeyAgainReplacesValueAndKind) {
    PropertiesNode p;
    p.PutString("k", "text");
    p.PutInt("k", 5);
    EXPECT_EQ(p.ToJson(), R"({"k":5})");
    PropertiesNode other;
    other.PutBool("k", false);
    other.PutBool("z", true);
    p.MergeFrom(other);
    EXPECT_EQ(p.ToJson(), R"({"k":false,"z":true})");
    EXPECT_EQ(PropertiesNode().ToJson(), "{}");
}

struct NumberCase {
    double value;
    const char* json;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
    *os << c.json;
}

class NumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTest, SixSignificantDigits) {
    PropertiesNode p;
    p.PutNumber("n", GetParam().value);
    EXPECT_EQ(p.ToJson(), std::string("{\"n\":") + GetParam().json + "}");
}

INSTANTIATE_TEST_SUITE_P(Cases, NumberTest,
                         ::testing::Values(NumberCase{0.5, "0.5"}, NumberCase{0.1, "0.1"},
                                           NumberCase{1000000.0, "1e+06"},
                                           NumberCase{123456.7, "123457"},
                                           NumberCase{3.14159265, "3.14159"},
                                           NumberCase{-2.0, "-2"}, NumberCase{0.0001, "0.0001"}));

TEST(PropertiesTest, SevenEscapesAndEverythingElseRaw) {
    PropertiesNode p;
    p.PutString("s", "\t\n\r\"\\/\xE4\xB8\xAD");
    // Backspace and form feed can only arrive in list items (string values refuse
    // them); other control bytes there are escaped too, so the record stays JSON.
    p.PutList("l", {"\b\f\x01"});
    EXPECT_EQ(p.ToJson(), "{\"l\":[\"\\b\\f\\u0001\"],\"s\":\"\\t\\n\\r\\\"\\\\/\xE4\xB8\xAD\"}");
}

TEST(PropertiesTest, DateTimeIsLocalTimeWithMilliseconds) {
    setenv("TZ", "UTC", 1);
    tzset();
    PropertiesNode p;
    p.PutDateTime("$time", 1654053003, 7);
    EXPECT_EQ(p.ToJson(), R"({"$time":"2022-06-01 03:10:03.007"})");
}

TEST(PropertiesTest, NestedObjects) {
    PropertiesNode inner;
    inner.PutString("$lib", "cpp");
    PropertiesNode outer;
    outer.PutObject("lib", inner);
    outer.PutObject("none", PropertiesNode());
    EXPECT_EQ(outer.ToJson(), R"({"lib":{"$lib":"cpp"},"none":{}})");
}

TEST(PropertiesTest, StringChecksKeepTheSetUnchanged) {
    PropertiesNode p;
    p.PutString("ok", std::string(8192, 'a'));
    p.PutString("long", std::string(8193, 'a'));
    p.PutString("ctl", "a\x01");
    p.PutString("del", "a\x7F");
    p.PutString("lead", "\xC0");
    p.PutString("null", static_cast<const char*>(nullptr));
    EXPECT_TRUE(p.Has("ok"));
    EXPECT_FALSE(p.Has("long"));
    EXPECT_FALSE(p.Has("ctl"));
    EXPECT_FALSE(p.Has("del"));
    EXPECT_FALSE(p.Has("lead"));
    EXPECT_TRUE(p.Has("null"));
}

struct Utf8Case {
    const char* bytes;
    bool valid;
};

void PrintTo(const Utf8Case& c, std::ostream* os) {
    *os << ::testing::PrintToString(std::string(c.bytes));
}

class Utf8Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Test, AcceptsExactlyTheWellFormedSequences) {
    EXPECT_EQ(IsValidUtf8(GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Test,
    ::testing::Values(Utf8Case{"", true}, Utf8Case{"plain \t\r\n", true},
                      Utf8Case{"\xC2\x80", true}, Utf8Case{"\xE0\xA0\x80", true},
                      Utf8Case{"\xE0\x80\x80", false},                                  // overlong
                      Utf8Case{"\xED\x9F\xBF", true}, Utf8Case{"\xED\xA0\x80", false},  // surrogate
                      Utf8Case{"\xF0\x90\x80\x80", true}, Utf8Case{"\xF4\x8F\xBF\xBF", true},
                      Utf8Case{"\xF4\x90\x80\x80", false},  // above U+10FFFF
                      Utf8Case{"\xE4\xB8", false},          // cut off
                      Utf8Case{"\x0B", false}, Utf8Case{"\x7F", false},
                      Utf8Case{"\xC1\xBF", false}));

}  // namespace
