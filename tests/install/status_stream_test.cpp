// The status-stream parser: line tables of both streams, encodings, split reads.
#include "install/status_stream.h"

#include <gtest/gtest.h>

#include "utils/text.h"

namespace {

using Kind = StatusStreamParser::Kind;

std::vector<StreamNotification> Parse(Kind kind, const std::vector<std::string>& chunks,
                                      StatusStreamParser* keep = nullptr) {
    StatusStreamParser local(kind);
    StatusStreamParser& p = keep != nullptr ? *keep : local;
    std::vector<StreamNotification> out;
    for (const std::string& c : chunks) {
        p.Feed(c.data(), c.size(), out);
    }
    p.Finish(out);
    return out;
}

void ExpectOne(const std::vector<StreamNotification>& out, int code, double value,
               const std::wstring& text) {
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].code, code);
    EXPECT_DOUBLE_EQ(out[0].value, value);
    EXPECT_EQ(out[0].text, text);
}

TEST(StatusStreamTest, ProgressPathAndStateInOneChunk) {
    StatusStreamParser p(Kind::Package);
    auto out = Parse(Kind::Package, {"Progress=42.5\r\nInstPath=C:\\P\r\nState=Success\r\n"}, &p);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].code, IST_CODE_PROGRESS);
    EXPECT_DOUBLE_EQ(out[0].value, 42.5);
    EXPECT_EQ(out[1].code, IST_CODE_INST_PATH);
    EXPECT_DOUBLE_EQ(out[1].value, 42.5);
    EXPECT_EQ(out[1].text, L"C:\\P\r");  // the carriage return stays in the text
    EXPECT_EQ(out[2].code, IST_CODE_SUCCESS);
    EXPECT_DOUBLE_EQ(out[2].value, 42.5);
    EXPECT_TRUE(p.Decided());
}

struct LineCase {
    const char* line;
    int code;  // 0: no notification
    double value;
    const wchar_t* text;
    bool decisive;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.line;
}

class PackageLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(PackageLineTest, LineGivesItsNotification) {
    const LineCase& c = GetParam();
    StatusStreamParser p(Kind::Package);
    auto out = Parse(Kind::Package, {std::string("Progress=7\n") + c.line + "\n"}, &p);
    ASSERT_GE(out.size(), 1u);
    out.erase(out.begin());  // the progress line
    if (c.code == 0) {
        EXPECT_TRUE(out.empty());
    } else {
        ExpectOne(out, c.code, c.value, c.text);
    }
    EXPECT_EQ(p.Decided(), c.decisive);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PackageLineTest,
    ::testing::Values(
        LineCase{"State=  Success \t", IST_CODE_SUCCESS, 7.0, L"", true},
        LineCase{"State=success", 0, 0, L"", false},
        LineCase{"State=Fail", IST_CODE_FAIL, 7.0, L"安装包安装失败", true},
        LineCase{"State=Maybe", 0, 0, L"", false},
        LineCase{"Error=disk full", IST_CODE_FAIL, 1000.0, L"disk full", true},
        LineCase{"ExePath=/opt/V/v.exe", IST_CODE_EXE_PATH, 7.0, L"/opt/V/v.exe", false},
        LineCase{"StartExe=/opt/V/s.exe", IST_CODE_EXE_PATH, 7.0, L"/opt/V/s.exe", false},
        LineCase{"UninstExePath=/u", IST_CODE_UNINST_EXE_PATH, 7.0, L"/u", false},
        LineCase{"UninstExe=/u2", IST_CODE_UNINST_EXE_PATH, 7.0, L"/u2", false},
        LineCase{"UninstEp=/opt/V/uninst.ep", IST_CODE_UNINST_EP, 7.0, L"/opt/V/uninst.ep", false},
        LineCase{"StartUrl=http://h/", IST_CODE_START_URL, 7.0, L"http://h/", false},
        LineCase{"StartupStyle= AutoStartup", IST_CODE_STARTUP_STYLE, 1.0, L"", false},
        LineCase{"StartupStyle=UserStartup", IST_CODE_STARTUP_STYLE, 2.0, L"", false},
        LineCase{"StartupStyle=NonStartup", IST_CODE_STARTUP_STYLE, 0.0, L"", false},
        LineCase{"StartupStyle=Whenever", IST_CODE_STARTUP_STYLE, 0.0, L"", false},
        LineCase{"TopShowDetention=-1", IST_CODE_TOP_SHOW_DETENTION, 4294967295.0, L"", false},
        LineCase{"FinsihCloseDetention=5000", IST_CODE_FINISH_CLOSE_DETENTION, 5000.0, L"", false},
        LineCase{"TopShowDetention=soon", 0, 0, L"", false},
        LineCase{"Message=hello", IST_CODE_MESSAGE, 7.0, L"hello", false},
        LineCase{"Message=", 0, 0, L"", false},
        LineCase{" State=Success", 0, 0, L"", false},  // keys start the line
        LineCase{"state=Success", 0, 0, L"", false}, LineCase{"Progress=abc", 0, 0, L"", false}));

TEST(StatusStreamTest, PackageVerdictEndsInterpretationWithinTheSameRead) {
    StatusStreamParser p(Kind::Package);
    p.StopAtDecision(true);
    auto out = Parse(Kind::Package, {"State=Success\nState=Fail\nProgress=99\n"}, &p);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].code, IST_CODE_SUCCESS);
}

TEST(StatusStreamTest, InstallVersionIsKeptNotReported) {
    StatusStreamParser p(Kind::Package);
    EXPECT_TRUE(Parse(Kind::Package, {"InstallVersion=1.7.9\n"}, &p).empty());
    EXPECT_EQ(p.InstallVersion[0], 1);
    EXPECT_EQ(p.InstallVersion[1], 7);
    EXPECT_EQ(p.InstallVersion[2], 9);
    StatusStreamParser q(Kind::Package);
    Parse(Kind::Package, {"InstallVersion=1.7\n"}, &q);
    EXPECT_EQ(q.InstallVersion[0], 0);
}

TEST(StatusStreamTest, TextsAreCutAt771Characters) {
    auto out = Parse(Kind::Package, {"Message=" + std::string(2000, 'm') + "\n"});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].text, std::wstring(771, L'm'));
}

struct EncodeCase {
    const char* encodeLine;
    int codePage;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
    *os << c.encodeLine;
}

class EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, SelectsTheCodePageForLaterLines) {
    StatusStreamParser p(Kind::Package);
    Parse(Kind::Package, {std::string(GetParam().encodeLine) + "\n"}, &p);
    EXPECT_EQ(p.CodePage(), GetParam().codePage);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeTest,
    ::testing::Values(EncodeCase{"Encode=UTF8", 65001}, EncodeCase{"Encode= UTF8 \r", 65001},
                      EncodeCase{"Encode=936", 936}, EncodeCase{"Encode=ACP", 0},
                      EncodeCase{"Encode=junk", 0}, EncodeCase{"Encode=99999999999", 0},
                      EncodeCase{"Encode=1252", 0}));

TEST(StatusStreamTest, ChineseTextSurvivesAReadBoundaryInsideACharacter) {
    // "消息" in UTF-8, cut between the second and third byte of the first character.
    const std::string utf8 = "Encode=UTF8\nMessage=\xE6\xB6\x88\xE6\x81\xAF\n";
    const size_t cut = utf8.find("\xE6\xB6") + 2;
    auto out = Parse(Kind::Package, {utf8.substr(0, cut), utf8.substr(cut)});
    ExpectOne(out, IST_CODE_MESSAGE, 0.0, L"\u6d88\u606f");

    const std::string gbk = "Encode=936\nMessage=\xCF\xFB\xCF\xA2\n";
    const size_t gcut = gbk.find("\xCF\xFB") + 1;
    out = Parse(Kind::Package, {gbk.substr(0, gcut), gbk.substr(gcut)});
    ExpectOne(out, IST_CODE_MESSAGE, 0.0, L"\u6d88\u606f");
}

TEST(StatusStreamTest, LastLineWithoutLineFeedIsParsedAtTheEnd) {
    auto out = Parse(Kind::Package, {"Progress=1\nState=Success"});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].code, IST_CODE_SUCCESS);
}

TEST(StatusStreamTest, UninstallerStream) {
    StatusStreamParser p(Kind::Uninstaller);
    auto out =
        Parse(Kind::Uninstaller, {"Progress=30\nInstPath=/x\nState=Success\nProgress=90\n"}, &p);
    ASSERT_EQ(out.size(), 3u);  // InstPath is no uninstaller key; lines after the state still count
    EXPECT_EQ(out[0].code, UNIST_CODE_PROGRESS);
    EXPECT_EQ(out[1].code, UNIST_CODE_SUCCESS);
    EXPECT_DOUBLE_EQ(out[1].value, 0.0);
    EXPECT_EQ(out[2].code, UNIST_CODE_PROGRESS);
    EXPECT_TRUE(p.Decided());

    ExpectOne(Parse(Kind::Uninstaller, {"State=Fail\n"}), UNIST_CODE_ERROR, 0.0, L"安装包卸载失败");
    ExpectOne(Parse(Kind::Uninstaller, {"Error=busy\n"}), UNIST_CODE_ERROR, 0.0, L"busy");
    StatusStreamParser q(Kind::Uninstaller);
    Parse(Kind::Uninstaller, {"Encode=936\n"}, &q);
    EXPECT_EQ(q.CodePage(), 0);  // the uninstaller knows only UTF8
}

}  // namespace
