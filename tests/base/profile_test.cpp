// The ini reader/writer behind the profile functions.
#include "utils/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/files.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& content) {
        EXPECT_TRUE(platform::WriteFileAtomic(path, content));
        return path;
    }
    std::wstring WPath() const { return Utils::ToWide(path, Utils::kCodePageUtf8); }
    std::wstring Read(const wchar_t* section, const wchar_t* key, size_t buffer = 260) {
        return Utils::GetPrivateProfileStringW(section, key, L"DEF", buffer, WPath());
    }

    testsupport::ScratchHome home;
    std::string path = home.Path("test.ini");
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(Read(L"Install", L"DownloadUrl"), L"DEF");
    EXPECT_EQ(Utils::GetPrivateProfileIntW(L"Install", L"DownloadType", 7, WPath()), 7);
    Write("[Other]\nDownloadUrl=x\n[Install]\nA=1\n");
    EXPECT_EQ(Read(L"Install", L"DownloadUrl"), L"DEF");
    EXPECT_EQ(Read(L"Missing", L"A"), L"DEF");
}

TEST_F(ProfileTest, NamesMatchWithoutCaseAndValuesAreTrimmed) {
    Write("; comment\n[install]\n  downloadurl  =  http://h/x?a=b  \n");
    EXPECT_EQ(Read(L"Install", L"DownloadUrl"), L"http://h/x?a=b");
}

TEST_F(ProfileTest, ToleratesCrlfBomMissingNewlineAndJunk) {
    Write(
        std::string("\xEF\xBB\xBF[Install]\r\nA=one\r\n\x01\xFF\xFE garbage\r\n[broken\r\nB=two"));
    EXPECT_EQ(Read(L"Install", L"A"), L"one");
    // "[broken" opens a section named "broken"; B belongs to it.
    EXPECT_EQ(Read(L"broken", L"B"), L"two");
    EXPECT_EQ(Read(L"Install", L"B"), L"DEF");
}

TEST_F(ProfileTest, ValueIsCutToTheBuffer) {
    Write("[Install]\nA=" + std::string(300, 'x') + "\n");
    EXPECT_EQ(Read(L"Install", L"A"), std::wstring(259, L'x'));
    EXPECT_EQ(Read(L"Install", L"A", 1), L"");
    EXPECT_EQ(Read(L"Install", L"A", 0), L"");
    // The default is cut the same way.
    EXPECT_EQ(Utils::GetPrivateProfileStringW(L"S", L"K", L"abcdef", 4, WPath()), L"abc");
}

TEST_F(ProfileTest, NarrowCutNeverSplitsACharacter) {
    Write("[S]\nK=a\xE4\xB8\xAD\n");
    EXPECT_EQ(Utils::GetPrivateProfileStringA("S", "K", "", 3, path), "a");
    EXPECT_EQ(Utils::GetPrivateProfileStringA("S", "K", "", 5, path), "a\xE4\xB8\xAD");
}

TEST_F(ProfileTest, HugeLineIsRead) {
    std::string big(1 << 20, 'v');
    Write("[S]\nK=" + big + "\n");
    EXPECT_EQ(Utils::GetPrivateProfileStringA("S", "K", "", big.size() + 1, path), big);
}

struct IntCase {
    const char* value;
    int expected;
};

void PrintTo(const IntCase& c, std::ostream* os) {
    *os << c.value;
}

class ProfileIntTest : public ProfileTest, public ::testing::WithParamInterface<IntCase> {};

TEST_P(ProfileIntTest, ReadsLeadingDigits) {
    Write(std::string("[Install]\nDownloadType=") + GetParam().value + "\n");
    EXPECT_EQ(Utils::GetPrivateProfileIntW(L"Install", L"DownloadType", 1, WPath()),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileIntTest,
                         ::testing::Values(IntCase{"3", 3}, IntCase{"42abc", 42}, IntCase{"abc", 0},
                                           IntCase{"", 0}, IntCase{"-5", -5},
                                           IntCase{"4294967297", 1}));

TEST_F(ProfileTest, WriteCreatesFileAndSection) {
    ASSERT_TRUE(Utils::WritePrivateProfileStringW(L"Init", L"UpdateTime", L"2026", WPath()));
    EXPECT_EQ(Read(L"Init", L"UpdateTime"), L"2026");
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(path, content));
    EXPECT_EQ(content, "[Init]\nUpdateTime=2026\n");
}

TEST_F(ProfileTest, WriteKeepsOtherLinesAndTheFileStyle) {
    Write("; keep me\r\n[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n");
    ASSERT_TRUE(Utils::WritePrivateProfileStringA("a", "X", "10", path));
    ASSERT_TRUE(Utils::WritePrivateProfileStringA("A", "new", "n", path));
    ASSERT_TRUE(Utils::WritePrivateProfileStringA("C", "w", "\xE4\xB8\xAD", path));
    std::string content;
    ASSERT_TRUE(platform::ReadWholeFile(path, content));
    EXPECT_EQ(
        content,
        "; keep me\r\n[A]\r\nx=10\r\ny=2\r\nnew=n\r\n\r\n[B]\r\nz=3\r\n[C]\r\nw=\xE4\xB8\xAD\r\n");
    EXPECT_EQ(Read(L"C", L"w"), L"\u4e2d");
}

TEST_F(ProfileTest, WriteRefusesWhatWouldNotReadBack) {
    EXPECT_FALSE(Utils::WritePrivateProfileStringA("S", "K", "two\nlines", path));
    EXPECT_FALSE(Utils::WritePrivateProfileStringA("S", "", "v", path));
    EXPECT_FALSE(Utils::WritePrivateProfileStringA("S", "a=b", "v", path));
    EXPECT_FALSE(platform::PathExists(path));
}

TEST_F(ProfileTest, WriteKeepsPermissionsAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(Utils::WritePrivateProfileStringA("S", "K", "1", path, 0600));
    ASSERT_TRUE(Utils::WritePrivateProfileStringA("S", "K", "2", path));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(platform::ListDirectory(home.Root()).size(), 6u);  // five folders + test.ini
}

TEST_F(ProfileTest, WriteIntoUnwritableFolderFailsAndLeavesNothing) {
    const std::string missing = home.Path("no/such/dir/x.ini");
    EXPECT_FALSE(Utils::WritePrivateProfileStringA("S", "K", "v", missing));
}

}  // namespace
