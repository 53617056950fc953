// CCurlDownloader's worker: attempts, verification, notifications.
#include "download/curl_downloader.h"

#include <chrono>
#include <thread>

#include "app/log.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

constexpr int kRetryBudget = 12;
constexpr int kPartialFileCode = 18;  // CURLE_PARTIAL_FILE costs half an attempt

}  // namespace

CCurlDownloader::CCurlDownloader(StatusCallback callback_, std::wstring url_,
                                 std::wstring savePath_)
    : callback(std::move(callback_)),
      savePath(std::move(savePath_)),
      url(std::move(url_)),
      client(url, savePath, this, &CCurlDownloader::ProgressSink) {
    platform::RemoveFile(Utils::ToNarrow(savePath + L".part", Utils::kCodePageAcp));
}

CCurlDownloader::~CCurlDownloader() {
    m_cancelled = true;
    client.Cancel();
    worker.reset();  // joins
}

void CCurlDownloader::Start() {
    if (worker && worker->Id == platform::CurrentThreadId()) {
        m_restartRequested = true;
        return;
    }
    if (worker) {
        worker->Join();
        worker.reset();
    }
    worker = std::make_unique<Utils::Thread>(this, L"ABDEF", &CCurlDownloader::dlThreadFun);
    worker->Start();
}

void CCurlDownloader::Notify(int code, double value, const wchar_t* text) {
    if (!m_cancelled.load() && callback) {
        callback(code, value, text);
    }
}

void CCurlDownloader::ProgressSink(void* owner, double speed, double, double percent) {
    if (speed > 0.0 && percent <= 100.0) {
        static_cast<CCurlDownloader*>(owner)->Notify(DL_CODE_PROGRESS, percent / 100.0, L"");
    }
}

void CCurlDownloader::dlThreadFun(void* self) {
    auto* d = static_cast<CCurlDownloader*>(self);
    do {
        d->m_restartRequested = false;
        d->RunOnce();
    } while (d->m_restartRequested.load() && !d->m_cancelled.load());
}

void CCurlDownloader::RunOnce() {
    Notify(DL_CODE_START, 1.0, L"");
    int code = client.Start();
    int budget = kRetryBudget;
    while (code != 0) {
        budget -= code == kPartialFileCode ? 1 : 2;
        if (budget <= 0 || m_cancelled.load()) {
            Notify(DL_CODE_FAIL, static_cast<double>(code), L"LibCurl");
            return;
        }
        VQ_LOG(L"CurlDownLoader Code=%d", code);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        code = client.Start();
    }

    const std::string expected = Utils::UrlParentSegment(client.RealUrl());
    if (expected.size() == 32) {
        std::string actual = client.ContentMd5();
        if (actual.empty()) {
            actual = Utils::FileMd5(Utils::ToNarrow(savePath, Utils::kCodePageAcp));
        }
        if (actual.size() == 32 && actual != expected) {
            Notify(DL_CODE_REPORT, 0.0, L"curl文件md5校验失败");
            if (retryUsed) {
                Notify(DL_CODE_FAIL, 0.0, L"LibCurl");
            } else {
                retryUsed = true;
                Notify(DL_CODE_RETRY, 0.0, L"LibCurl");
            }
            return;
        }
    } else {
        Notify(DL_CODE_REPORT, 0.0, L"curl获取url-md5失败");
    }
    Notify(DL_CODE_SUCCESS, 0.0, L"LibCurl");
}
