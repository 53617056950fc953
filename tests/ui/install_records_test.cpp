// Installation records: registry values, folder rules, set.ini and the time file.
#include "ui/install_records.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/files.h"
#include "tests/support/scratch_home.h"
#include "utils/process.h"
#include "utils/profile.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

std::wstring W(const std::string& s) {
    return Utils::ToWide(s, Utils::kCodePageUtf8);
}

class InstallRecordsTest : public ::testing::Test {
protected:
    void Touch(const std::string& path) {
        ASSERT_TRUE(Utils::CreateDirectoryPath(W(path.substr(0, path.rfind('/')))));
        ASSERT_TRUE(platform::WriteFileAtomic(path, "x"));
    }
    // The default folder of a fresh machine for the user running the tests.
    std::wstring FreshDefault() {
        CInstallRecords fresh;
        return fresh.DefaultInstallDir();
    }

    testsupport::ScratchHome home;
    CInstallRecords records;
};

TEST(SameFolderTest, ComparesFoldersNotSpellings) {
    EXPECT_TRUE(SameFolder(L"/opt/Velquin", L"/opt/Velquin/"));
    EXPECT_TRUE(SameFolder(L"/opt/Velquin", L"/opt//x/../Velquin/."));
    EXPECT_FALSE(SameFolder(L"/opt/Velquin", L"/opt/velquin"));
    EXPECT_FALSE(SameFolder(L"/opt/Velquin", L"/opt/Velquin/Velquin"));
    EXPECT_FALSE(SameFolder(L"", L""));
    EXPECT_FALSE(SameFolder(L"/opt", L""));
}

TEST_F(InstallRecordsTest, NoRecordGivesTheDefaultUnderTheBaseFolder) {
    records.ReadInstallRecord();
    EXPECT_EQ(records.OldInstallPath, L"");
    EXPECT_EQ(records.OldUninstallEp, L"");
    const std::wstring dir = records.DefaultInstallDir();
    // Root in an administrator console session installs under the data folder.
    const std::wstring expected = (records.ConsoleUserIsAdmin && records.ProcessIsAdmin)
                                      ? W(home.Path("data/zorvane/Velquin"))
                                      : W(platform::ProgramFilesFolder() + "/Velquin");
    EXPECT_EQ(dir, expected);
    EXPECT_EQ(records.ProcessIsAdmin, geteuid() == 0);
}

TEST_F(InstallRecordsTest, RecordWithItsEntryFileNamesTheDefaultFolder) {
    const std::string old = home.Path("old/Velquin");
    Touch(old + "/uninst.ep");
    ASSERT_TRUE(Utils::WriteProductRegistryString(L"InstallPath", W(old)));
    records.ReadInstallRecord();
    EXPECT_EQ(records.OldUninstallEp, W(old + "/uninst.ep"));  // derived when the value is missing
    EXPECT_EQ(records.DefaultInstallDir(), W(old));
    EXPECT_TRUE(records.IsDefaultDir(W(old + "/")));

    // The entry file gone: a fresh default, though the old folder is still known.
    ASSERT_TRUE(platform::RemoveFile(old + "/uninst.ep"));
    EXPECT_EQ(records.DefaultInstallDir(), FreshDefault());
    EXPECT_EQ(records.OldInstallPath, W(old));
}

TEST_F(InstallRecordsTest, CustomFolderGetsVelquinAppendedUnlessItIsTheDefault) {
    records.ReadInstallRecord();
    const std::wstring def = records.DefaultInstallDir();
    EXPECT_EQ(records.CustomInstallDir(def), def);
    EXPECT_EQ(records.CustomInstallDir(def + L"/"), def);
    EXPECT_EQ(records.CustomInstallDir(L"/srv/apps"), L"/srv/apps/Velquin");
    EXPECT_EQ(records.CustomInstallDir(L"/srv/apps/"), L"/srv/apps/Velquin");
    EXPECT_EQ(records.CustomInstallDir(L"/srv/Velquin"), L"/srv/Velquin/Velquin");
}

TEST_F(InstallRecordsTest, IsOverrideFalseSkipsTheUninstallOnlyInTheSameFolder) {
    const std::string old = home.Path("old/Velquin");
    Touch(old + "/uninst.ep");
    ASSERT_TRUE(Utils::WriteProductRegistryString(L"InstallPath", W(old)));
    records.ReadInstallRecord();
    EXPECT_FALSE(records.SkipOldUninstall(W(old)));  // no set.ini: default "true"
    ASSERT_TRUE(
        Utils::WritePrivateProfileStringA("Uninstall", "IsOverride", "False", old + "/set.ini"));
    EXPECT_FALSE(records.SkipOldUninstall(W(old)));  // case matters
    ASSERT_TRUE(
        Utils::WritePrivateProfileStringA("Uninstall", "IsOverride", "false", old + "/set.ini"));
    EXPECT_TRUE(records.SkipOldUninstall(W(old)));
    EXPECT_TRUE(records.SkipOldUninstall(W(old + "/")));
    EXPECT_FALSE(records.SkipOldUninstall(W(home.Path("elsewhere"))));
}

TEST_F(InstallRecordsTest, RecordIsWrittenAndReadBackByTheNextRun) {
    const std::string dir = home.Path("inst/Velquin");
    records.InstallPath = W(dir);
    records.WriteInstallRecord();  // no entry file yet: only the folder is stored
    CInstallRecords next;
    next.ReadInstallRecord();
    EXPECT_EQ(next.OldInstallPath, W(dir));
    EXPECT_EQ(next.OldUninstallEp, W(dir + "/uninst.ep"));
    uint32_t type = 0;
    std::wstring value = L"none";
    EXPECT_FALSE(Utils::ReadProductRegistryString(L"UnInstallEp", type, value));

    Touch(dir + "/bin/uninst.ep");
    records.UninstEp = W(dir + "/bin/uninst.ep");
    records.WriteInstallRecord();
    next.ReadInstallRecord();
    EXPECT_EQ(next.OldUninstallEp, W(dir + "/bin/uninst.ep"));
}

TEST_F(InstallRecordsTest, SetIniAndTimeFile) {
    const std::string dir = home.Path("inst/Velquin");
    ASSERT_TRUE(Utils::CreateDirectoryPath(W(dir)));
    records.InstallPath = W(dir);
    records.WriteSetIni();
    const std::string setIni = dir + "/set.ini";
    const std::string first =
        Utils::GetPrivateProfileStringA("Install", "DeviceID", "", 64, setIni);
    EXPECT_EQ(first.size(), 32u);
    EXPECT_EQ(Utils::GetPrivateProfileStringA("Install", "AppName", "", 64, setIni), "Velquin");
    EXPECT_FALSE(Utils::GetPrivateProfileStringA("Install", "APPStore", "", 64, setIni).empty());
    const std::string timeFile = home.Path("data/ZorVaneData/Velquin/DUDudizuzOdizeduza.ini");
    EXPECT_EQ(Utils::GetPrivateProfileStringA("Install", "DUDudizuzOdizeduzaIni", "", 260, setIni),
              timeFile);
    const std::string stamp =
        Utils::GetPrivateProfileStringA("Init", "UpdateTime", "", 128, timeFile);
    EXPECT_EQ(stamp.size(), 19u) << stamp;

    records.WriteSetIni();  // a new device id each time
    EXPECT_NE(Utils::GetPrivateProfileStringA("Install", "DeviceID", "", 64, setIni), first);
}

TEST_F(InstallRecordsTest, SetIniWithoutADataFolderStopsAfterTheInstallKeys) {
    const std::string dir = home.Path("inst");
    ASSERT_TRUE(Utils::CreateDirectoryPath(W(dir)));
    ASSERT_TRUE(platform::WriteFileAtomic(home.Path("blocked"), "file"));
    setenv("XDG_DATA_HOME", home.Path("blocked").c_str(), 1);  // a file, not a folder
    records.InstallPath = W(dir);
    records.WriteSetIni();
    EXPECT_EQ(Utils::GetPrivateProfileStringA("Install", "AppName", "", 64, dir + "/set.ini"),
              "Velquin");
    EXPECT_EQ(Utils::GetPrivateProfileStringA("Install", "DUDudizuzOdizeduzaIni", "none", 260,
                                              dir + "/set.ini"),
              "none");
}

TEST_F(InstallRecordsTest, LaunchStartsTheProductInItsFolderAfterThePump) {
    // The "product" is a shell script that records where it ran.
    const std::string dir = home.Path("inst");
    ASSERT_TRUE(Utils::CreateDirectoryPath(W(dir)));
    const std::string exe = dir + "/vuvIroridazaDirizode.exe";
    ASSERT_TRUE(platform::WriteFileAtomic(exe, "#!/bin/sh\npwd > started.txt\n", 0755));
    bool pumped = false;
    records.ProductExePath = W(exe);
    records.StartUrl = L"short";  // 5 characters: not opened
    records.LaunchProduct([&] { pumped = true; });
    EXPECT_TRUE(pumped);
    std::string content;
    for (int i = 0; i < 200 && !platform::ReadWholeFile(dir + "/started.txt", content); ++i) {
        usleep(20000);
    }
    EXPECT_EQ(content, dir + "\n");

    bool pumpedAgain = false;
    records.ProductExePath = W(dir + "/missing.exe");
    records.LaunchProduct([&] { pumpedAgain = true; });
    EXPECT_FALSE(pumpedAgain);
}

}  // namespace
