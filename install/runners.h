// The two runners: the installed version's uninstaller and the downloaded package,
// each started hidden with its standard streams on pipes and followed through its
// status stream on its own worker thread.
#pragma once

#include <memory>
#include <string>

#include "download/downloader.h"
#include "install/status_stream.h"
#include "utils/thread.h"

// The uninstaller command line: the program path quoted (a blank in the temporary
// folder must not start another program), "_?=" and the folder last and unquoted, as
// uninstallers expect.
std::wstring UninstallCommandLine(const std::wstring& uninstallerPath, bool consoleUserIsAdmin,
                                  bool processIsAdmin, const std::wstring& installDir);

// The package command line; `instCmd` is inserted when not empty.
std::wstring PackageCommandLine(const std::wstring& packageArg, bool consoleUserIsAdmin,
                                bool processIsAdmin, bool desktopShortcut, bool quickLaunchShortcut,
                                const std::wstring& instCmd, const std::wstring& installDir);

class CUninstallRunner {
public:
    CUninstallRunner(StatusCallback callback, std::wstring uninstallerPath,
                     std::wstring installDir);
    ~CUninstallRunner();  // waits for the routine

    // Builds the command line and runs the routine on the worker "UnInstaller".
    void Start();

    const std::wstring& CommandLine() const { return commandLine; }

private:
    static void Routine(void* self);

    StatusCallback callback;
    std::wstring commandLine;
    std::wstring uninstallerPath;
    std::wstring installDir;
    std::unique_ptr<Utils::Thread> worker;
};

class CInstallRunner {
public:
    CInstallRunner(StatusCallback callback, std::wstring packageArg, std::wstring installDir,
                   bool desktopShortcut, bool quickLaunchShortcut, bool consoleUserIsAdmin);
    ~CInstallRunner();  // waits for the routine

    // Builds the command line, joins a previous run and runs the routine on "ABDEF".
    void Start();

    const std::wstring& CommandLine() const { return commandLine; }

    // Set by the owner before every Start.
    std::wstring installDir;
    bool quickLaunchShortcut = true;
    bool desktopShortcut = true;
    bool consoleUserIsAdmin = true;
    bool processIsAdmin = true;
    int installVersion[3] = {0, 0, 0};

private:
    static void Routine(void* self);

    StatusCallback callback;
    std::wstring packageArg;
    std::wstring commandLine;
    std::unique_ptr<Utils::Thread> worker;
};
