// Text conversions and the shared string routines.
#include "utils/text.h"

#include <gtest/gtest.h>

namespace {

using Utils::kCodePageGbk;
using Utils::kCodePageUtf8;

TEST(TextTest, Utf8ConversionsOfChineseText) {
    EXPECT_EQ(Utils::ToNarrow(L"\u4e2d", kCodePageUtf8), "\xE4\xB8\xAD");
    EXPECT_EQ(Utils::ToWide("\xE4\xB8\xAD\xE6\x96\x87", kCodePageUtf8), L"\u4e2d\u6587");
    EXPECT_EQ(Utils::ToWide(Utils::ToNarrow(L"\U0001F600x", kCodePageUtf8), kCodePageUtf8),
              L"\U0001F600x");
}

TEST(TextTest, Cp936ConversionsBothWays) {
    EXPECT_EQ(Utils::ToNarrow(L"\u4e2d\u6587", kCodePageGbk), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(Utils::ToWide("\xD6\xD0\xCE\xC4 ok", kCodePageGbk), L"\u4e2d\u6587 ok");
}

TEST(TextTest, InvalidUtf8KeepsTheRestOfTheText) {
    // A stray continuation byte, a truncated sequence and an overlong form.
    EXPECT_EQ(Utils::ToWide("a\x80"
                            "b\xE4\xB8"
                            "c\xC0\xAF"
                            "d",
                            kCodePageUtf8),
              L"a\uFFFDb\uFFFDc\uFFFD\uFFFDd");
    // A lone surrogate cannot be encoded and is replaced, not dropped with the rest.
    EXPECT_EQ(Utils::ToNarrow(std::wstring(L"x") + wchar_t(0xD800) + L"y", kCodePageUtf8),
              "x\xEF\xBF\xBDy");
}

TEST(TextTest, ConversionStopsAtEmbeddedNullAndUnknownCodePageIsEmpty) {
    EXPECT_EQ(Utils::ToWide(std::string("ab\0cd", 5), kCodePageUtf8), L"ab");
    EXPECT_EQ(Utils::ToNarrow(std::wstring(L"ab\0cd", 5), kCodePageUtf8), "ab");
    EXPECT_EQ(Utils::ToWide("abc", 12345), L"");
    // A GBK lead byte without its second byte is dropped; the rest survives.
    EXPECT_EQ(Utils::ToWide("ok\xD6", kCodePageGbk), L"ok");
}

TEST(TextTest, TrimOnlyAsciiWhitespace) {
    EXPECT_EQ(Utils::Trim(L" \t\r\n\v\f"), L"");
    EXPECT_EQ(Utils::Trim(L"\u3000 a b \u3000"), L"\u3000 a b \u3000");
    EXPECT_EQ(Utils::TrimLeft(L"  a "), L"a ");
    EXPECT_EQ(Utils::TrimRight(L"  a \r\n"), L"  a");
}

TEST(TextTest, StartsWithAndReplaceAll) {
    EXPECT_TRUE(Utils::StartsWith(L"abc", L""));
    EXPECT_TRUE(Utils::StartsWith(L"abc", L"ab"));
    EXPECT_FALSE(Utils::StartsWith(L"ab", L"abc"));
    EXPECT_EQ(Utils::ReplaceAll(L"h/${ROUTE}/x/${ROUTE}", L"${ROUTE}", L"download_silent"),
              L"h/download_silent/x/download_silent");
    EXPECT_EQ(Utils::ReplaceAll(L"abc", L"", L"x"), L"abc");
}

TEST(TextTest, DecimalText) {
    EXPECT_EQ(Utils::ToDecimalText(0), L"0");
    EXPECT_EQ(Utils::ToDecimalText(4294967295u), L"4294967295");
}

struct UrlCase {
    const char* input;
    const char* encoded;
};

void PrintTo(const UrlCase& c, std::ostream* os) {
    *os << c.input;
}

class UrlEncodeTest : public ::testing::TestWithParam<UrlCase> {};

TEST_P(UrlEncodeTest, EncodesOnlyBlanksControlAndNonAscii) {
    EXPECT_EQ(Utils::UrlEncode(GetParam().input), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlEncodeTest,
                         ::testing::Values(UrlCase{"a b/c?d=\xC3\xA9", "a+b/c?d=%C3%A9"},
                                           UrlCase{"+", "+"}, UrlCase{"%41:&~", "%41:&~"},
                                           UrlCase{"\x01\x7F\xFF", "%01%7F%FF"}, UrlCase{"", ""}));

TEST(TextTest, UrlEncodeWideGoesThroughUtf8) {
    EXPECT_EQ(Utils::UrlEncodeWide(L"http://h/\u4e2d x"), L"http://h/%E4%B8%AD+x");
}

TEST(TextTest, UrlParentSegment) {
    EXPECT_EQ(Utils::UrlParentSegment("scheme://host/dir/abc/setup.exe"), "abc");
    EXPECT_EQ(Utils::UrlParentSegment("scheme://host/setup.exe"), "host");
    EXPECT_EQ(Utils::UrlParentSegment("setup.exe"), "");
    EXPECT_EQ(Utils::UrlParentSegment("a/b"), "");
}

}  // namespace
