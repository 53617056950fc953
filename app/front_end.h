// The two front ends of the main window: the GTK window a person uses, and the
// unattended run on the headless backend that answers tips by a fixed policy.
#pragma once

#include <string>

// Exit codes of velquin-installer. A value that leaves the process is never reused.
enum ExitCode : int {
    kExitSuccess = 0,          // installed (unattended), or the window was closed (GUI)
    kExitLayoutFailed = 1,     // a window layout could not be loaded
    kExitCheckFailed = 2,      // product or uninstaller running, bad folder, low space, poor network
    kExitDownloadFailed = 3,   // the package could not be downloaded
    kExitUninstallFailed = 4,  // the earlier version could not be removed
    kExitInstallFailed = 5,    // the package reported a failed installation
    kExitNotInstalled = 6,     // unattended run ended without an outcome (the installer was left)
    kExitAnotherCopy = -1,     // another copy is running (the shell sees 255)
};

// Chooses the backend (GTK unless unattended; no display falls back to unattended),
// registers the shadow class, creates the main window and runs its modal loop.
// Returns the exit code of the run. Called once, on the main thread.
int RunMainWindow(bool unattended, const std::wstring& installDir);
