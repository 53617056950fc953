// The diagnostic log: prefix, function names, formatting and output.
#include "app/log.h"

#include <gtest/gtest.h>

#include <regex>

#include "platform/clock.h"
#include "tests/base/log_capture.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

TEST(LogTest, PrefixPadsToMinimumWidthsOnly) {
    EXPECT_EQ(
        Utils::LogPrefix(1234, 5678, 2022, 6, 1, 3, 26, 43, 123, L"Utils::Thread::CallBack", 101),
        L"<P01234><T05678><2022-06-01 03:26:43.123>(Utils::Thread::CallBack)<0101>: ");
    EXPECT_EQ(Utils::LogPrefix(4194303, 1234567, 2022, 12, 31, 23, 59, 59, 9, L"f", 35),
              L"<P4194303><T1234567><2022-12-31 23:59:59.009>(f)<0035>: ");
    EXPECT_EQ(Utils::LogPrefix(1, 2, 2022, 1, 2, 3, 4, 5, 6, L"f", 12345),
              L"<P00001><T00002><2022-01-02 03:04:05.006>(f)<12345>: ");
}

struct NameCase {
    const char* pretty;
    const wchar_t* name;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.pretty;
}

class QualifiedNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(QualifiedNameTest, StripsReturnTypeAndParameters) {
    EXPECT_EQ(Utils::QualifiedFunctionName(GetParam().pretty), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QualifiedNameTest,
    ::testing::Values(
        NameCase{"static void Utils::Thread::CallBack(Utils::Thread*)", L"Utils::Thread::CallBack"},
        NameCase{"double CurlClient::GetDownloadFileLength(const string&)",
                 L"CurlClient::GetDownloadFileLength"},
        NameCase{"std::map<std::__cxx11::basic_string<wchar_t>, int> ns::F(int) const", L"ns::F"},
        NameCase{"int main()", L"main"}, NameCase{"void T<A>::Run(X) [with X = int]", L"T<A>::Run"},
        NameCase{"CDownloadInstaller::Start()::<lambda(int, double, const wchar_t*)>",
                 L"CDownloadInstaller::Start::<lambda(int, double, const wchar_t*)>"},
        NameCase{"bool A::operator()(int)", L"A::operator()"}, NameCase{"", L""}));

class LogOutputTest : public ::testing::Test {
protected:
    testsupport::ScratchHome home;
    testsupport::LogCapture capture{home.Path("log.txt")};
};

TEST_F(LogOutputTest, LineCarriesPrefixMessageAndBreak) {
    VQ_LOG(L"Download File Length %lld", 1234567890123LL);
    VQ_LOG_NOBREAK(L"GetConnectivity %d", 0);
    std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 2u);
    const std::regex line1(
        R"(<P\d{5,}><T\d{5,}><\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}>\((\{anonymous\}::)?LogOutputTest_LineCarriesPrefixMessageAndBreak_Test::TestBody\)<\d{4}>: Download File Length 1234567890123\r)");
    EXPECT_TRUE(std::regex_match(lines[0], line1)) << lines[0];
    EXPECT_NE(lines[1].find(">: GetConnectivity 0"), std::string::npos);
    EXPECT_EQ(lines[1].back(), '0');  // no "\r": nothing was added
    const std::string pid = std::to_string(platform::CurrentProcessId());
    EXPECT_NE(lines[0].find(pid + "><T"), std::string::npos);
}

TEST_F(LogOutputTest, PercentInAnArgumentIsText) {
    VQ_LOG(L"error:%d:%ls", 7, L"100%s %d");
    std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(": error:7:100%s %d\r"), std::string::npos) << lines[0];
}

TEST_F(LogOutputTest, WideTextComesOutAsUtf8AndLongLinesAreWhole) {
    std::wstring longText(100000, L'x');
    VQ_LOG(L"%ls %ls", L"\u5b89\u88c5", longText.c_str());
    std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("\xE5\xAE\x89\xE8\xA3\x85 " + std::string(100000, 'x') + "\r"),
              std::string::npos);
}

}  // namespace
