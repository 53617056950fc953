// CDownloadInstaller: the headless spine of an installation. It runs the installed
// version's uninstaller (when there is one), downloads the package with the
// downloader the settings choose, runs the package, deletes it, and passes every
// notification of every stage to one callback. Each stage starts from the final
// notification of the one before, on that stage's thread; the pipeline has none.
#pragma once

#include <memory>
#include <string>

#include "download/downloader.h"
#include "install/runners.h"

class CDownloadInstaller {
public:
    CDownloadInstaller(StatusCallback callback, std::wstring url, std::wstring oldUninstaller,
                       std::wstring installDir, bool desktopShortcut, bool quickLaunchShortcut,
                       bool consoleUserIsAdmin);
    // Destroys the uninstall runner, then the downloader (cancelling its transfer), then
    // the install runner; each waits for its worker.
    ~CDownloadInstaller();

    // Called on the UI thread before Start.
    void SetParams(std::wstring url, std::wstring oldUninstaller, std::wstring installDir,
                   bool desktopShortcut, bool quickLaunchShortcut, bool consoleUserIsAdmin,
                   bool processIsAdmin);
    // installDir + "/__Package_Velquin.exe".
    std::wstring PackagePath() const;
    // Begins a run; returns at once. UI thread.
    void Start();

    // For tests: the uninstaller copy's path of the last run.
    const std::wstring& UninstallerCopyPath() const { return m_uninstallerCopy; }

private:
    void OnDownload(int code, double value, const wchar_t* text);
    void OnUninstall(int code, double value, const wchar_t* text);
    void OnInstall(int code, double value, const wchar_t* text);
    void DeletePackage();

    std::unique_ptr<CUninstallRunner> uninstallRunner;
    std::unique_ptr<CDownloader> downloader;
    std::unique_ptr<CInstallRunner> installRunner;
    std::wstring url;
    std::wstring oldUninstaller;
    std::wstring installDir;
    std::wstring packagePath;
    bool desktopShortcut;
    bool quickLaunchShortcut;
    bool consoleUserIsAdmin;
    bool processIsAdmin = false;
    StatusCallback callback;
    std::wstring m_uninstallerCopy;
};
