// The runners' routines: launch, read the status stream to its end, report.
#include "install/runners.h"

#include <thread>
#include <vector>

#include "app/settings.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/process.h"
#include "utils/process.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

constexpr size_t kReadChunk = 64 * 1024;

const wchar_t* TrueFalse(bool b) {
    return b ? L"true" : L"false";
}

// Reads the child's standard error to its end so that a chatty child never blocks
// on a full pipe; nobody looks at it.
std::thread DrainInBackground(int fd) {
    return std::thread([fd] {
        char buf[4096];
        while (platform::ReadFd(fd, buf, sizeof buf) > 0) {
        }
    });
}

// Reads the status stream until it ends (every writer closed it), feeding the parser
// and passing on what it finds; after a decisive line the rest is only drained when
// `stopInterpretingWhenDecided` asks for it.
void Follow(int fd, StatusStreamParser& parser, const StatusCallback& callback,
            bool stopInterpretingWhenDecided) {
    std::vector<char> buf(kReadChunk);
    std::vector<StreamNotification> found;
    bool interpreting = true;
    for (;;) {
        const int64_t n = platform::ReadFd(fd, buf.data(), buf.size());
        if (n <= 0) {
            break;
        }
        if (!interpreting) {
            continue;
        }
        found.clear();
        parser.Feed(buf.data(), static_cast<size_t>(n), found);
        for (const StreamNotification& s : found) {
            if (callback) {
                callback(s.code, s.value, s.text.c_str());
            }
        }
        if (stopInterpretingWhenDecided && parser.Decided()) {
            interpreting = false;
        }
    }
    if (interpreting) {
        found.clear();
        parser.Finish(found);
        for (const StreamNotification& s : found) {
            if (callback) {
                callback(s.code, s.value, s.text.c_str());
            }
        }
    }
}

}  // namespace

std::wstring UninstallCommandLine(const std::wstring& uninstallerPath, bool consoleUserIsAdmin,
                                  bool processIsAdmin, const std::wstring& installDir) {
    return L"\"" + uninstallerPath + L"\" /S -adminact=" + TrueFalse(consoleUserIsAdmin) +
           L" -authorizationact=" + TrueFalse(processIsAdmin) + L" -console=show _?=" + installDir;
}

std::wstring PackageCommandLine(const std::wstring& packageArg, bool consoleUserIsAdmin,
                                bool processIsAdmin, bool desktopShortcut, bool quickLaunchShortcut,
                                const std::wstring& instCmd, const std::wstring& installDir) {
    std::wstring line = packageArg + L" /S -console=show -version=1.0.0";
    line += L" -adminact=" + std::wstring(TrueFalse(consoleUserIsAdmin));
    line += L" -authorizationact=" + std::wstring(TrueFalse(processIsAdmin));
    line += L" -dsc=" + std::wstring(TrueFalse(desktopShortcut));
    line += L" -ssc=" + std::wstring(TrueFalse(quickLaunchShortcut));
    if (!instCmd.empty()) {
        line += L" " + instCmd;
    }
    if (!installDir.empty()) {
        line += L" -instdir=\"" + installDir + L"\"";
        line += L" /D=" + installDir;
    }
    return line;
}

CUninstallRunner::CUninstallRunner(StatusCallback callback_, std::wstring uninstallerPath_,
                                   std::wstring installDir_)
    : callback(std::move(callback_)),
      uninstallerPath(std::move(uninstallerPath_)),
      installDir(std::move(installDir_)) {}

CUninstallRunner::~CUninstallRunner() {
    worker.reset();
}

void CUninstallRunner::Start() {
    std::wstring user;
    const bool consoleAdmin = Utils::GetConsoleUser(user) && Utils::IsAdminAccount(user);
    commandLine =
        UninstallCommandLine(uninstallerPath, consoleAdmin, Utils::IsUserAdmin(), installDir);
    if (worker) {
        worker->Join();
    }
    worker = std::make_unique<Utils::Thread>(this, L"UnInstaller", &CUninstallRunner::Routine);
    worker->Start();
}

void CUninstallRunner::Routine(void* selfPtr) {
    auto* self = static_cast<CUninstallRunner*>(selfPtr);
    auto notify = [self](int code, double value, const wchar_t* text) {
        if (self->callback) {
            self->callback(code, value, text);
        }
    };
    if (!platform::IsRegularFile(Utils::ToNarrow(self->uninstallerPath, Utils::kCodePageAcp))) {
        notify(UNIST_CODE_FAIL, 1.0, L"可执行卸载文件不存在");
        return;
    }
    notify(UNIST_CODE_PROGRESS, 0.0, L"");
    // The folder goes last and unquoted; a quote in it would change the arguments.
    if (self->installDir.find(L'"') != std::wstring::npos) {
        notify(UNIST_CODE_FAIL, 2.0, L"");
        return;
    }
    platform::SetExecutable(Utils::ToNarrow(self->uninstallerPath, Utils::kCodePageAcp));
    Utils::ProcessLauncher process;
    try {
        process.CreatePipes();
        process.Launch(self->commandLine);
    } catch (const Utils::Exception&) {
        notify(UNIST_CODE_FAIL, 2.0, L"");
        return;
    }
    process.InPipe.Close();
    std::thread drain = DrainInBackground(process.ErrPipe.ReadEnd);
    StatusStreamParser parser(StatusStreamParser::Kind::Uninstaller);
    Follow(process.OutPipe.ReadEnd, parser, self->callback, /*stopInterpretingWhenDecided=*/false);
    process.WaitForExit();
    drain.join();
    process.CloseAll();
    if (!parser.Decided()) {
        notify(UNIST_CODE_SUCCESS, 1.0, L"");
    }
}

CInstallRunner::CInstallRunner(StatusCallback callback_, std::wstring packageArg_,
                               std::wstring installDir_, bool desktopShortcut_,
                               bool quickLaunchShortcut_, bool consoleUserIsAdmin_)
    : installDir(std::move(installDir_)),
      quickLaunchShortcut(quickLaunchShortcut_),
      desktopShortcut(desktopShortcut_),
      consoleUserIsAdmin(consoleUserIsAdmin_),
      callback(std::move(callback_)),
      packageArg(std::move(packageArg_)) {}

CInstallRunner::~CInstallRunner() {
    worker.reset();
}

void CInstallRunner::Start() {
    commandLine =
        PackageCommandLine(packageArg, consoleUserIsAdmin, processIsAdmin, desktopShortcut,
                           quickLaunchShortcut, Settings().InstCmd, installDir);
    if (worker && worker->Id == platform::CurrentThreadId()) {
        return;  // started from its own notification: the run in progress is that run
    }
    if (worker) {
        worker->Join();
        worker.reset();
    }
    worker = std::make_unique<Utils::Thread>(this, L"ABDEF", &CInstallRunner::Routine);
    worker->Start();
}

void CInstallRunner::Routine(void* selfPtr) {
    auto* self = static_cast<CInstallRunner*>(selfPtr);
    auto notify = [self](int code, double value, const wchar_t* text) {
        if (self->callback) {
            self->callback(code, value, text);
        }
    };
    notify(IST_CODE_START, 0.0, L"");
    notify(IST_CODE_PROGRESS, 0.0, L"");
    // The folder is quoted once and written bare after "/D="; a quote in it would
    // change the arguments the package sees.
    if (self->installDir.find(L'"') != std::wstring::npos) {
        notify(IST_CODE_FAIL, 2.0, L"");
        return;
    }
    // The package was written by this installer; it runs only with its execute bit.
    std::wstring program = self->packageArg;
    if (program.size() >= 2 && program.front() == L'"' && program.back() == L'"') {
        program = program.substr(1, program.size() - 2);
    }
    platform::SetExecutable(Utils::ToNarrow(program, Utils::kCodePageAcp));
    Utils::ProcessLauncher process;
    try {
        process.CreatePipes();
        process.Launch(self->commandLine);
    } catch (const Utils::Exception&) {
        notify(IST_CODE_FAIL, 2.0, L"");
        return;
    }
    process.InPipe.Close();
    std::thread drain = DrainInBackground(process.ErrPipe.ReadEnd);
    StatusStreamParser parser(StatusStreamParser::Kind::Package);
    parser.StopAtDecision(true);
    // The whole stream is read before the run counts as undecided: a package that
    // writes its verdict and exits at once is still heard.
    Follow(process.OutPipe.ReadEnd, parser, self->callback, /*stopInterpretingWhenDecided=*/true);
    process.WaitForExit();
    drain.join();
    process.CloseAll();
    for (int i = 0; i < 3; ++i) {
        self->installVersion[i] = parser.InstallVersion[i];
    }
    if (!parser.Decided()) {
        notify(IST_CODE_SUCCESS, 1.0, L"");
    }
}
