// System queries: folders, free space, checksums, GUID texts, the stopwatch.
#include "utils/system_queries.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cwctype>

#include "platform/environment.h"
#include "platform/files.h"
#include "tests/base/log_capture.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

class SystemQueriesTest : public ::testing::Test {
protected:
    std::wstring W(const std::string& s) { return Utils::ToWide(s, Utils::kCodePageUtf8); }

    testsupport::ScratchHome home;
    testsupport::LogCapture capture{home.Path("log.txt")};
};

TEST_F(SystemQueriesTest, CreateDirectoryPathCreatesOnlyTheMissingTail) {
    ASSERT_TRUE(platform::MakeDirectory(home.Path("a")));
    EXPECT_TRUE(Utils::CreateDirectoryPath(W(home.Path("a/b/c"))));
    EXPECT_TRUE(platform::IsDirectory(home.Path("a/b/c")));
    EXPECT_TRUE(Utils::CreateDirectoryPath(W(home.Path("a/b/c/"))));  // already there
    EXPECT_TRUE(Utils::CreateDirectoryPath(W(home.Path("d/e/"))));
    EXPECT_TRUE(platform::IsDirectory(home.Path("d/e")));
}

TEST_F(SystemQueriesTest, CreateDirectoryPathRefusesOverlongPathsWithoutCreatingAnything) {
    std::string base = home.Path("long/");
    std::string p261 = base + std::string(261 - base.size(), 'x');
    ASSERT_EQ(p261.size(), 261u);
    EXPECT_FALSE(Utils::CreateDirectoryPath(W(p261)));
    std::string p260 = base + std::string(259 - base.size(), 'y') + "/";
    ASSERT_EQ(p260.size(), 260u);
    EXPECT_FALSE(Utils::CreateDirectoryPath(W(p260)));
    EXPECT_FALSE(platform::PathExists(home.Path("long")));
    std::string ok260 = base + std::string(260 - base.size(), 'z');
    EXPECT_TRUE(Utils::CreateDirectoryPath(W(ok260)));
}

TEST_F(SystemQueriesTest, CreateDirectoryPathFailsUnderAFile) {
    ASSERT_TRUE(platform::WriteFileAtomic(home.Path("file"), "x"));
    EXPECT_FALSE(Utils::CreateDirectoryPath(W(home.Path("file/sub"))));
}

TEST_F(SystemQueriesTest, InstallerTempFolderIsCreatedUnderTmpdir) {
    std::wstring folder = Utils::GetInstallerTempFolder();
    EXPECT_EQ(folder, W(home.Path("tmp/~ZorVaneTemp.92482B06FB471E17/")));
    EXPECT_TRUE(platform::IsDirectory(home.Path("tmp/~ZorVaneTemp.92482B06FB471E17")));
    EXPECT_EQ(Utils::GetInstallerTempFolder(), folder);
    setenv("TMPDIR", home.Path("missing/deeper").c_str(), 1);
    EXPECT_EQ(Utils::GetInstallerTempFolder(), L"");
}

TEST_F(SystemQueriesTest, FreeSpaceOfAFolderNotYetCreatedUsesItsAncestor) {
    Utils::HardDiskManager disk;
    ASSERT_TRUE(disk.CheckFreeSpace(W(home.Path("not/yet/created"))));
    EXPECT_GT(disk.TotalBytes, 0u);
    EXPECT_LE(disk.FreeBytesAvailable, disk.TotalFreeBytes);
    EXPECT_TRUE(capture.Lines().empty());
}

TEST_F(SystemQueriesTest, FreeSpaceOfAnInvalidPathFailsAndLogs) {
    Utils::HardDiskManager disk;
    EXPECT_FALSE(disk.CheckFreeSpace(L"Q:\\nowhere"));
    std::vector<std::string> lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("HardDiskManager::CheckFreeSpace FAIL code=2\r"), std::string::npos)
        << lines[0];
}

TEST_F(SystemQueriesTest, FileMd5) {
    ASSERT_TRUE(platform::WriteFileAtomic(home.Path("empty"), ""));
    EXPECT_EQ(Utils::FileMd5(home.Path("empty")), "d41d8cd98f00b204e9800998ecf8427e");
    ASSERT_TRUE(platform::WriteFileAtomic(home.Path("abc"), "abc"));
    EXPECT_EQ(Utils::FileMd5(home.Path("abc")), "900150983cd24fb0d6963f7d28e17f72");
    // Larger than one read chunk.
    ASSERT_TRUE(platform::WriteFileAtomic(home.Path("big"), std::string(3 * 1024 * 1024 + 7, 'a')));
    EXPECT_EQ(Utils::FileMd5(home.Path("big")).size(), 32u);
    EXPECT_EQ(Utils::FileMd5(home.Path("missing")), "");
    EXPECT_EQ(Utils::FileMd5(""), "");
    EXPECT_EQ(Utils::FileMd5(home.Root()), "");  // a folder is no file
}

TEST_F(SystemQueriesTest, GuidTextFormat) {
    std::wstring a = Utils::NewGuidText();
    ASSERT_EQ(a.size(), 32u);
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t c = a[i];
        EXPECT_TRUE(std::iswxdigit(c)) << i;
        if (i >= 12 && i < 16) {
            EXPECT_FALSE(c >= L'A' && c <= L'F') << "third group is lower case";
        } else {
            EXPECT_FALSE(c >= L'a' && c <= L'f') << "other groups are upper case";
        }
    }
    EXPECT_EQ(a[12], L'4');  // random GUIDs carry version 4
    EXPECT_NE(a, Utils::NewGuidText());
}

TEST_F(SystemQueriesTest, StopwatchMeasuresAcrossACounterWrap) {
    Utils::Stopwatch idle;
    EXPECT_EQ(idle.ElapsedSeconds(), 0.0f);
    Utils::Stopwatch sw;
    sw.StartNow();
    sw.StartTicks -= 1500;  // started 1.5 s ago
    EXPECT_GE(sw.ElapsedSeconds(), 1.5f);
    EXPECT_LT(sw.ElapsedSeconds(), 60.0f);
    Utils::Stopwatch wrapped;
    wrapped.StartNow();
    wrapped.StartTicks = wrapped.StartTicks - 2000u;  // may wrap below zero
    EXPECT_GE(wrapped.ElapsedSeconds(), 2.0f);
}

TEST_F(SystemQueriesTest, AccountFacts) {
    EXPECT_TRUE(Utils::IsAdminAccount(L"root"));
    EXPECT_FALSE(Utils::IsAdminAccount(L"no-such-user-velquin"));
    EXPECT_FALSE(Utils::IsAdminAccount(L""));
    std::wstring user = L"unchanged";
    EXPECT_TRUE(Utils::GetConsoleUser(user));
    EXPECT_FALSE(user.empty());
    EXPECT_NE(user, L"unchanged");
}

TEST(NetworkStateTest, EachConnectivityMapsToItsCode) {
    EXPECT_EQ(Utils::NetworkStateFrom(platform::Connectivity::Unavailable), 0u);
    EXPECT_EQ(Utils::NetworkStateFrom(platform::Connectivity::None), 65536u);
    EXPECT_EQ(Utils::NetworkStateFrom(platform::Connectivity::Limited) >> 16,
              Utils::kNetworkCodeNoInternet);
    EXPECT_NE(Utils::NetworkStateFrom(platform::Connectivity::Limited) & 0xFFFF, 0u);
    EXPECT_EQ(Utils::NetworkStateFrom(platform::Connectivity::Full) >> 16,
              Utils::kNetworkCodeConnected);
    EXPECT_NE(Utils::NetworkStateFrom(platform::Connectivity::Full) & 0xFFFF, 0u);
}

TEST(HardeningTest, RootDropsModuleSearchVariables) {
    for (const char* name : {"GTK_MODULES", "GTK3_MODULES", "GTK_PATH", "GIO_EXTRA_MODULES"}) {
        setenv(name, "/home/someone/evil", 1);
    }
    setenv("VELQUIN_UNRELATED", "kept", 1);
    platform::HardenModuleLoading();
    for (const char* name : {"GTK_MODULES", "GTK3_MODULES", "GTK_PATH", "GIO_EXTRA_MODULES"}) {
        // An ordinary user may load what they chose; root must not.
        EXPECT_EQ(platform::GetEnv(name).empty(), geteuid() == 0) << name;
    }
    EXPECT_EQ(platform::GetEnv("VELQUIN_UNRELATED"), "kept");
}

}  // namespace
