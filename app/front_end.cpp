// Running the main window with a person in front of it, or unattended.
#include "app/front_end.h"

#include <cstdio>
#include <memory>
#include <optional>

#include <glib-unix.h>

#include "app/log.h"
#include "platform/instance_message.h"
#include "ui/frame_shadow.h"
#include "ui/main_wnd.h"
#include "ui/message_box.h"
#include "uilib/gtk_backend.h"
#include "uilib/headless_backend.h"
#include "uilib/render.h"
#include "utils/text.h"

namespace {

std::string Utf8(const std::wstring& text) {
    return Utils::ToNarrow(text, Utils::kCodePageUtf8);
}

// One line per percent change and every tip on standard error; the outcome of the
// attempt decides the exit code, and a finished attempt closes the window.
class UnattendedObserver : public MainWndObserver {
public:
    explicit UnattendedObserver(CMainWnd& window) : window_(window) {}

    void OnProgress(int percent, const std::wstring& text) override {
        if (percent == lastPercent_) return;
        lastPercent_ = percent;
        std::fprintf(stderr, "progress %d%% %s\n", percent, Utf8(text).c_str());
    }

    void OnOutcome(InstallOutcome outcome) override {
        outcome_ = outcome;
        std::fprintf(stderr, "outcome %s\n", Name(outcome));
        // After the window has finished reacting (tips, page changes), leave.
        window_.PostMessage(uilib::kMsgClose, 1, 0);
    }

    int ExitCode() const {
        if (!outcome_) return kExitNotInstalled;
        switch (*outcome_) {
        case InstallOutcome::Success: return kExitSuccess;
        case InstallOutcome::CheckFailed: return kExitCheckFailed;
        case InstallOutcome::DownloadFailed: return kExitDownloadFailed;
        case InstallOutcome::UninstallFailed: return kExitUninstallFailed;
        case InstallOutcome::InstallFailed: return kExitInstallFailed;
        }
        return kExitNotInstalled;
    }

private:
    static const char* Name(InstallOutcome outcome) {
        switch (outcome) {
        case InstallOutcome::Success: return "installed";
        case InstallOutcome::CheckFailed: return "check-failed";
        case InstallOutcome::DownloadFailed: return "download-failed";
        case InstallOutcome::UninstallFailed: return "uninstall-failed";
        case InstallOutcome::InstallFailed: return "install-failed";
        }
        return "unknown";
    }

    CMainWnd& window_;
    int lastPercent_ = -1;
    std::optional<InstallOutcome> outcome_;
};

// Existing installation: install the newest version; download failure: try later;
// exit tip: no; messages: closed.
int UnattendedAnswer(const std::wstring& layout, const std::wstring& wording) {
    int answer = kAnswerCancel;
    if (uilib::EqualsIgnoringCase(layout, L"InstalledPathTipWnd.xml")) answer = kAnswerOk;
    // One line per tip: line breaks of the text are shown as blanks.
    std::wstring line = wording;
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n') c = L' ';
    }
    std::fprintf(stderr, "tip %s: %s -> %d\n", Utf8(layout).c_str(), Utf8(line).c_str(), answer);
    return answer;
}

}  // namespace

int RunMainWindow(bool unattended, const std::wstring& installDir) {
    // The archive, the start page's images and the fonts are made ready on the
    // second core while the window system starts.
    uilib::ResourcePrefetch prefetch("ZIPRES", 147,
                                     {L"res/mainWnd/bg1.png", L"res/mainWnd/logoWithTitle.png",
                                      L"res/mainWnd/customeBtn1.png", L"res/common/minbtn1.png",
                                      L"res/common/closebtn1.png"});
    if (!unattended) {
        std::unique_ptr<uilib::WindowBackend> gtk = uilib::CreateGtkBackend();
        if (gtk) {
            uilib::UseBackend(std::move(gtk));
        } else {
            std::fprintf(stderr, "no display: installing unattended\n");
            unattended = true;
        }
    }
    if (unattended) {
        uilib::UseBackend(std::make_unique<uilib::HeadlessBackend>());
        SetTipAnswerer(UnattendedAnswer);
    }
    RegisterShadowClass();

    auto window = std::make_unique<CMainWnd>();
    UnattendedObserver observer(*window);
    if (unattended) window->SetObserver(&observer);
    window->Create(nullptr, L"Velquin", 0x10CF0000, 0, uilib::kUseDefault, uilib::kUseDefault, uilib::kUseDefault,
                   uilib::kUseDefault);
    if (unattended) {
        // Start the way the buttons would, once what creation posted has run (an
        // existing installation may already have started its attempt).
        CMainWnd* wnd = window.get();
        uilib::PostToUiThread([wnd, installDir] {
            if (!wnd->IsWindow() || wnd->DecisionPending || wnd->mainTabLt == nullptr ||
                wnd->mainTabLt->GetCurSel() != 0) {
                return;
            }
            if (!installDir.empty() && wnd->installDirEdit != nullptr) {
                wnd->mainTabLt->SelectItem(1, true);
                wnd->installDirEdit->SetText(installDir);
                wnd->StartInstall(wnd->CustomInstallDir(installDir), true, true);
            } else {
                wnd->StartInstall(wnd->DefaultInstallDir(), true, true);
            }
        });
    }
    // Messages from other processes (the downloader-started message 0x4C8) reach the
    // window through the socket beside the single-instance lock.
    platform::InstanceMessageListener listener;
    guint watch = 0;
    struct Delivery {
        platform::InstanceMessageListener* listener;
        CMainWnd* window;
    } delivery{&listener, window.get()};
    if (listener.Open("D1A547DB89C0BC61_Installer_Velquin")) {
        watch = g_unix_fd_add(
            listener.Fd(), G_IO_IN,
            [](gint, GIOCondition, gpointer data) -> gboolean {
                auto* d = static_cast<Delivery*>(data);
                uint32_t message = 0;
                while (d->listener->Receive(message)) {
                    // Only the one message other processes are meant to send; any
                    // other number would reach window internals (close, events).
                    if (message == kMsgDownloaderStarted && d->window->IsWindow()) {
                        d->window->SendMessage(message, 0, 0);
                    }
                }
                return G_SOURCE_CONTINUE;
            },
            &delivery);
    }
    window->CenterWindow();
    window->ShowModal();
    if (watch != 0) g_source_remove(watch);
    int code = unattended ? observer.ExitCode() : kExitSuccess;
    window.reset();
    return code;
}
