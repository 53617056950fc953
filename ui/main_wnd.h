// CMainWnd: the installer's one top-level window and the conductor of the whole
// installation: pages, checks, the download-and-install pipeline, tips, records,
// launch and the usage reports.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "analytics/installer_hooks.h"
#include "install/download_installer.h"
#include "ui/install_records.h"
#include "ui/preinstall_checks.h"
#include "uilib/containers.h"
#include "uilib/controls.h"
#include "uilib/window.h"
#include "utils/thread.h"

constexpr uint32_t kMsgPipelineEvent = 0x0400 + 1000;    // 0x7E8
constexpr uint32_t kMsgDownloaderStarted = 0x0400 + 200;  // 0x4C8, from another process

// One pipeline event on its way to the window; owned by the window once posted.
struct PipelineEvent {
    int32_t Code = 0;
    double Value = 0.0;
    std::wstring Text;
};

// How an installation attempt ended, for the unattended front end (exit codes).
enum class InstallOutcome : int {
    Success = 0,
    CheckFailed = 2,      // product or uninstaller running, bad folder, low space, poor network
    DownloadFailed = 3,
    UninstallFailed = 4,
    InstallFailed = 5,
};

// What the window reports to a front end that has nobody watching it.
class MainWndObserver {
public:
    virtual ~MainWndObserver() = default;
    virtual void OnProgress(int percent, const std::wstring& text) = 0;
    virtual void OnOutcome(InstallOutcome outcome) = 0;
};

// The machine facts the checks read; tests replace them.
struct MainWndProbes {
    std::function<int(const std::wstring&)> findProcess = FindProcess;
    FreeSpaceQuery freeSpace = QueryFreeBytes;
    std::function<uint32_t()> checkNetwork;  // empty: the real network check
};

class CMainWnd : public uilib::CMarkupFrame, public CInstallRecords {
public:
    CMainWnd();
    ~CMainWnd() override;

    void InitWindow() override;
    void OnFirstFrame() override;
    void Notify(uilib::NotifyMsg& msg) override;
    void OnClick(uilib::NotifyMsg& msg) override;
    intptr_t HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
    intptr_t HandleCustomMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam, bool& handled) override;
    uilib::CControlUI* CreateControl(const std::wstring& tag) override;

    // The platform timer hook (empty here).
    virtual void OnPlatformTimer(uintptr_t) {}
    virtual void OnPipelineEvent(const PipelineEvent& event);

    // The pipeline's callback: posts the event to the window (any thread).
    void PostPipelineEvent(int code, double value, const wchar_t* text);
    void OnInstallDecision(bool go);
    void FinishInstall();
    void StepCarousel(bool backwards);

    // Checks and hand-over of one installation attempt; true when it went on to the
    // pipeline configuration.
    bool StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunch);
    void NetworkCheckTask();
    void ReportDownloadFailure(const PipelineEvent& event);
    void ReportFailureReason(const PipelineEvent& event, bool download);

    void SetObserver(MainWndObserver* observer) { observer_ = observer; }
    MainWndProbes Probes;

    // Fields.
    uilib::CControlUI* winCtn = nullptr;
    uilib::CTabLayoutUI* titleTabLt = nullptr;
    uilib::CControlUI* backBtn = nullptr;
    uilib::CControlUI* titleGrpCtn = nullptr;
    uilib::CTabLayoutUI* mainTabLt = nullptr;
    uilib::CControlUI* defaultInstallBtn = nullptr;
    uilib::CControlUI* tipLbl = nullptr;
    uilib::COptionUI* treatyCb = nullptr;
    uilib::COptionUI* treatyBtn = nullptr;
    uilib::CControlUI* customeBtn = nullptr;
    uilib::CControlUI* installDirEdit = nullptr;
    uilib::CControlUI* chDirBtn = nullptr;
    uilib::COptionUI* createDSCb = nullptr;
    uilib::COptionUI* createQSCb = nullptr;
    uilib::CControlUI* customeInstallBtn = nullptr;
    uilib::CControlUI* progressAnLb = nullptr;
    uilib::CLabelUI* progressLb = nullptr;
    uilib::CProgressUI* installPrg = nullptr;
    uilib::CControlUI* openProduceBtn = nullptr;
    uilib::CControlUI* ableftBtn = nullptr;
    uilib::CControlUI* abrightBtn = nullptr;
    uilib::CControlUI* finishedLbl = nullptr;
    uilib::CControlUI* softNameLbl = nullptr;
    uilib::CControlUI* installLogo = nullptr;
    uilib::CControlUI* bTitleLbl1 = nullptr;
    uilib::CControlUI* bTitleLbl2 = nullptr;
    uilib::CControlUI* bTitleLbl3 = nullptr;

    int32_t AbCounter = 127;
    int32_t StartupStyle = 0;
    uint32_t TopShowDelay = 3000;
    uint32_t FinishCloseDelay = 4294967295u;
    std::unique_ptr<CDownloadInstaller> Pipeline;
    struct {
        uint32_t start = 0;
        bool started = false;
    } DownloadWatch;
    std::unique_ptr<Utils::Thread> NetCheckThread;
    int32_t StartPage = 0;
    double InstallFraction = 0.0;
    bool HadInstallation = false;
    const int CarouselProducts[5] = {134, 257, 267, 385, 387};
    std::wstring AbLabel = L"IN";
    bool DownloaderStartReported = false;
    // An attempt passed the checks and waits for its "install" decision.
    bool DecisionPending = false;

    static constexpr int kProductNumber = 475;

private:
    void OnPageChanged();
    void OnSelectChanged(uilib::NotifyMsg& msg);
    void OnCheckNet(uint32_t state);
    void OnTimer(uilib::NotifyMsg& msg);
    void ShowProgress(int percent);
    double DownloadSeconds() const;
    void ReportDownloaderStart();
    void Outcome(InstallOutcome outcome);
    void SetBackground(const wchar_t* image);
    void SelectTitlePage(int page);
    std::wstring CustomDir();
    bool IsCarouselProduct() const;

    MainWndObserver* observer_ = nullptr;
};

// Runs the main window's check of a running product at start and the existing-
// installation tip; exposed for the front ends' use of the same texts.
extern const wchar_t kProductName[];
