// The settings record: defaults, settings file, command line and the route.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/files.h"
#include "tests/support/scratch_home.h"
#include "utils/text.h"

namespace {

class SettingsTest : public ::testing::Test {
protected:
    // An executable path in the scratch folder; the settings file sits beside it.
    std::wstring Exe() const {
        return Utils::ToWide(home.Path("velquin-installer"), Utils::kCodePageUtf8);
    }
    void WriteSettingsFile(const std::string& content) {
        ASSERT_TRUE(platform::WriteFileAtomic(home.Path("ZorvaneInstallerConfig.ini"), content));
    }
    InstallerSettings Build(std::vector<std::wstring> args = {}) {
        InstallerSettings s(Exe());
        args.insert(args.begin(), Exe());
        s.ApplyCommandLine(args);
        return s;
    }

    testsupport::ScratchHome home;
};

TEST_F(SettingsTest, DefaultsWithoutFileOrOptions) {
    InstallerSettings s = Build();
    EXPECT_EQ(s.AppName, L"Velquin");
    EXPECT_EQ(s.AppVersion, L"1.7.9");
    EXPECT_EQ(s.ExeName, L"velquin-installer");
    EXPECT_EQ(s.DownloadUrl, kDefaultPackageAddress);
    EXPECT_NE(s.DownloadUrl.find(L"/software/222"), std::wstring::npos);
    EXPECT_EQ(s.DownloadType, 1);
    EXPECT_FALSE(s.IsCheckNet);
    EXPECT_TRUE(s.IsEnableAppSensors);
    EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7);
    EXPECT_EQ(s.DlAppNameSuffix, L".downloader");
    EXPECT_EQ(s.DlAppVersion, L"");
    EXPECT_EQ(s.InstCmd, L"");
    EXPECT_TRUE(s.IsCurlReady);
    EXPECT_EQ(s.AbGroup, L"IN");
}

TEST_F(SettingsTest, FileWithOnlyTheSectionTurnsTheNetworkCheckOn) {
    WriteSettingsFile("[Install]\n");
    InstallerSettings s = Build();
    EXPECT_TRUE(s.IsCheckNet);
    EXPECT_TRUE(s.IsEnableAppSensors);
    EXPECT_EQ(s.DownloadType, 1);
    EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7);
    EXPECT_EQ(s.DownloadUrl, kDefaultPackageAddress);
}

TEST_F(SettingsTest, FileValuesAreReadWithTheirRules) {
    WriteSettingsFile(
        "[INSTALL]\nDownloadUrl=http://127.0.0.1:1/${ROUTE}/a/${ROUTE}\nDownloadType=3x\n"
        "IsCheckNet=True\nIsEnableAppSensors=1\nDlAppNameSuffix=.dl\nm_DlAppVersion=2.0\n"
        "DownloadScale=  0.25abc\nInstCmd=/quiet\nAppName=Other\nAppVersion=9\n");
    InstallerSettings s = Build();
    EXPECT_EQ(s.DownloadUrl, L"http://127.0.0.1:1/download_silent/a/download_silent");
    EXPECT_EQ(s.DownloadType, 3);
    EXPECT_FALSE(s.IsCheckNet);  // only the exact text "true" counts
    EXPECT_FALSE(s.IsEnableAppSensors);
    EXPECT_EQ(s.DlAppNameSuffix, L".dl");
    EXPECT_EQ(s.DlAppVersion, L"2.0");
    EXPECT_DOUBLE_EQ(s.DownloadScale, 0.25);
    EXPECT_EQ(s.InstCmd, L"/quiet");
    EXPECT_EQ(s.AppName, L"Velquin");  // not configurable
    EXPECT_EQ(s.AppVersion, L"1.7.9");
}

TEST_F(SettingsTest, FileValueIsCutTo259Characters) {
    WriteSettingsFile("[Install]\nInstCmd=" + std::string(400, 'a') + "\n");
    EXPECT_EQ(Build().InstCmd, std::wstring(259, L'a'));
}

TEST_F(SettingsTest, LettersAsScaleGiveZeroInTheFileAndNanOnTheCommandLine) {
    WriteSettingsFile("[Install]\nDownloadScale=abc\n");
    EXPECT_DOUBLE_EQ(Build().DownloadScale, 0.0);
    EXPECT_TRUE(std::isnan(Build({L"-downloadscale=abc"}).DownloadScale));
    EXPECT_DOUBLE_EQ(Build({L"-downloadscale=0.5"}).DownloadScale, 0.5);
}

struct OptionCase {
    std::vector<std::wstring> args;
    int32_t downloadType;
    bool checkNet;
};

void PrintTo(const OptionCase& c, std::ostream* os) {
    for (const auto& a : c.args)
        *os << Utils::ToNarrow(a, Utils::kCodePageUtf8) << " ";
}

class SettingsOptionTest : public SettingsTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(SettingsOptionTest, OptionsOverrideTheFile) {
    WriteSettingsFile("[Install]\nIsCheckNet=true\nDownloadType=2\n");
    InstallerSettings s = Build(GetParam().args);
    EXPECT_EQ(s.DownloadType, GetParam().downloadType);
    EXPECT_EQ(s.IsCheckNet, GetParam().checkNet);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsOptionTest,
    ::testing::Values(OptionCase{{}, 2, true}, OptionCase{{L"-downloadtype=7"}, 7, true},
                      OptionCase{{L"-downloadtype"}, 0, true},  // bare option: no value
                      OptionCase{{L"-downloadtype="}, 0, true},
                      OptionCase{{L"-downloadtype= -3z"}, -3, true},
                      OptionCase{{L"-downloadtype=99999999999"}, INT32_MAX, true},
                      OptionCase{{L"-ischecknet"}, 2, false},  // bare option turns it off
                      OptionCase{{L"-ischecknet=TRUE"}, 2, false},
                      OptionCase{{L"-ischecknet=true"}, 2, true},
                      OptionCase{{L"-DownloadType=3", L"-IsCheckNet="}, 2, true},  // case matters
                      OptionCase{{L"-downloadtype=3", L"-downloadtype=1"}, 3, true}));

TEST_F(SettingsTest, AddressKeepsItsQueryAndTheFirstOptionWins) {
    InstallerSettings s =
        Build({L"-downloadurl=http://h/x?a=1&b=2", L"-downloadurl=http://other/"});
    EXPECT_EQ(s.DownloadUrl, L"http://h/x?a=1&b=2");
    EXPECT_EQ(Build({L"-downloadurl="}).DownloadUrl, L"");
}

TEST_F(SettingsTest, TextOptionsAreStoredUnchanged) {
    InstallerSettings s = Build({L"-dlappnamesuffix=.x", L"-dlappversion=1.2.3", L"-instcmd=/a b",
                                 L"-isenableappsensors", L"-analyticsurl=http://127.0.0.1:9/sa",
                                 L"-unattended=true", L"-installdir=/tmp/v q"});
    EXPECT_EQ(s.DlAppNameSuffix, L".x");
    EXPECT_EQ(s.DlAppVersion, L"1.2.3");
    EXPECT_EQ(s.InstCmd, L"/a b");
    EXPECT_FALSE(s.IsEnableAppSensors);
    EXPECT_EQ(s.AnalyticsUrl, L"http://127.0.0.1:9/sa");
    EXPECT_TRUE(s.Unattended);
    EXPECT_EQ(s.InstallDir, L"/tmp/v q");
}

TEST_F(SettingsTest, CommandLineSensorsOptionBeatsTheFile) {
    WriteSettingsFile("[Install]\nIsEnableAppSensors=false\n");
    EXPECT_TRUE(Build({L"-isenableappsensors=true"}).IsEnableAppSensors);
}

TEST(CommandLineArgsTest, ParsesAWholeCommandLine) {
    CommandLineArgs args =
        ParseCommandLine(L"\"/opt/x y/inst\" -downloadurl=\"http://h/a b\" plain");
    EXPECT_TRUE(args.Has(L"/opt/x y/inst"));
    EXPECT_EQ(args.GetString(L"-downloadurl"), L"http://h/a b");
    EXPECT_TRUE(args.Has(L"plain"));
    EXPECT_EQ(args.GetString(L"missing"), L"");
    EXPECT_EQ(args.GetInt(L"missing"), 0);
    EXPECT_FALSE(args.GetBool(L"missing"));
    EXPECT_DOUBLE_EQ(args.GetDouble(L"missing", 1.5), 1.5);
}

struct VersionCase {
    uint32_t major, minor, build;
    bool r2;
    const wchar_t* name;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << c.major << "." << c.minor << "." << c.build << (c.r2 ? " R2" : "");
}

class WindowsVersionNameTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(WindowsVersionNameTest, NamesEachRow) {
    const VersionCase& c = GetParam();
    EXPECT_EQ(WindowsVersionName(c.major, c.minor, c.build, c.r2), c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowsVersionNameTest,
    ::testing::Values(VersionCase{0, 0, 0, false, L"XP-"}, VersionCase{4, 9, 1381, false, L"XP-"},
                      VersionCase{5, 0, 2195, false, L"2K"}, VersionCase{5, 1, 2600, false, L"XP"},
                      VersionCase{5, 2, 3790, false, L"Server 2003"},
                      VersionCase{5, 2, 3790, true, L"Server 2003 R2"},
                      VersionCase{5, 3, 0, false, L"XP+"}, VersionCase{6, 0, 6000, false, L"Vista"},
                      VersionCase{6, 1, 7601, false, L"7"}, VersionCase{6, 2, 9200, false, L"8"},
                      VersionCase{6, 3, 9600, false, L"8.1"}, VersionCase{6, 4, 0, false, L"8.1+"},
                      VersionCase{7, 0, 1234, false, L"7.0.1234"},
                      VersionCase{9, 1, 5, false, L"9.1.5"},
                      VersionCase{10, 0, 22000, false, L"10"},  // Windows 11 reports 10.0
                      VersionCase{10, 1, 0, false, L"10+"},
                      VersionCase{11, 0, 22000, false, L"11.0.22000"}));

TEST(RouteTest, XpNamesGetTheXpRouteOthersTheDefault) {
    EXPECT_EQ(RouteFor(L"XP", false), L"download_silent_xp");
    EXPECT_EQ(RouteFor(L"XP-", true), L"download_silent_xp");
    EXPECT_EQ(RouteFor(L"XP+", false), L"download_silent_xp");
    EXPECT_EQ(RouteFor(L"2K", false), L"download_silent");
    EXPECT_EQ(RouteFor(L"Server 2003", false), L"download_silent");
    EXPECT_EQ(RouteFor(L"7", true), L"download_silent");  // this build has no 64-bit route
    EXPECT_EQ(RouteFor(L"7", false), L"download_silent");
}

TEST(RouteTest, RunningSystemIsLinuxAndNeverTheXpRoute) {
    OsVersion os = GetOsVersion();
    EXPECT_EQ(os.SystemName, L"Linux");
    EXPECT_EQ(std::count(os.VersionName.begin(), os.VersionName.end(), L'.'), 2);
    EXPECT_FALSE(IsWow64());
    EXPECT_EQ(ResolveRoute(L"http://h/${ROUTE}/${ROUTE}"),
              L"http://h/download_silent/download_silent");
    EXPECT_EQ(ResolveRoute(L"http://h/plain"), L"http://h/plain");
}

}  // namespace
