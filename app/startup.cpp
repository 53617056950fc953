// The start-up and teardown sequence of velquin-installer.
#include "app/startup.h"

#include <curl/curl.h>

#include "app/instance_guard.h"
#include "app/log.h"
#include "app/settings.h"
#include "platform/crash_hook.h"
#include "platform/environment.h"

void HardenLibraryLoading() {
    platform::HardenModuleLoading();
}

void CrashFilter() {
    // The analytics reports of a crash are made here once analytics exists.
}

int RunInstaller() {
    HardenLibraryLoading();
    platform::InstallCrashHook(&CrashFilter);

    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
        Settings().IsCurlReady = false;
    }

    InstanceGuard guard(L"Installer_Velquin");
    guard.Acquire();
    if (!guard.Held()) {
        return kExitAnotherCopyRunning;
    }

    Settings().ApplyCommandLine();
    VQ_LOG(L"DownloadUrl=%ls DownloadType=%d", Settings().DownloadUrl.c_str(),
           Settings().DownloadType);

    curl_global_cleanup();
    guard.Release();
    return 0;
}
