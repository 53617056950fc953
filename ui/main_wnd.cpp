// CMainWnd: pages, click and selection handling, checks, pipeline events, finish.
#include "ui/main_wnd.h"

#include <cmath>
#include <cwchar>

#include "app/log.h"
#include "app/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "ui/message_box.h"
#include "ui/sequence_controls.h"
#include "uilib/render.h"
#include "uilib/resource_archive.h"
#include "utils/system_queries.h"
#include "utils/text.h"

using uilib::CControlUI;
using uilib::NotifyMsg;

const wchar_t kProductName[] = L"Velquin";

namespace {

constexpr unsigned kCarouselTimer = 5669;
constexpr unsigned kAbTimer = 4396;
constexpr unsigned kTopShowTimer = 10;
constexpr unsigned kFinishCloseTimer = 11;

template <typename T>
T* Find(uilib::CUIManager& manager, const wchar_t* name, const wchar_t* iface) {
    CControlUI* control = manager.FindControl(name);
    if (control == nullptr) return nullptr;
    return static_cast<T*>(control->GetInterface(iface));
}

std::string Narrow(const std::wstring& text) {
    return Utils::ToNarrow(text, Utils::kCodePageAcp);
}

// "Open" of a file: the program starts in its folder (or the given one).
void OpenProgram(const std::wstring& exe, const std::wstring& folder) {
    std::string path = Narrow(exe);
    std::string dir = Narrow(folder);
    if (dir.empty()) {
        size_t slash = path.rfind('/');
        dir = slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    if (!platform::LaunchDetached({path}, dir)) VQ_LOG(L"cannot start %ls", exe.c_str());
}

}  // namespace

CMainWnd::CMainWnd() : CMarkupFrame(uilib::FrameParams{4, 147, L"", L"MainWnd.xml", L"MainWnd"}) {}

CMainWnd::~CMainWnd() {
    // The network check posts to this window; it ends before the window goes.
    if (NetCheckThread) NetCheckThread->Join();
    NetCheckThread.reset();
    Pipeline.reset();
}

uilib::CControlUI* CMainWnd::CreateControl(const std::wstring& tag) {
    if (uilib::EqualsIgnoringCase(tag, L"SequenceButton")) return new CSequenceButtonUI();
    if (uilib::EqualsIgnoringCase(tag, L"SequenceLabel")) return new CSequenceLabelUI();
    return nullptr;
}

void CMainWnd::InitWindow() {
    CMarkupFrame::InitWindow();
    style_ = (style_ & ~(uilib::kStyleCaption | uilib::kStyleMaximizeBox)) | uilib::kStyleClipChildrenSiblings;
    exStyle_ &= ~uilib::kExStyleTopmost;

    uilib::CUIManager& pm = m_pm;
    winCtn = pm.FindControl(L"winCtn");
    titleTabLt = Find<uilib::CTabLayoutUI>(pm, L"titleTabLt", L"TabLayout");
    backBtn = pm.FindControl(L"backBtn");
    titleGrpCtn = pm.FindControl(L"titleGrpCtn");
    mainTabLt = Find<uilib::CTabLayoutUI>(pm, L"mainTabLt", L"TabLayout");
    defaultInstallBtn = pm.FindControl(L"defaultInstallBtn");
    tipLbl = pm.FindControl(L"tipLbl");
    treatyCb = Find<uilib::COptionUI>(pm, L"treatyCb", L"Option");
    treatyBtn = Find<uilib::COptionUI>(pm, L"treatyBtn", L"Option");
    customeBtn = pm.FindControl(L"customeBtn");
    installDirEdit = pm.FindControl(L"installDirEdit");
    chDirBtn = pm.FindControl(L"chDirBtn");
    createDSCb = Find<uilib::COptionUI>(pm, L"createDSCb", L"Option");
    createQSCb = Find<uilib::COptionUI>(pm, L"createQSCb", L"Option");
    customeInstallBtn = pm.FindControl(L"customeInstallBtn");
    progressAnLb = pm.FindControl(L"progressAnLb");
    progressLb = Find<uilib::CLabelUI>(pm, L"progressLb", L"Label");
    installPrg = Find<uilib::CProgressUI>(pm, L"installPrg", L"Progress");
    openProduceBtn = pm.FindControl(L"openProduceBtn");
    ableftBtn = pm.FindControl(L"ableftBtn");
    abrightBtn = pm.FindControl(L"abrightBtn");
    finishedLbl = pm.FindControl(L"finishedLbl");
    softNameLbl = pm.FindControl(L"softNameLbl");
    installLogo = pm.FindControl(L"installLogo");
    bTitleLbl1 = pm.FindControl(L"bTitleLbl1");
    bTitleLbl2 = pm.FindControl(L"bTitleLbl2");
    bTitleLbl3 = pm.FindControl(L"bTitleLbl3");

    // Labels sized to the product name in their own font.
    for (CControlUI* label : {softNameLbl, bTitleLbl1, bTitleLbl2, bTitleLbl3}) {
        if (label == nullptr) continue;
        auto* asLabel = static_cast<uilib::CLabelUI*>(label->GetInterface(L"Label"));
        int font = asLabel != nullptr ? asLabel->GetFont() : -1;
        unsigned style = asLabel != nullptr ? asLabel->GetTextStyle() : 0;
        uilib::TextMetrics size = uilib::GetTextSize(pm, kProductName, font, style);
        label->SetFixedWidth(size.width);
        label->SetText(kProductName);
    }

    Pipeline = std::make_unique<CDownloadInstaller>(
        [this](int code, double value, const wchar_t* text) { PostPipelineEvent(code, value, text); }, L"", L"", L"",
        true, true, false);

    ReadInstallRecord();
    HadInstallation = !OldInstallPath.empty();
    if (installDirEdit != nullptr) installDirEdit->SetText(DefaultInstallDir());
    CenterWindow();

    if (HadInstallation) {
        if (Probes.findProcess(kProductProcessName) != 0) {
            ShowMessageBox(this, MessageBox1Params(), kRunningProductText, kTipCaption);
            Outcome(InstallOutcome::CheckFailed);
            Close(1);
            return;
        }
        int answer = ShowMessageBox(this, InstalledPathTipParams(), nullptr, nullptr);
        if (answer == 1) {
            ProductExePath = OldInstallPath + L"/" + kProductProcessName;
            OpenProgram(ProductExePath, OldInstallPath);
            Close(1);
        } else if (answer == 0) {
            StartInstall(OldInstallPath, true, true);
        } else if (answer == 2) {
            Close(1);
        }
    }
}

void CMainWnd::OnFirstFrame() {
    CMarkupFrame::OnFirstFrame();
    // The icon is for the task bar; the first frame does not wait for its decoding.
    std::span<const uint8_t> icon = uilib::FindLinkedResource("ICON", 145);
    if (!icon.empty() && native_) native_->SetIconPng(std::string(icon.begin(), icon.end()));
}

// ---- notifications ----------------------------------------------------------

void CMainWnd::Notify(NotifyMsg& msg) {
    if (msg.Type == L"selectchanged") {
        OnSelectChanged(msg);
    } else if (msg.Type == L"tabselect") {
        OnPageChanged();
    } else if (msg.Type == L"checknet") {
        OnCheckNet(static_cast<uint32_t>(msg.WParam));
    } else if (msg.Type == L"install") {
        OnInstallDecision(msg.WParam != 0);
    } else if (msg.Type == L"timer") {
        OnTimer(msg);
    }
    CMarkupFrame::Notify(msg);
}

void CMainWnd::SetBackground(const wchar_t* image) {
    if (winCtn != nullptr) winCtn->SetBkImage(image);
}

void CMainWnd::SelectTitlePage(int page) {
    if (titleTabLt != nullptr) titleTabLt->SelectItem(page, /*sendEvent=*/true);
}

void CMainWnd::OnPageChanged() {
    int page = mainTabLt != nullptr ? mainTabLt->GetCurSel() : -1;
    auto* sequence = progressAnLb != nullptr
                         ? static_cast<CSequenceLabelUI*>(progressAnLb->GetInterface(L"SequenceLabel"))
                         : nullptr;
    switch (page) {
    case 0:
        m_pm.KillTimer(winCtn, kCarouselTimer);
        m_pm.KillTimer(winCtn, kAbTimer);
        SetBackground(L"res\\mainWnd\\bg1.png");
        SelectTitlePage(1);
        break;
    case 1:
        m_pm.KillTimer(winCtn, kCarouselTimer);
        m_pm.KillTimer(winCtn, kAbTimer);
        SetBackground(L"res\\mainWnd\\bg2.png");
        SelectTitlePage(1);
        break;
    case 2:
        SetBackground(L"res\\mainWnd\\bg3.png");
        if (sequence != nullptr) sequence->Start();
        break;
    case 3: {
        SelectTitlePage(2);
        SetBackground(L"res\\mainWnd\\bg4.png");
        if (sequence != nullptr) m_pm.KillTimer(progressAnLb, kSequenceTimerId);
        auto* finished = finishedLbl != nullptr
                             ? static_cast<CSequenceLabelUI*>(finishedLbl->GetInterface(L"SequenceLabel"))
                             : nullptr;
        if (finished != nullptr) finished->Start();
        break;
    }
    default:
        SetBackground(L"res\\mainWnd\\bg1.png");
        SelectTitlePage(0);
        break;
    }
    if (titleGrpCtn != nullptr) titleGrpCtn->SetVisible(page != 2);
    if (installLogo != nullptr) installLogo->SetVisible(page == 2);
    if (backBtn != nullptr) backBtn->SetVisible(page == 1);
}

void CMainWnd::OnSelectChanged(NotifyMsg& msg) {
    if (msg.Sender == nullptr) return;
    if (msg.Sender == treatyCb && treatyCb != nullptr) {
        bool selected = treatyCb->IsSelected();
        if (treatyBtn != nullptr) treatyBtn->Selected(selected, /*sendEvent=*/true);
        if (customeBtn != nullptr) customeBtn->SetEnabled(selected);
    } else if (msg.Sender == treatyBtn && treatyBtn != nullptr && treatyCb != nullptr) {
        // The link never changes state by itself.
        treatyBtn->Selected(treatyCb->IsSelected(), /*sendEvent=*/true);
    }
}

void CMainWnd::OnTimer(NotifyMsg& msg) {
    if (msg.Sender == nullptr) return;
    unsigned id = static_cast<unsigned>(msg.WParam);
    if (msg.Sender == winCtn && (id == kCarouselTimer || id == kAbTimer)) {
        StepCarousel(/*backwards=*/false);
        return;
    }
    if (msg.Sender == m_pm.GetRoot()) {
        if (id == kTopShowTimer) {
            if (native_) native_->Raise();
            m_pm.KillTimer(msg.Sender, kTopShowTimer);
        } else if (id == kFinishCloseTimer) {
            Close(1);
            m_pm.KillTimer(msg.Sender, kFinishCloseTimer);
        }
    }
}

void CMainWnd::OnClick(NotifyMsg& msg) {
    CControlUI* sender = msg.Sender;
    if (sender == nullptr) return;
    const std::wstring& name = sender->GetName();
    if (sender == defaultInstallBtn) {
        zorvane::telemetry::ReportClick(L"立即安装", {{L"AB", AbLabel}});
        StartInstall(DefaultInstallDir(), true, true);
    } else if (sender == customeBtn) {
        zorvane::telemetry::ReportClick(L"自定义安装", {{L"AB", AbLabel}});
        if (mainTabLt != nullptr) mainTabLt->SelectItem(1, true);
        if (customeInstallBtn != nullptr) customeInstallBtn->SetFocus();
    } else if (sender == treatyBtn) {
        // The agreement's address is not known yet: an empty target opens nothing.
        VQ_LOG(L"user agreement link has no address");
    } else if (sender == backBtn) {
        if (mainTabLt != nullptr) mainTabLt->SelectItem(0, true);
    } else if (sender == chDirBtn) {
        std::wstring folder;
        if (uilib::CurrentBackend().ChooseFolder(native_.get(), L"选择一个文件夹", folder) && !folder.empty() &&
            folder.size() < 260 && installDirEdit != nullptr) {
            installDirEdit->SetText(folder);
        }
    } else if (sender == customeInstallBtn) {
        zorvane::telemetry::ReportClick(L"自定义安装_立即安装", {{L"AB", AbLabel}});
        StartInstall(CustomDir(), createDSCb != nullptr && createDSCb->IsSelected(),
                     createQSCb != nullptr && createQSCb->IsSelected());
    } else if (sender == openProduceBtn) {
        zorvane::telemetry::ReportClick(L"立即体验", {{L"AB", AbLabel}});
        if (StartupStyle == 2) LaunchProduct([] { uilib::PumpMessagesFor(100); });
        Close(1);
    } else if (sender == ableftBtn || sender == abrightBtn) {
        StepCarousel(/*backwards=*/sender == ableftBtn);
        m_pm.KillTimer(winCtn, kAbTimer);
        m_pm.SetTimer(winCtn, kAbTimer, 10000);
    } else if (name == L"closebtn") {
        if (mainTabLt != nullptr && mainTabLt->GetCurSel() == 3) {
            Close(1);
        } else if (ShowMessageBox(this, ExitTipParams(), nullptr, nullptr) == 0) {
            Close(1);
        }
    } else {
        CMarkupFrame::OnClick(msg);
    }
}

std::wstring CMainWnd::CustomDir() {
    return CustomInstallDir(installDirEdit != nullptr ? installDirEdit->GetText() : L"");
}

bool CMainWnd::IsCarouselProduct() const {
    for (int product : CarouselProducts) {
        if (product == kProductNumber) return true;
    }
    return false;
}

void CMainWnd::StepCarousel(bool backwards) {
    AbCounter += backwards ? -1 : 1;
    int index = AbCounter % 4;  // sign of the dividend
    static const wchar_t* const kImages[4] = {L"res\\mainWnd\\ab1.png", L"res\\mainWnd\\ab2.png",
                                              L"res\\mainWnd\\ab3.png", L"res\\mainWnd\\bg3.png"};
    if (index >= 0) SetBackground(kImages[index]);
}

// ---- messages ---------------------------------------------------------------

intptr_t CMainWnd::HandleMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (msg == uilib::kMsgClose && mainTabLt != nullptr && mainTabLt->GetCurSel() == 2) {
        return 0;  // no way out while installing
    }
    if (msg == kMsgDownloaderStarted) ReportDownloaderStart();
    return CMarkupFrame::HandleMessage(msg, wParam, lParam);
}

intptr_t CMainWnd::HandleCustomMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam, bool& handled) {
    if (msg == kMsgPipelineEvent) {
        std::unique_ptr<PipelineEvent> event(reinterpret_cast<PipelineEvent*>(lParam));
        handled = true;
        if (event) OnPipelineEvent(*event);
        return 0;
    }
    if (msg == uilib::kMsgTimer) {
        OnPlatformTimer(wParam);
    }
    handled = false;
    return 0;
}

void CMainWnd::PostPipelineEvent(int code, double value, const wchar_t* text) {
    auto* event = new PipelineEvent{code, value, text != nullptr ? std::wstring(text) : std::wstring()};
    PostMessage(kMsgPipelineEvent, 0, reinterpret_cast<intptr_t>(event), [event] { delete event; });
}

void CMainWnd::ReportDownloaderStart() {
    if (DownloaderStartReported) return;
    zorvane::telemetry::ReportTask(L"下载器启动", 0.0f, L"", {{L"AB", AbLabel}});
    DownloaderStartReported = true;
}

double CMainWnd::DownloadSeconds() const {
    if (!DownloadWatch.started) return 0.0;
    return static_cast<double>(platform::TickCountMs() - DownloadWatch.start) / 1000.0;
}

void CMainWnd::Outcome(InstallOutcome outcome) {
    if (observer_ != nullptr) observer_->OnOutcome(outcome);
}

void CMainWnd::ShowProgress(int percent) {
    percent = std::max(0, std::min(100, percent));
    std::wstring format;
    if (progressLb != nullptr && !progressLb->GetUserData().empty()) {
        format = progressLb->GetUserData();
    } else if (DownloadSeconds() > 60.0) {
        format = L"正在安装中:%d%%，请耐心等待...";
    } else {
        format = L"正在安装中:%d%%，请稍候...";
    }
    wchar_t buffer[250];
    std::wstring text;
    // The user-data format comes from a layout: only a format with one integer
    // conversion is used, so it can never read past its argument.
    std::wstring formatted;
    if (FormatFrameName(format, percent, formatted)) {
        text = formatted.substr(0, 249);
    } else {
        std::swprintf(buffer, 250, L"%ls", format.c_str());
        text = buffer;
    }
    if (progressLb != nullptr) progressLb->SetText(text);
    if (installPrg != nullptr) installPrg->SetValue(percent);
    if (observer_ != nullptr) observer_->OnProgress(percent, text);
}

// Result texts arrive with the package's line end still on them ("C:\\P\r"): as
// paths they would name no file and could not be stored in the records.
static std::wstring WithoutLineEnd(const std::wstring& text) {
    std::wstring out = text;
    while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n')) out.pop_back();
    return out;
}

// Integer part of a scaled value, kept inside 0…100 (a NaN counts as 0).
static int PercentOf(double value) {
    if (!(value == value)) return 0;
    double clamped = std::max(0.0, std::min(100.0, value));
    return static_cast<int>(clamped);
}

void CMainWnd::OnPipelineEvent(const PipelineEvent& event) {
    const double scale = Settings().DownloadScale;
    switch (event.Code) {
    case 1001:
        if (!DownloaderStartReported) {
            AbLabel = Settings().AbGroup;
            ReportDownloaderStart();
        }
        DownloadWatch.start = platform::TickCountMs();
        DownloadWatch.started = true;
        zorvane::telemetry::ReportTask(L"开始下载大包", 0.0f, L"", {{L"AB", AbLabel}});
        break;
    case 1002:
        ShowProgress(PercentOf(event.Value * scale * 100.0));
        break;
    case 1003:
        zorvane::telemetry::ReportTask(L"大包下载完毕", static_cast<float>(DownloadSeconds()), L"",
                                       {{L"AB", AbLabel}});
        break;
    case 1004: {
        ReportDownloadFailure(event);
        Outcome(InstallOutcome::DownloadFailed);
        int answer = ShowMessageBox(this, NetworkTipParams(), nullptr, nullptr);
        if (answer == 1) {
            if (HadInstallation) Close(1);
        } else if (answer == 0) {
            if (StartPage == 0) {
                StartInstall(DefaultInstallDir(), true, true);
            } else if (StartPage == 1) {
                StartInstall(CustomDir(), createDSCb != nullptr && createDSCb->IsSelected(),
                             createQSCb != nullptr && createQSCb->IsSelected());
            }
        }
        if (mainTabLt != nullptr) mainTabLt->SelectItem(StartPage, true);
        break;
    }
    case 1006:
        ReportFailureReason(event, /*download=*/true);
        break;
    case 2001:
        WriteSetIni();
        break;
    case 2002: {
        InstallFraction = std::min(InstallFraction + 0.15, 0.95);
        if (event.Value > InstallFraction) InstallFraction = event.Value;
        ShowProgress(PercentOf(((1.0 - scale) * InstallFraction + scale) * 100.0));
        break;
    }
    case 2003: {
        zorvane::telemetry::ReportTask(L"安装成功", 0.0f, L"", {{L"AB", AbLabel}});
        if (installPrg != nullptr) {
            installPrg->SetValue(100);
            std::wstring finished = m_pm.GetResourcePath() + L"res/mainWnd/installPrg3.png";
            if (platform::PathExists(Narrow(finished))) {
                installPrg->SetForeImage(finished);
                installPrg->Invalidate();
            }
        }
        if (observer_ != nullptr) observer_->OnProgress(100, progressLb != nullptr ? progressLb->GetText() : L"");
        m_pm.KillTimer(winCtn, kCarouselTimer);
        m_pm.KillTimer(winCtn, kAbTimer);
        if (softNameLbl != nullptr) {
            softNameLbl->SetText(kProductName);
            softNameLbl->SetVisible(true);
        }
        if (mainTabLt != nullptr) mainTabLt->SelectItem(3, true);
        FinishInstall();
        Outcome(InstallOutcome::Success);
        break;
    }
    case 2004: {
        ReportFailureReason(event, /*download=*/false);
        Outcome(InstallOutcome::InstallFailed);
        ShowMessageBox(this, MessageBox2Params(), event.Text.empty() ? L"安装失败" : event.Text.c_str(), kTipCaption);
        if (installPrg != nullptr && installPrg->GetValue() >= 70) {
            if (progressLb != nullptr) progressLb->SetText(L"正在安装中:0%，请稍候...");
            installPrg->SetValue(0);
        }
        if (mainTabLt != nullptr) mainTabLt->SelectItem(0, true);
        break;
    }
    case 3000:
        InstallPath = WithoutLineEnd(event.Text);
        break;
    case 3001:
        ProductExePath = WithoutLineEnd(event.Text);
        break;
    case 3003:
        UninstEp = WithoutLineEnd(event.Text);
        break;
    case 3004:
        StartUrl = WithoutLineEnd(event.Text);
        break;
    case 3005:
        StartupStyle = std::isfinite(event.Value) ? static_cast<int32_t>(event.Value) : 0;
        break;
    case 3007:
        TopShowDelay = std::isfinite(event.Value) && event.Value >= 0 ? static_cast<uint32_t>(event.Value) : 0;
        break;
    case 3008:
        FinishCloseDelay = std::isfinite(event.Value) && event.Value >= 0 ? static_cast<uint32_t>(event.Value) : 0;
        break;
    case 3009:
        ShowMessageBox(this, MessageBox1Params(), WithoutLineEnd(event.Text).c_str(), L"消息");
        break;
    case 5004:
    case 5005:
        Outcome(InstallOutcome::UninstallFailed);
        ShowMessageBox(this, MessageBox1Params(), kRunningProductText, kTipCaption);
        if (mainTabLt != nullptr) mainTabLt->SelectItem(StartPage, true);
        if (HadInstallation) Close(1);
        break;
    default:
        break;
    }
}

void CMainWnd::FinishInstall() {
    WriteInstallRecord();
    WriteSetIni();
    if (StartupStyle == 1) LaunchProduct([] { uilib::PumpMessagesFor(100); });
    CControlUI* root = m_pm.GetRoot();
    if (TopShowDelay != 0) m_pm.SetTimer(root, kTopShowTimer, TopShowDelay);
    if (FinishCloseDelay != 0) m_pm.SetTimer(root, kFinishCloseTimer, FinishCloseDelay);
}

void CMainWnd::OnInstallDecision(bool go) {
    DecisionPending = false;
    if (go) {
        if (IsCarouselProduct()) m_pm.SetTimer(winCtn, kCarouselTimer, 3500);
        if (ableftBtn != nullptr) m_pm.SetTimer(winCtn, kAbTimer, 10000);
        StartPage = mainTabLt != nullptr ? mainTabLt->GetCurSel() : 0;
        if (mainTabLt != nullptr) mainTabLt->SelectItem(2, true);
        zorvane::telemetry::ReportView({{L"AB", AbLabel}});
        if (Pipeline) Pipeline->Start();
    }
    if (customeInstallBtn != nullptr) customeInstallBtn->SetEnabled(true);
}

// ---- checks -----------------------------------------------------------------

bool CMainWnd::StartInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunch) {
    if (Probes.findProcess(kUninstallerProcessName) != 0) {
        ShowMessageBox(this, MessageBox1Params(), kRunningProductText, kTipCaption);
        Outcome(InstallOutcome::CheckFailed);
        if (HadInstallation) Close(1);
        return false;
    }
    if (Probes.findProcess(kProductProcessName) != 0) {
        ShowMessageBox(this, MessageBox1Params(), kRunningProductText, kTipCaption);
        Outcome(InstallOutcome::CheckFailed);
        Close(1);
        return false;
    }
    if (customeInstallBtn != nullptr) customeInstallBtn->SetEnabled(false);
    CControlUI* root = m_pm.GetRoot();
    if (!IsUsableInstallFolder(folder)) {
        ShowMessageBox(this, MessageBox2Params(), kInvalidFolderText, kTipCaption);
        Outcome(InstallOutcome::CheckFailed);
        m_pm.SendNotify(root, L"install", 0, 0);
        return false;
    }
    if (!HasEnoughSpace(FreeGigabytes(folder, Probes.freeSpace))) {
        ShowMessageBox(this, MessageBox2Params(), kLowSpaceText, kTipCaption);
        Outcome(InstallOutcome::CheckFailed);
        m_pm.SendNotify(root, L"install", 0, 0);
        return false;
    }
    InstallPath = folder;
    std::wstring uninstaller = SkipOldUninstall(folder) ? std::wstring() : OldUninstallEp;
    Pipeline->SetParams(Settings().DownloadUrl, uninstaller, folder, desktopShortcut, quickLaunch, ConsoleUserIsAdmin,
                        ProcessIsAdmin);
    DecisionPending = true;
    if (Settings().IsCheckNet) {
        if (NetCheckThread) NetCheckThread->Join();
        NetCheckThread = std::make_unique<Utils::Thread>(this, L"ABDEF", [this](void*) { NetworkCheckTask(); });
        NetCheckThread->Start();
    } else {
        m_pm.SendNotify(root, L"install", 1, 0, /*async=*/true);
    }
    return true;
}

void CMainWnd::NetworkCheckTask() {
    uint32_t state = Probes.checkNetwork ? Probes.checkNetwork() : Utils::CheckNetwork();
    m_pm.SendNotify(m_pm.GetRoot(), L"checknet", state, 0, /*async=*/true);
}

void CMainWnd::OnCheckNet(uint32_t state) {
    bool usable = IsNetworkUsable(state);
    if (!usable) {
        ShowMessageBox(this, MessageBox2Params(), kPoorNetworkText, kTipCaption);
        Outcome(InstallOutcome::CheckFailed);
    }
    m_pm.SendNotify(m_pm.GetRoot(), L"install", usable ? 1 : 0, 0);
}

void CMainWnd::ReportDownloadFailure(const PipelineEvent& event) {
    std::wstring packagePath = Pipeline ? Pipeline->PackagePath() : std::wstring();
    uint32_t network = Probes.checkNetwork ? Probes.checkNetwork() : Utils::CheckNetwork();
    bool writable = IsPackagePathWritable(packagePath);
    double gigabytes = FreeGigabytes(packagePath, Probes.freeSpace);
    std::wstring reason = FormatDownloadFailureReason(static_cast<long>(event.Value), event.Text, gigabytes, writable,
                                                      network);
    zorvane::telemetry::ReportTask(L"下载失败原因", 0.0f, reason, {{L"AB", AbLabel}});
}

void CMainWnd::ReportFailureReason(const PipelineEvent& event, bool download) {
    std::wstring reason = FormatShortFailureReason(static_cast<long>(event.Value), event.Text);
    zorvane::telemetry::ReportTask(download ? L"下载失败原因" : L"安装失败原因", 0.0f, reason, {{L"AB", AbLabel}});
}
