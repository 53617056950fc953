// The installation records and the product launch: the registry values that link
// one run to the next, "set.ini" in the installation folder, the analytics time file,
// the choice of the installation folder, and starting the product. These are the
// main window's operations on its own fields; CMainWnd inherits them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// "/uninst.ep" appended to a folder: the uninstall entry file the package writes.
std::wstring UninstallEntryOf(const std::wstring& folder);

// True when the relative path from one folder to the other is "." (both name the
// same folder, however they are spelled: trailing separators, "." and ".." parts).
bool SameFolder(const std::wstring& a, const std::wstring& b);

// The analytics data folder: the data folder ($XDG_DATA_HOME) + "/ZorVaneData/Velquin".
std::wstring ZorVaneDataDir();

class CInstallRecords {
public:
    virtual ~CInstallRecords() = default;

    // Fills OldInstallPath and OldUninstallEp from the registry values; a missing
    // value leaves the text empty; an empty UnInstallEp becomes the entry file of
    // OldInstallPath.
    void ReadInstallRecord();
    // The earlier installation's folder when its entry file exists; otherwise
    // "Velquin" under the data folder's "zorvane" (administrator console user in an
    // administrator process) or under the program-files folder. Refreshes
    // ConsoleUserIsAdmin and ProcessIsAdmin.
    std::wstring DefaultInstallDir();
    bool IsDefaultDir(const std::wstring& folder);
    // The folder box's text when it names the default folder, else the text + "/Velquin".
    std::wstring CustomInstallDir(const std::wstring& folderBoxText);
    // True when `folder` is the earlier installation's folder and its "set.ini" says
    // IsOverride=false (exact text): the earlier version is then not uninstalled.
    bool SkipOldUninstall(const std::wstring& folder);

    // Stores InstallPath, and UnInstallEp when that file exists (UninstEp defaults to
    // the entry file of InstallPath). Best effort.
    void WriteInstallRecord();
    // Writes "set.ini" in InstallPath (APPStore, AppName, a new DeviceID, the path of
    // the analytics time file) and the time file itself. Best effort.
    void WriteSetIni();
    // Opens StartUrl when it is longer than 5 characters; starts ProductExePath, in its
    // folder, when that file exists, after `pump` let the window handle its pending
    // messages (the short message pump).
    void LaunchProduct(const std::function<void()>& pump = {});

    std::wstring ProductExePath;
    std::wstring UninstEp;
    std::wstring InstallPath;
    std::wstring OldUninstallEp;
    std::wstring OldInstallPath;
    std::wstring StartUrl;
    bool ConsoleUserIsAdmin = false;
    bool ProcessIsAdmin = false;
};
