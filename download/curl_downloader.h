// CCurlDownloader: one resumable libcurl stream through CurlClient, with a retry
// budget, MD5 verification against the address, and one whole-download retry.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "download/curl_client.h"
#include "download/downloader.h"
#include "utils/thread.h"

class CCurlDownloader : public CDownloader {
public:
    // Deletes a stale "<savePath>.part". Nothing runs until Start.
    CCurlDownloader(StatusCallback callback, std::wstring url, std::wstring savePath);
    // Cancels the transfer, waits for the worker; no notification follows.
    ~CCurlDownloader() override;

    // Starts a run on a new worker after joining the previous one. Called from inside
    // the worker's own notification (the owner's 1005 handler), it does not wait for
    // itself: the next run begins on the same worker once the current one returns.
    void Start() override;

private:
    static void dlThreadFun(void* self);
    static void ProgressSink(void* owner, double speed, double unused, double percent);
    void RunOnce();
    void Notify(int code, double value, const wchar_t* text);

    StatusCallback callback;
    std::wstring savePath;
    std::wstring url;
    CurlClient client;
    std::unique_ptr<Utils::Thread> worker;
    bool retryUsed = false;
    std::atomic<bool> m_restartRequested{false};
    std::atomic<bool> m_cancelled{false};
};
