// Pre-install checks: process lookup, folder and space rules, failure-reason texts.
#include "ui/preinstall_checks.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"
#include "platform/process.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

std::wstring W(const std::string& s) {
    return Utils::ToWide(s, Utils::kCodePageUtf8);
}

TEST(FindProcessTest, FindsARunningProgramByItsExactFileName) {
    testsupport::ScratchHome home;
    // A copy of the scripted child under the product's name, sleeping while we look.
    const std::string exe = home.Path("vuvIroridazaDirizode.exe");
    ASSERT_TRUE(platform::CopyFile(VELQUIN_TEST_CHILD, exe));
    EXPECT_EQ(FindProcess(kProductProcessName), 0);
    int pid = platform::SpawnProcess({exe, "sleep:5000"}, -1, -1, -1);
    ASSERT_GT(pid, 0);
    int found = 0;
    for (int i = 0; i < 100 && found == 0; ++i) {
        found = FindProcess(kProductProcessName);
        usleep(10000);
    }
    EXPECT_EQ(found, pid);
    EXPECT_EQ(FindProcess(L"VuvIroridazaDirizode.exe"), 0);  // case matters
    platform::KillProcess(pid);
    int code = 0;
    platform::WaitProcess(pid, code);
}

TEST(InstallFolderTest, UsableFoldersAreCreated) {
    testsupport::ScratchHome home;
    EXPECT_TRUE(IsUsableInstallFolder(W(home.Path("a/b/Velquin"))));
    EXPECT_TRUE(platform::IsDirectory(home.Path("a/b/Velquin")));

    const std::string base = home.Path("x/");
    EXPECT_FALSE(IsUsableInstallFolder(W(base + std::string(261 - base.size(), 'l'))));
    EXPECT_FALSE(IsUsableInstallFolder(W(home.Path("quo\"te/Velquin"))));
    EXPECT_FALSE(platform::PathExists(home.Path("quo\"te")));
    EXPECT_FALSE(IsUsableInstallFolder(L"Q:\\Program Files\\Velquin"));
    EXPECT_FALSE(IsUsableInstallFolder(L""));
    ASSERT_TRUE(platform::WriteFileAtomic(home.Path("file"), ""));
    EXPECT_FALSE(IsUsableInstallFolder(W(home.Path("file/Velquin"))));
}

TEST(FreeSpaceTest, OneGigabyteExactlyPassesOneByteLessDoesNot) {
    auto with = [](uint64_t bytes) {
        return [bytes](const std::wstring&, uint64_t& out) {
            out = bytes;
            return true;
        };
    };
    EXPECT_TRUE(HasEnoughSpace(FreeGigabytes(L"/x", with(kBytesPerGigabyte))));
    EXPECT_FALSE(HasEnoughSpace(FreeGigabytes(L"/x", with(kBytesPerGigabyte - 1))));
    auto failing = [](const std::wstring&, uint64_t& out) {
        out = 1ull << 40;  // ignored: the query failed
        return false;
    };
    EXPECT_EQ(FreeGigabytes(L"/x", failing), 0.0);
    EXPECT_GT(FreeGigabytes(L"/tmp/does/not/exist/yet"), 0.0);  // the real query, nearest ancestor
}

TEST(NetworkUsableTest, OnlyTheStatusHalfCounts) {
    EXPECT_TRUE(IsNetworkUsable(0));
    EXPECT_TRUE(IsNetworkUsable(0x40));
    EXPECT_FALSE(IsNetworkUsable(65536));
    EXPECT_FALSE(IsNetworkUsable((2u << 16) | 0x20));
}

TEST(PackageWritableTest, ReadOnlyFolderIsReportedAsNoPermission) {
    testsupport::ScratchHome home;
    const std::string dir = home.Path("pkg");
    ASSERT_TRUE(platform::MakeDirectory(dir));
    const std::wstring package = W(dir + "/__Package_Velquin.exe");
    EXPECT_TRUE(IsPackagePathWritable(package));
    EXPECT_FALSE(platform::PathExists(dir + "/__Package_Velquin.exe"));  // the probe is removed
    ASSERT_TRUE(platform::WriteFileAtomic(dir + "/__Package_Velquin.exe", "old"));
    EXPECT_TRUE(IsPackagePathWritable(package));  // an existing package can be replaced
    EXPECT_FALSE(IsPackagePathWritable(W(home.Path("missing/__Package_Velquin.exe"))));
    if (geteuid() != 0) {  // root writes anywhere
        chmod(dir.c_str(), 0555);
        EXPECT_FALSE(IsPackagePathWritable(package));
        chmod(dir.c_str(), 0755);
    }
}

TEST(FailureReasonTest, TextsAreFilledInAndCut) {
    EXPECT_EQ(FormatDownloadFailureReason(28, L"LibCurl", 12.345, true, 0),
              L"1.code=28；2.msg=LibCurl；3.缓存磁盘容量=12.35G；4.缓存读写权限=可读；5."
              L"服务器连接状态code=0");
    EXPECT_EQ(FormatDownloadFailureReason(-1, L"", 0.0, false, 65536),
              L"1.code=-1；2.msg=；3.缓存磁盘容量=0.00G；4.缓存读写权限=无权限；5."
              L"服务器连接状态code=65536");
    EXPECT_EQ(FormatShortFailureReason(3, L"mtcurl文件md5校验失败"),
              L":1.code=3；2.msg=mtcurl文件md5校验失败");
    const std::wstring longText = FormatShortFailureReason(1, std::wstring(500, L'm'));
    EXPECT_EQ(longText.size(), 199u);
    EXPECT_EQ(longText.substr(0, 17), L":1.code=1；2.msg=m");
}

}  // namespace
