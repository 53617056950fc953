// CWinDownloader: the download through the system's blocking URL download service
// (here: BlockingDownloadToFile), three attempts one second apart, no checksum.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "download/blocking_download.h"
#include "download/downloader.h"
#include "utils/thread.h"

class CWinDownloader : public CDownloader {
public:
    // The bind-status callback handed to the service: it turns (progress, maximum)
    // pairs into 1002 and answers kResultAborted once it is being destroyed.
    class CBindCallback {
    public:
        CBindCallback() = default;
        ~CBindCallback();  // sets cancelled
        // kResultAborted when cancelled; no report when maximum is 0; else 1002.
        int32_t OnProgress(uint64_t progress, uint64_t maximum);
        void SetCallback(StatusCallback cb) { m_callback = std::move(cb); }
        void Cancel() { cancelled = true; }

        std::atomic<bool> cancelled{false};

    private:
        StatusCallback m_callback;
    };

    // Creates the worker held back until Start.
    CWinDownloader(StatusCallback callback, std::wstring url, std::wstring savePath);
    // Cancels the running download and waits for the worker; no notification follows.
    ~CWinDownloader() override;
    // Runs the routine once; later calls do nothing.
    void Start() override;

private:
    static void DownloadRoutine(void* self);
    void Notify(int code, double value, const wchar_t* text);

    CBindCallback bindCallback;
    StatusCallback callback;
    std::wstring savePath;
    std::wstring url;
    std::unique_ptr<Utils::Thread> worker;
    std::atomic<bool> m_cancelled{false};
};
