// CWinDownloader's routine on its worker.
#include "download/win_downloader.h"

#include <chrono>
#include <thread>

#include "utils/text.h"

CWinDownloader::CBindCallback::~CBindCallback() {
    cancelled = true;
}

int32_t CWinDownloader::CBindCallback::OnProgress(uint64_t progress, uint64_t maximum) {
    if (cancelled.load()) {
        return kResultAborted;
    }
    if (maximum == 0) {
        return kResultOk;
    }
    if (m_callback) {
        m_callback(DL_CODE_PROGRESS, static_cast<double>(progress) / static_cast<double>(maximum),
                   L"");
    }
    return kResultOk;
}

CWinDownloader::CWinDownloader(StatusCallback callback_, std::wstring url_, std::wstring savePath_)
    : callback(std::move(callback_)), savePath(std::move(savePath_)), url(std::move(url_)) {
    worker = std::make_unique<Utils::Thread>(this, L"ABDEF", &CWinDownloader::DownloadRoutine);
}

CWinDownloader::~CWinDownloader() {
    m_cancelled = true;
    bindCallback.Cancel();
    worker.reset();  // joins; a never-started worker is released without running
}

void CWinDownloader::Start() {
    bindCallback.SetCallback(callback);
    worker->Start();
}

void CWinDownloader::Notify(int code, double value, const wchar_t* text) {
    if (!m_cancelled.load() && callback) {
        callback(code, value, text);
    }
}

void CWinDownloader::DownloadRoutine(void* self) {
    auto* d = static_cast<CWinDownloader*>(self);
    d->Notify(DL_CODE_START, 1.0, L"");
    const std::wstring address =
        Utils::StartsWith(d->url, L"file:///") ? d->url : Utils::UrlEncodeWide(d->url);
    const std::string bytes = Utils::ToNarrow(address, Utils::kCodePageUtf8);
    const std::string path = Utils::ToNarrow(d->savePath, Utils::kCodePageAcp);
    int32_t result = kResultFailed;
    for (int attempt = 0; attempt < 3; ++attempt) {
        result = BlockingDownloadToFile(bytes, path, [d](uint64_t progress, uint64_t maximum) {
            return d->bindCallback.OnProgress(progress, maximum);
        });
        if (result == kResultOk) {
            d->Notify(DL_CODE_SUCCESS, 0.0, L"URLDownloadToFile");
            return;
        }
        if (d->m_cancelled.load()) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    }
    d->Notify(DL_CODE_FAIL, static_cast<double>(result), L"URLDownloadToFile");
}
