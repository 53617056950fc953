// The pipeline's stages and handlers.
#include "install/download_installer.h"

#include "app/log.h"
#include "app/settings.h"
#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "download/win_downloader.h"
#include "platform/files.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

std::string Narrow(const std::wstring& s) {
    return Utils::ToNarrow(s, Utils::kCodePageAcp);
}

}  // namespace

CDownloadInstaller::CDownloadInstaller(StatusCallback callback_, std::wstring url_,
                                       std::wstring oldUninstaller_, std::wstring installDir_,
                                       bool desktopShortcut_, bool quickLaunchShortcut_,
                                       bool consoleUserIsAdmin_)
    : url(std::move(url_)),
      oldUninstaller(std::move(oldUninstaller_)),
      installDir(std::move(installDir_)),
      desktopShortcut(desktopShortcut_),
      quickLaunchShortcut(quickLaunchShortcut_),
      consoleUserIsAdmin(consoleUserIsAdmin_),
      callback(std::move(callback_)) {}

CDownloadInstaller::~CDownloadInstaller() {
    // Each stage starts the next one from its own thread, so a stage is destroyed only
    // after the stage before it has ended: the uninstall worker may still start the
    // download, and a download thread may still start the package run.
    uninstallRunner.reset();
    downloader.reset();
    installRunner.reset();
}

void CDownloadInstaller::SetParams(std::wstring url_, std::wstring oldUninstaller_,
                                   std::wstring installDir_, bool desktopShortcut_,
                                   bool quickLaunchShortcut_, bool consoleUserIsAdmin_,
                                   bool processIsAdmin_) {
    url = std::move(url_);
    oldUninstaller = std::move(oldUninstaller_);
    installDir = std::move(installDir_);
    desktopShortcut = desktopShortcut_;
    quickLaunchShortcut = quickLaunchShortcut_;
    consoleUserIsAdmin = consoleUserIsAdmin_;
    processIsAdmin = processIsAdmin_;
}

std::wstring CDownloadInstaller::PackagePath() const {
    const bool slash = !installDir.empty() && installDir.back() == L'/';
    return installDir + (slash ? L"" : L"/") + L"__Package_Velquin.exe";
}

void CDownloadInstaller::Start() {
    packagePath = PackagePath();
    VQ_LOG_NOBREAK(L"DL_TYPE=%d\r\n", Settings().DownloadType);
    if (!downloader) {
        auto handler = [this](int code, double value, const wchar_t* text) {
            OnDownload(code, value, text);
        };
        switch (Settings().DownloadType) {
            case 2:
                downloader = std::make_unique<CWinDownloader>(handler, url, packagePath);
                break;
            case 3:
                downloader = std::make_unique<CMTCurlDownloader>(handler, url, packagePath);
                break;
            default:
                downloader = std::make_unique<CCurlDownloader>(handler, url, packagePath);
                break;
        }
    }
    if (!installRunner) {
        installRunner = std::make_unique<CInstallRunner>(
            [this](int code, double value, const wchar_t* text) { OnInstall(code, value, text); },
            L"\"" + packagePath + L"\"", installDir, desktopShortcut, quickLaunchShortcut,
            consoleUserIsAdmin);
    }
    installRunner->installDir = installDir;
    installRunner->desktopShortcut = desktopShortcut;
    installRunner->quickLaunchShortcut = quickLaunchShortcut;
    installRunner->consoleUserIsAdmin = consoleUserIsAdmin;
    installRunner->processIsAdmin = processIsAdmin;

    if (!oldUninstaller.empty() && platform::IsRegularFile(Narrow(oldUninstaller))) {
        const std::wstring temp = Utils::GetInstallerTempFolder();
        m_uninstallerCopy = temp.empty() ? std::wstring() : temp + L"Velquin_un_asa.exe";
        std::wstring oldFolder = oldUninstaller.substr(0, 259);
        const size_t slash = oldFolder.rfind(L'/');
        oldFolder = slash == std::wstring::npos ? std::wstring()
                                                : oldFolder.substr(0, slash == 0 ? 1 : slash);
        // Not checked here: a failed copy shows up as the runner's missing-uninstaller report.
        platform::CopyFile(Narrow(oldUninstaller), Narrow(m_uninstallerCopy));
        uninstallRunner = std::make_unique<CUninstallRunner>(
            [this](int code, double value, const wchar_t* text) { OnUninstall(code, value, text); },
            m_uninstallerCopy, oldFolder);
        uninstallRunner->Start();
    } else {
        downloader->Start();
    }
}

void CDownloadInstaller::DeletePackage() {
    platform::RemoveFile(Narrow(packagePath));
}

void CDownloadInstaller::OnDownload(int code, double value, const wchar_t* text) {
    if (callback) {
        callback(code, value, text);
    }
    switch (code) {
        case DL_CODE_START:
            Utils::CreateDirectoryPath(installDir);
            VQ_LOG_NOBREAK(L"DL_CODE_START\r\n");
            break;
        case DL_CODE_PROGRESS:
            VQ_LOG_NOBREAK(L"DL_CODE_PROGRESS\r\n");
            break;
        case DL_CODE_SUCCESS:
            VQ_LOG_NOBREAK(L"DOWNLOAD_SUCCESS\r\n");
            installRunner->Start();
            VQ_LOG_NOBREAK(L"DL_CODE_SUCCESS\r\n");
            break;
        case DL_CODE_FAIL:
            DeletePackage();
            VQ_LOG_NOBREAK(L"DL_CODE_FAIL\r\n");
            break;
        case DL_CODE_RETRY:
            VQ_LOG_NOBREAK(L"DL_CODE_RETRY\r\n");
            downloader->Start();
            break;
        default:
            break;
    }
}

void CDownloadInstaller::OnUninstall(int code, double value, const wchar_t* text) {
    if (callback) {
        callback(code, value, text);
    }
    switch (code) {
        case UNIST_CODE_START:
            VQ_LOG_NOBREAK(L"UNIST_CODE_START\r\n");
            break;
        case UNIST_CODE_PROGRESS:
            VQ_LOG_NOBREAK(L"UNIST_CODE_PROGRESS\r\n");
            break;
        case UNIST_CODE_SUCCESS:
            VQ_LOG_NOBREAK(L"UNIST_CODE_SUCCESS\r\n");
            downloader->Start();
            break;
        case UNIST_CODE_FAIL:
            VQ_LOG_NOBREAK(L"UNIST_CODE_FAIL\r\n");
            break;
        case UNIST_CODE_ERROR:
            VQ_LOG_NOBREAK(L"UNIST_CODE_ERROR\r\n");
            break;
        default:
            break;
    }
}

void CDownloadInstaller::OnInstall(int code, double value, const wchar_t* text) {
    if (callback) {
        callback(code, value, text);
    }
    switch (code) {
        case IST_CODE_START:
            VQ_LOG_NOBREAK(L"IST_CODE_START\r\n");
            break;
        case IST_CODE_PROGRESS:
            VQ_LOG_NOBREAK(L"DL_CODE_SUCCESS\r\n");
            break;
        case IST_CODE_SUCCESS:
            DeletePackage();
            VQ_LOG_NOBREAK(L"INSTALL_SUCCESS\r\n");
            break;
        case IST_CODE_FAIL:
            DeletePackage();
            VQ_LOG_NOBREAK(L"IST_CODE_FAIL\r\n");
            break;
        default:
            break;
    }
}
