// The main window on the headless backend: pages, tips and answers, pipeline events,
// progress texts, finish timers, checks, records, and an install on loopback.
#include <gtest/gtest.h>

#include <deque>
#include <fstream>

#include "app/settings.h"
#include "platform/files.h"
#include "tests/support/scratch_home.h"
#include "tests/uilib/uilib_test_support.h"
#include "tools/collector/collector.h"
#include "tools/package_server/package_server.h"
#include "ui/main_wnd.h"
#include "ui/message_box.h"
#include "uilib/headless_backend.h"
#include "utils/process.h"
#include "utils/text.h"

namespace {

using uilib::PumpUntil;

std::string Narrow(const std::wstring& text) {
    return Utils::ToNarrow(text, Utils::kCodePageUtf8);
}

std::wstring Wide(const std::string& text) {
    return Utils::ToWide(text, Utils::kCodePageUtf8);
}

class RecordingObserver : public MainWndObserver {
public:
    void OnProgress(int percent, const std::wstring&) override { percents.push_back(percent); }
    void OnOutcome(InstallOutcome outcome) override { outcomes.push_back(outcome); }
    std::vector<int> percents;
    std::vector<InstallOutcome> outcomes;
};

class MainWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::Headless();
        saved_ = std::make_unique<InstallerSettings>(Settings());
        Settings().IsEnableAppSensors = false;
        Settings().IsCheckNet = false;
        Settings().DownloadScale = 0.7;
        // A server that never sends a byte: an attempt that reaches the pipeline
        // stays on the installing page until the test injects events.
        velquin_tools::PackageServerOptions options;
        options.body = std::string(4096, 'x');
        options.stallAfter = 0;
        server_ = std::make_unique<velquin_tools::PackageServer>(options);
        ASSERT_TRUE(server_->Start());
        Settings().SetDownloadUrl(Wide(server_->DefaultUrl()));
        SetTipAnswerer([this](const std::wstring& layout, const std::wstring& wording) {
            tips.push_back(Narrow(layout) + ": " + Narrow(wording));
            int answer = kAnswerCancel;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        });
        probes.findProcess = [this](const std::wstring& name) { return running == name ? 4242 : 0; };
        probes.freeSpace = [this](const std::wstring&, uint64_t& bytes) {
            bytes = freeBytes;
            return true;
        };
        probes.checkNetwork = [this] { return networkState; };
    }

    void TearDown() override {
        window.reset();
        SetTipAnswerer({});
        Settings() = *saved_;
        server_.reset();
    }

    CMainWnd& Open() {
        window = std::make_unique<CMainWnd>();
        window->Probes = probes;
        window->SetObserver(&observer);
        window->Create(nullptr, L"Velquin", 0x10CF0000, 0, uilib::kUseDefault, uilib::kUseDefault,
                       uilib::kUseDefault, uilib::kUseDefault);
        return *window;
    }

    // Runs the loop until what was posted so far has been handled.
    void Settle() {
        bool done = false;
        uilib::PostToUiThread([&done] { done = true; });
        ASSERT_TRUE(PumpUntil([&done] { return done; }, 5000));
    }

    void Event(int code, double value = 0.0, const std::wstring& text = L"") {
        window->PostPipelineEvent(code, value, text.c_str());
        Settle();
    }

    int Page() const { return window->mainTabLt->GetCurSel(); }
    std::string ProgressText() const { return Narrow(window->progressLb->GetText()); }

    // Puts the window on the installing page the way the install button does.
    void StartDefaultInstall() {
        ASSERT_TRUE(uilib::ClickControl(*window, L"defaultInstallBtn"));
        Settle();
        ASSERT_EQ(Page(), 2);
    }

    testsupport::ScratchHome home;
    std::unique_ptr<CMainWnd> window;
    RecordingObserver observer;
    MainWndProbes probes;
    std::vector<std::string> tips;
    std::deque<int> answers;
    std::wstring running;
    uint64_t freeBytes = 50ull << 30;
    uint32_t networkState = 0;

private:
    std::unique_ptr<InstallerSettings> saved_;
    std::unique_ptr<velquin_tools::PackageServer> server_;
};

TEST_F(MainWndTest, FirstStartShowsTheStartPageWithTheDefaultFolder) {
    CMainWnd& wnd = Open();
    Settle();
    EXPECT_TRUE(wnd.IsWindow());
    EXPECT_EQ(Page(), 0);
    EXPECT_FALSE(wnd.HadInstallation);
    EXPECT_EQ(wnd.installDirEdit->GetText(), wnd.DefaultInstallDir());
    EXPECT_TRUE(tips.empty());
    EXPECT_EQ(wnd.winCtn->GetBkImage(), L"res\\mainWnd\\bg1.png");
    EXPECT_FALSE(wnd.backBtn->IsVisible());
}

TEST_F(MainWndTest, PagesFollowTheButtons) {
    CMainWnd& wnd = Open();
    ASSERT_TRUE(uilib::ClickControl(wnd, L"customeBtn"));
    EXPECT_EQ(Page(), 1);
    EXPECT_TRUE(wnd.backBtn->IsVisible());
    EXPECT_EQ(wnd.winCtn->GetBkImage(), L"res\\mainWnd\\bg2.png");
    ASSERT_TRUE(uilib::ClickControl(wnd, L"backBtn"));
    EXPECT_EQ(Page(), 0);
    EXPECT_FALSE(wnd.backBtn->IsVisible());

    ASSERT_TRUE(uilib::ClickControl(wnd, L"customeBtn"));
    ASSERT_TRUE(uilib::ClickControl(wnd, L"customeInstallBtn"));
    Settle();
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(wnd.StartPage, 1);
    EXPECT_FALSE(wnd.titleGrpCtn->IsVisible());
    EXPECT_EQ(wnd.winCtn->GetBkImage(), L"res\\mainWnd\\bg3.png");
    EXPECT_TRUE(wnd.customeInstallBtn->IsEnabled());
}

TEST_F(MainWndTest, CloseRulesPerPage) {
    CMainWnd& wnd = Open();
    answers = {1};  // "否": stay
    ASSERT_TRUE(uilib::ClickControl(wnd, L"closebtn"));
    Settle();
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].rfind("ExitTipWnd.xml: 温馨提示 | 您确定要退出安装吗？", 0), 0u) << tips[0];
    EXPECT_TRUE(wnd.IsWindow());

    StartDefaultInstall();
    wnd.SendMessage(uilib::kMsgClose, 1, 0);  // keyboard or system menu
    wnd.Close(1);
    Settle();
    EXPECT_TRUE(wnd.IsWindow());  // no way out while installing

    Event(2003);
    EXPECT_EQ(Page(), 3);
    ASSERT_TRUE(uilib::ClickControl(wnd, L"closebtn"));
    Settle();
    EXPECT_FALSE(wnd.IsWindow());
    EXPECT_EQ(tips.size(), 1u);  // the finished page closes without asking
}

TEST_F(MainWndTest, ExitTipAnsweredYesCloses) {
    CMainWnd& wnd = Open();
    answers = {0};
    ASSERT_TRUE(uilib::ClickControl(wnd, L"closebtn"));
    Settle();
    EXPECT_FALSE(wnd.IsWindow());
}

TEST_F(MainWndTest, ProgressTextsFollowDownloadAndInstallShares) {
    Open();
    StartDefaultInstall();
    Event(1002, 0.5);
    EXPECT_EQ(ProgressText(), "正在安装中:35%，请稍候...");
    EXPECT_EQ(window->installPrg->GetValue(), 35);
    Event(2002, 0.02);
    EXPECT_EQ(ProgressText(), "正在安装中:74%，请稍候...");
    Event(2002, 0.02);
    EXPECT_EQ(ProgressText(), "正在安装中:78%，请稍候...");
    for (int i = 0; i < 10; ++i) Event(2002, 0.02);
    EXPECT_EQ(ProgressText(), "正在安装中:98%，请稍候...");
    EXPECT_DOUBLE_EQ(window->InstallFraction, 0.95);
    Event(2002, 0.99);  // a higher reported value wins
    EXPECT_EQ(ProgressText(), "正在安装中:99%，请稍候...");
    Event(2003);
    EXPECT_EQ(window->installPrg->GetValue(), 100);
}

TEST_F(MainWndTest, ProgressNeverLeavesZeroToHundred) {
    Open();
    StartDefaultInstall();
    Event(1002, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(window->installPrg->GetValue(), 0);
    Event(1002, 7.0);
    EXPECT_EQ(window->installPrg->GetValue(), 100);
    EXPECT_EQ(ProgressText(), "正在安装中:100%，请稍候...");
}

struct InstallFailureCase {
    int barBefore;
    const char* textAfter;
    int barAfter;
};

class InstallFailureTest : public MainWndTest, public ::testing::WithParamInterface<InstallFailureCase> {};

TEST_P(InstallFailureTest, ResetsTheBarOnlyOnceTheInstallPhaseBegan) {
    const InstallFailureCase& c = GetParam();
    CMainWnd& wnd = Open();
    StartDefaultInstall();
    Event(1002, c.barBefore / 70.0);
    ASSERT_EQ(wnd.installPrg->GetValue(), c.barBefore);
    Event(2004, 1000.0, L"磁盘已满");
    EXPECT_EQ(Page(), 0);
    EXPECT_EQ(wnd.installPrg->GetValue(), c.barAfter);
    EXPECT_EQ(ProgressText(), c.textAfter);
    ASSERT_FALSE(tips.empty());
    EXPECT_EQ(tips.back(), "MessageBox2Wnd.xml: 温馨提示 | 磁盘已满");
    EXPECT_EQ(observer.outcomes.back(), InstallOutcome::InstallFailed);
}

INSTANTIATE_TEST_SUITE_P(BarValues, InstallFailureTest,
                         ::testing::Values(InstallFailureCase{69, "正在安装中:69%，请稍候...", 69},
                                           InstallFailureCase{70, "正在安装中:0%，请稍候...", 0}));

TEST_F(MainWndTest, InstallFailureWithoutTextSaysInstallFailed) {
    Open();
    StartDefaultInstall();
    Event(2004, 2.0, L"");
    EXPECT_EQ(tips.back(), "MessageBox2Wnd.xml: 温馨提示 | 安装失败");
}

TEST_F(MainWndTest, DownloadFailureRetryReturnsToTheStartPageThenInstallsAgain) {
    CMainWnd& wnd = Open();
    StartDefaultInstall();
    answers = {0};  // "重新安装"
    wnd.PostPipelineEvent(1004, -1.0, L"timeout");
    ASSERT_TRUE(PumpUntil([&] { return !tips.empty(); }, 5000));
    EXPECT_EQ(tips[0].rfind("NetworkTipWnd.xml: 温馨提示 | 当前网络环境较差", 0), 0u) << tips[0];
    EXPECT_EQ(Page(), 0);  // the retry's own "install" brings page 2 back
    Settle();
    EXPECT_EQ(Page(), 2);
    EXPECT_TRUE(wnd.IsWindow());
}

TEST_F(MainWndTest, DownloadFailureTryLaterStaysWithoutEarlierInstallation) {
    CMainWnd& wnd = Open();
    StartDefaultInstall();
    answers = {1};  // "稍后再试"
    Event(1004, -1.0, L"timeout");
    Settle();
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(wnd.IsWindow());
    EXPECT_EQ(observer.outcomes.back(), InstallOutcome::DownloadFailed);
}

TEST_F(MainWndTest, UninstallFailureShowsTheRunningTip) {
    CMainWnd& wnd = Open();
    StartDefaultInstall();
    Event(5004, 2.0);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0], "MessageBox1Wnd.xml: 温馨提示 | 安装程序检测到Velquin\r\n正在运行，请退出程序后再安装");
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(wnd.IsWindow());  // no earlier installation: stays
    EXPECT_EQ(observer.outcomes.back(), InstallOutcome::UninstallFailed);
}

TEST_F(MainWndTest, PackageMessageIsShownWithoutItsLineEnd) {
    Open();
    StartDefaultInstall();
    Event(3009, 0.0, L"欢迎\r");
    EXPECT_EQ(tips.back(), "MessageBox1Wnd.xml: 消息 | 欢迎");
}

TEST_F(MainWndTest, ResultTextsLoseTheirLineEnd) {
    CMainWnd& wnd = Open();
    Event(3000, 0.0, L"/opt/V\r");
    Event(3001, 0.0, L"/opt/V/p.exe\r");
    Event(3004, 0.0, L"http://x/\r");
    EXPECT_EQ(wnd.InstallPath, L"/opt/V");
    EXPECT_EQ(wnd.ProductExePath, L"/opt/V/p.exe");
    EXPECT_EQ(wnd.StartUrl, L"http://x/");
}

TEST_F(MainWndTest, FinishTimersRaiseAndClose) {
    CMainWnd& wnd = Open();
    StartDefaultInstall();
    Event(3007, 0.0);  // TopShowDetention=0: no foreground timer
    Event(3008, 500.0);
    Event(2003);
    EXPECT_EQ(Page(), 3);
    // The animation stopped with the installing page; only timer 11 runs.
    EXPECT_EQ(wnd.GetManager().RunningTimerCount(), 1u);
    testsupport::Headless().AdvanceClock(499);
    Settle();
    EXPECT_TRUE(wnd.IsWindow());
    testsupport::Headless().AdvanceClock(1);
    Settle();
    EXPECT_FALSE(wnd.IsWindow());
}

// StartupStyle decides when the product starts: at once, on "立即体验", or never.
struct LaunchCase {
    const wchar_t* style;
    int styleValue;
    bool startedAtFinish;
    bool startedOnButton;
};

class LaunchTest : public MainWndTest, public ::testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchTest, StartupStyleDecidesTheLaunch) {
    const LaunchCase& c = GetParam();
    std::string marker = home.Path("started.txt");
    std::string product = home.Path("product.sh");
    ASSERT_TRUE(platform::WriteFileAtomic(product, "#!/bin/sh\necho started >> '" + marker + "'\n", 0755));
    CMainWnd& wnd = Open();
    StartDefaultInstall();
    Event(3001, 0.0, Wide(product));
    Event(3005, c.styleValue);
    Event(2003);
    if (c.startedAtFinish) {
        EXPECT_TRUE(PumpUntil([&] { return platform::PathExists(marker); }, 5000)) << Narrow(c.style);
    }
    std::string content;
    if (!c.startedAtFinish) {
        EXPECT_FALSE(platform::ReadWholeFile(marker, content));
    }
    ASSERT_TRUE(uilib::ClickControl(wnd, L"openProduceBtn"));
    if (c.startedOnButton) {
        EXPECT_TRUE(PumpUntil([&] { return platform::PathExists(marker); }, 5000)) << Narrow(c.style);
    } else if (!c.startedAtFinish) {
        uilib::PumpMessagesFor(200);
        EXPECT_FALSE(platform::PathExists(marker)) << Narrow(c.style);
    }
    Settle();
    EXPECT_FALSE(wnd.IsWindow());
}

INSTANTIATE_TEST_SUITE_P(Styles, LaunchTest,
                         ::testing::Values(LaunchCase{L"AutoStartup", 1, true, false},
                                           LaunchCase{L"UserStartup", 2, false, true},
                                           LaunchCase{L"NonStartup", 0, false, false}));

TEST_F(MainWndTest, DownloaderStartIsReportedOnceAndReportsCarryTheGroup) {
    velquin_tools::Collector collector;
    velquin_tools::PackageServerOptions options;
    options.body = "x";
    velquin_tools::PackageServer sink(options);
    collector.Mount(sink.Http(), "/sa");
    ASSERT_TRUE(sink.Start());
    Settings().IsEnableAppSensors = true;
    Settings().AnalyticsUrl = Wide("http://127.0.0.1:" + std::to_string(sink.Port()) + "/sa");
    zorvane::telemetry::InitAnalytics();

    CMainWnd& wnd = Open();
    wnd.SendMessage(kMsgDownloaderStarted, 0, 0);  // before the download starts …
    wnd.SendMessage(kMsgDownloaderStarted, 0, 0);  // … and twice
    ASSERT_TRUE(uilib::ClickControl(wnd, L"customeBtn"));
    ASSERT_TRUE(uilib::ClickControl(wnd, L"customeInstallBtn"));
    Settle();
    Event(1001);
    window.reset();
    zorvane::telemetry::ShutdownAnalytics();

    std::vector<std::string> names;
    for (const auto& record : collector.Records()) {
        const auto& properties = record["properties"];
        EXPECT_EQ(properties.value("zvc_ab", ""), "IN") << record.dump();
        std::string event = record.value("event", "");
        if (event == "ZvEventTask") names.push_back("task " + properties.value("zv_task_name", ""));
        if (event == "ZvEventClick") names.push_back("click " + properties.value("zv_name", ""));
        if (event == "ZvEventView") names.push_back("view " + properties.value("zv_name", ""));
    }
    // The stalled transfer may add its own failure report after these.
    ASSERT_GE(names.size(), 5u);
    names.resize(5);
    EXPECT_EQ(names, (std::vector<std::string>{"task 下载器启动", "click 自定义安装", "click 自定义安装_立即安装",
                                               "view 安装中", "task 开始下载大包"}));
}

// ---- pre-install checks -----------------------------------------------------

TEST_F(MainWndTest, RunningProductEndsTheInstaller) {
    CMainWnd& wnd = Open();
    running = kProductProcessName;
    ASSERT_TRUE(uilib::ClickControl(wnd, L"defaultInstallBtn"));
    Settle();
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].rfind("MessageBox1Wnd.xml: 温馨提示 | 安装程序检测到Velquin", 0), 0u);
    EXPECT_FALSE(wnd.IsWindow());
}

TEST_F(MainWndTest, RunningUninstallerWithoutEarlierInstallationKeepsTheWindow) {
    CMainWnd& wnd = Open();
    running = kUninstallerProcessName;
    ASSERT_TRUE(uilib::ClickControl(wnd, L"defaultInstallBtn"));
    Settle();
    EXPECT_EQ(tips.size(), 1u);
    EXPECT_TRUE(wnd.IsWindow());
    EXPECT_EQ(Page(), 0);
}

TEST_F(MainWndTest, ProcessNamesAreCaseSensitive) {
    CMainWnd& wnd = Open();
    running = L"VuvIroridazaDirizode.exe";
    ASSERT_TRUE(uilib::ClickControl(wnd, L"defaultInstallBtn"));
    Settle();
    EXPECT_TRUE(tips.empty());
    EXPECT_EQ(Page(), 2);
    (void)wnd;
}

struct FolderCase {
    const char* name;
    std::wstring (*folder)(const testsupport::ScratchHome&);
    const char* tip;  // empty: accepted
};

std::wstring Long261(const testsupport::ScratchHome& home) {
    std::wstring base = Wide(home.Path("f"));
    return base + L"/" + std::wstring(261 - base.size() - 1, L'a');
}
std::wstring Quoted(const testsupport::ScratchHome& home) { return Wide(home.Path("a\"b")); }
std::wstring Missing(const testsupport::ScratchHome& home) { return Wide(home.Path("new/levels/x")); }
// Nothing can be created below /proc, not even by root.
std::wstring Unwritable(const testsupport::ScratchHome&) { return L"/proc/velquin-install-test/x"; }
std::wstring Relative(const testsupport::ScratchHome&) { return L"relative/Velquin"; }

class FolderCheckTest : public MainWndTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderCheckTest, CustomFolderIsCheckedBeforeAnything) {
    const FolderCase& c = GetParam();
    CMainWnd& wnd = Open();
    ASSERT_TRUE(uilib::ClickControl(wnd, L"customeBtn"));
    std::wstring folder = c.folder(home);
    // The custom folder gets "/Velquin" appended; check the folder as typed.
    wnd.StartInstall(folder, true, true);
    Settle();
    if (std::string(c.tip).empty()) {
        EXPECT_TRUE(tips.empty()) << c.name;
        EXPECT_EQ(Page(), 2) << c.name;
        EXPECT_TRUE(platform::IsDirectory(Narrow(folder))) << c.name;
    } else {
        ASSERT_EQ(tips.size(), 1u) << c.name;
        EXPECT_EQ(tips[0], std::string("MessageBox2Wnd.xml: 温馨提示 | ") + c.tip) << c.name;
        EXPECT_EQ(Page(), 1) << c.name;
        EXPECT_TRUE(wnd.customeInstallBtn->IsEnabled()) << c.name;
        EXPECT_EQ(observer.outcomes.back(), InstallOutcome::CheckFailed);
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderCheckTest,
                         ::testing::Values(FolderCase{"261 characters", Long261, "无效路径"},
                                           FolderCase{"double quote", Quoted, "无效路径"},
                                           FolderCase{"unwritable", Unwritable, "无效路径"},
                                           FolderCase{"relative", Relative, "无效路径"},
                                           FolderCase{"missing levels", Missing, ""}));

struct SpaceCase {
    uint64_t bytes;
    bool passes;
};

class FreeSpaceTest : public MainWndTest, public ::testing::WithParamInterface<SpaceCase> {};

TEST_P(FreeSpaceTest, OneGigabyteBoundary) {
    freeBytes = GetParam().bytes;
    CMainWnd& wnd = Open();
    ASSERT_TRUE(uilib::ClickControl(wnd, L"defaultInstallBtn"));
    Settle();
    if (GetParam().passes) {
        EXPECT_TRUE(tips.empty());
        EXPECT_EQ(Page(), 2);
    } else {
        ASSERT_EQ(tips.size(), 1u);
        EXPECT_EQ(tips[0], "MessageBox2Wnd.xml: 温馨提示 | 当前磁盘剩余空间低于1GB，请修改安装路径");
        EXPECT_EQ(Page(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Bytes, FreeSpaceTest,
                         ::testing::Values(SpaceCase{1073741824ull, true}, SpaceCase{1073741823ull, false}));

TEST_F(MainWndTest, PoorNetworkStopsTheAttempt) {
    Settings().IsCheckNet = true;
    networkState = 0x10000;  // no connectivity
    CMainWnd& wnd = Open();
    ASSERT_TRUE(uilib::ClickControl(wnd, L"defaultInstallBtn"));
    ASSERT_TRUE(PumpUntil([&] { return !tips.empty(); }, 5000));
    Settle();
    EXPECT_EQ(tips[0], "MessageBox2Wnd.xml: 温馨提示 | 当前网络环境较差，请在网络通畅时进行安装");
    EXPECT_EQ(Page(), 0);
    EXPECT_TRUE(wnd.customeInstallBtn->IsEnabled());
}

TEST_F(MainWndTest, UsableNetworkGoesOn) {
    Settings().IsCheckNet = true;
    networkState = 0x40;
    CMainWnd& wnd = Open();
    ASSERT_TRUE(uilib::ClickControl(wnd, L"defaultInstallBtn"));
    ASSERT_TRUE(PumpUntil([&] { return Page() == 2; }, 5000));
    EXPECT_TRUE(tips.empty());
    (void)wnd;
}

// ---- earlier installation ---------------------------------------------------

class EarlierInstallationTest : public MainWndTest {
protected:
    void SetUp() override {
        MainWndTest::SetUp();
        oldFolder = home.Path("old/Velquin");
        ASSERT_TRUE(platform::MakeDirectory(home.Path("old")));
        ASSERT_TRUE(platform::MakeDirectory(oldFolder));
        marker = home.Path("opened.txt");
        ASSERT_TRUE(platform::WriteFileAtomic(oldFolder + "/vuvIroridazaDirizode.exe",
                                              "#!/bin/sh\npwd > '" + marker + "'\n", 0755));
        ASSERT_TRUE(platform::WriteFileAtomic(oldFolder + "/uninst.ep", "#!/bin/sh\nexit 0\n", 0755));
        ASSERT_TRUE(Utils::WriteProductRegistryString(L"InstallPath", Wide(oldFolder)));
    }
    std::string oldFolder;
    std::string marker;
};

TEST_F(EarlierInstallationTest, RunningProductClosesWithoutTheInstalledTip) {
    running = kProductProcessName;
    CMainWnd& wnd = Open();
    Settle();
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].rfind("MessageBox1Wnd.xml:", 0), 0u);
    EXPECT_FALSE(wnd.IsWindow());
}

TEST_F(EarlierInstallationTest, OpenSoftwareStartsTheOldProductAndCloses) {
    answers = {1};
    CMainWnd& wnd = Open();
    Settle();
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].rfind("InstalledPathTipWnd.xml: 温馨提示 | 检测到计算机中已存在此软件", 0), 0u) << tips[0];
    EXPECT_FALSE(wnd.IsWindow());
    ASSERT_TRUE(PumpUntil([&] { return platform::PathExists(marker); }, 5000));
    std::string folder;
    ASSERT_TRUE(platform::ReadWholeFile(marker, folder));
    EXPECT_EQ(folder, oldFolder + "\n");  // started in its own folder
}

TEST_F(EarlierInstallationTest, InstallNewestStartsAtOnceIntoTheOldFolder) {
    answers = {0};
    CMainWnd& wnd = Open();
    Settle();
    EXPECT_TRUE(wnd.HadInstallation);
    EXPECT_EQ(Page(), 2);
    EXPECT_EQ(wnd.InstallPath, Wide(oldFolder));
    EXPECT_EQ(wnd.installDirEdit->GetText(), Wide(oldFolder));
}

// The old folder's "set.ini" may say the earlier version is not to be removed before
// installing into that same folder ("false", exactly).
struct OverrideCase {
    const char* isOverride;  // nullptr: no set.ini
    bool uninstalls;
};

class OverrideTest : public EarlierInstallationTest, public ::testing::WithParamInterface<OverrideCase> {};

TEST_P(OverrideTest, IsOverrideDecidesTheUninstall) {
    if (GetParam().isOverride != nullptr) {
        ASSERT_TRUE(platform::WriteFileAtomic(oldFolder + "/set.ini",
                                              std::string("[Uninstall]\nIsOverride=") + GetParam().isOverride + "\n"));
    }
    answers = {0};  // install the newest version into the old folder
    CMainWnd& wnd = Open();
    Settle();
    ASSERT_EQ(Page(), 2);
    EXPECT_EQ(!wnd.Pipeline->UninstallerCopyPath().empty(), GetParam().uninstalls)
        << (GetParam().isOverride ? GetParam().isOverride : "no set.ini");
}

INSTANTIATE_TEST_SUITE_P(Values, OverrideTest,
                         ::testing::Values(OverrideCase{nullptr, true}, OverrideCase{"true", true},
                                           OverrideCase{"False", true}, OverrideCase{"false", false}));

TEST_F(EarlierInstallationTest, TipCloseButtonQuits) {
    answers = {2};
    CMainWnd& wnd = Open();
    Settle();
    EXPECT_FALSE(wnd.IsWindow());
}

TEST_F(EarlierInstallationTest, TryLaterAfterDownloadFailureCloses) {
    answers = {0, 1};  // install newest, then "稍后再试"
    CMainWnd& wnd = Open();
    Settle();
    ASSERT_EQ(Page(), 2);
    Event(1004, -1.0, L"refused");
    Settle();
    EXPECT_FALSE(wnd.IsWindow());
}

// ---- the real pipeline on loopback ------------------------------------------

TEST_F(MainWndTest, InstallsTheDemoPackageAndASecondRunFindsIt) {
    std::string package;
    ASSERT_TRUE(platform::ReadWholeFile(VELQUIN_DEMO_PACKAGE, package));
    velquin_tools::PackageServerOptions options;
    options.body = package;
    velquin_tools::PackageServer demo(options);
    ASSERT_TRUE(demo.Start());
    Settings().SetDownloadUrl(Wide(demo.DefaultUrl()));

    CMainWnd& wnd = Open();
    std::wstring folder = wnd.DefaultInstallDir();
    ASSERT_TRUE(uilib::ClickControl(wnd, L"defaultInstallBtn"));
    ASSERT_TRUE(PumpUntil([&] { return !observer.outcomes.empty(); }, 60000));
    EXPECT_EQ(observer.outcomes.back(), InstallOutcome::Success);
    EXPECT_EQ(Page(), 3);
    EXPECT_EQ(wnd.installPrg->GetValue(), 100);
    ASSERT_FALSE(observer.percents.empty());
    EXPECT_TRUE(std::is_sorted(observer.percents.begin(), observer.percents.end()));
    EXPECT_TRUE(platform::IsRegularFile(Narrow(folder) + "/vuvIroridazaDirizode.exe"));
    // AutoStartup: the demo product records that it was started.
    EXPECT_TRUE(PumpUntil([&] { return platform::PathExists(Narrow(folder) + "/started.txt"); }, 5000));
    std::wstring value;
    uint32_t type = 0;
    ASSERT_TRUE(Utils::ReadProductRegistryString(L"InstallPath", type, value));
    EXPECT_EQ(value, folder);
    ASSERT_TRUE(Utils::ReadProductRegistryString(L"UnInstallEp", type, value));
    EXPECT_EQ(value, folder + L"/uninst.ep");
    ASSERT_TRUE(uilib::ClickControl(wnd, L"closebtn"));
    Settle();
    ASSERT_FALSE(wnd.IsWindow());

    tips.clear();
    answers = {2};
    CMainWnd& second = Open();
    Settle();
    EXPECT_TRUE(second.HadInstallation);
    EXPECT_EQ(second.OldInstallPath, folder);
    ASSERT_EQ(tips.size(), 1u);
    EXPECT_EQ(tips[0].rfind("InstalledPathTipWnd.xml:", 0), 0u);
}

}  // namespace
