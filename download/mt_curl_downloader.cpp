// CMTCurlDownloader: probe, ranges, joiner.
#include "download/mt_curl_downloader.h"

#include <chrono>
#include <ctime>

#include "app/log.h"
#include "app/settings.h"
#include "download/curl_client.h"
#include "utils/system_queries.h"
#include "utils/text.h"

namespace {

constexpr int kRetryBudget = 12;
constexpr int kPartialFileCode = 18;

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

std::wstring CurlText(int code) {
    return Utils::ToWide(curl_easy_strerror(static_cast<CURLcode>(code)), Utils::kCodePageAcp);
}

}  // namespace

CMTCurlDownloader::CMTCurlDownloader(StatusCallback callback_, std::wstring url_,
                                     std::wstring savePath_)
    : callback(std::move(callback_)), savePath(std::move(savePath_)), url(std::move(url_)) {
    m_savePath8 = Utils::ToNarrow(savePath, Utils::kCodePageAcp);
    platform::RemoveFile(m_savePath8);
    DeletePartFiles();
}

CMTCurlDownloader::~CMTCurlDownloader() {
    m_cancelled = true;
    worker.reset();  // joins the preparation
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(m_threadsLock);
        threads.swap(m_threads);
    }
    for (std::thread& t : threads) {
        if (t.get_id() == std::this_thread::get_id()) {
            t.detach();  // destroyed from its own notification: it ends right after
        } else if (t.joinable()) {
            t.join();
        }
    }
    std::lock_guard<std::mutex> guard(lock);
    for (auto& node : segments) {
        if (node->handle != nullptr) {
            curl_easy_cleanup(node->handle);
        }
    }
    segments.clear();
}

std::vector<std::pair<int64_t, int64_t>> CMTCurlDownloader::SplitRanges(int64_t length) {
    int64_t count = length / kRangeUnit;
    if (count < 1) {
        count = 1;
    }
    if (count > 2) {
        count = 2;
    }
    const int64_t size = length / count;
    std::vector<std::pair<int64_t, int64_t>> ranges;
    for (int64_t i = 0; i < count; ++i) {
        const int64_t start = i * size;
        const int64_t thisSize = i == count - 1 ? size + length % count : size;
        ranges.emplace_back(start, start + thisSize - 1);
    }
    return ranges;
}

void CMTCurlDownloader::Start() {
    if (worker) {
        worker->Join();
        worker.reset();
    }
    worker = std::make_unique<Utils::Thread>(this, L"ABDEF", &CMTCurlDownloader::Start_Down);
    worker->Start();
}

void CMTCurlDownloader::Notify(int code, double value, const wchar_t* text) {
    if (!m_cancelled.load() && callback) {
        callback(code, value, text);
    }
}

void CMTCurlDownloader::DeletePartFiles() {
    platform::RemoveFile(m_savePath8 + "_0");
    platform::RemoveFile(m_savePath8 + "_1");
}

void CMTCurlDownloader::LaunchThread(std::function<void()> body) {
    std::lock_guard<std::mutex> guard(m_threadsLock);
    m_threads.emplace_back(std::move(body));
}

void CMTCurlDownloader::JoinFinishedThreads() {
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(m_threadsLock);
        threads.swap(m_threads);
    }
    for (std::thread& t : threads) {
        if (t.joinable()) {
            t.join();
        }
    }
}

void CMTCurlDownloader::Start_Down(void* selfPtr) {
    auto* self = static_cast<CMTCurlDownloader*>(selfPtr);
    // The previous run's threads have ended (the joiner may still be returning from
    // the notification that asked for this run).
    self->JoinFinishedThreads();
    self->Notify(DL_CODE_START, 1.0, L"");
    VQ_LOG(L"start download");
    const std::string address = CurlUrlBytes(self->url);

    platform::RemoveFile(self->m_savePath8);
    if (self->lastPercent == 0.0) {
        self->DeletePartFiles();
    }
    if (self->realUrl.empty() || self->fileLength < 256) {
        if (!self->getRealDownloadUrl(address)) {
            self->Notify(DL_CODE_FAIL, 0.0, L"LibCurl");
            return;
        }
    }

    const auto ranges = SplitRanges(self->fileLength);
    {
        std::lock_guard<std::mutex> guard(self->lock);
        for (size_t i = 0; i < ranges.size(); ++i) {
            auto node = std::make_unique<DownloadPartNode>();
            node->owner = self;
            node->partPath = self->m_savePath8 + "_" + std::to_string(i);
            const int64_t existing = std::max<int64_t>(platform::FileSize(node->partPath), 0);
            node->downloaded = existing;
            node->writePos = ranges[i].first + existing;
            node->endPos = ranges[i].second;
            node->handle = curl_easy_init();
            node->url = self->realUrl;
            if (node->writePos > node->endPos) {
                node->state = 0;
            } else {
                node->state = kStatePending;
                if (!node->file.Open(node->partPath, platform::File::Mode::Append)) {
                    node->state = kStatePartFileFailed;
                }
            }
            self->segments.push_back(std::move(node));
        }
    }
    bool first = true;
    for (auto& node : self->segments) {
        if (node->state != kStatePending) {
            continue;
        }
        if (!first) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        first = false;
        ++self->activeSegments;
        DownloadPartNode* range = node.get();
        self->LaunchThread([self, range] { downloadThreadFun(self, range); });
    }
    self->LaunchThread([self] { waitForFinishThreadFun(self); });
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& address) {
    realUrl.clear();
    urlMd5.clear();
    fileLength = 0;
    if (!Settings().IsCurlReady) {
        return false;
    }
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        return false;
    }
    curl_slist* headers = curl_slist_append(nullptr, "Connection: keep-alive");
    int rc = 0;
    rc |= curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    rc |= curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    rc |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    rc |= curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    rc |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, DiscardBody);
    rc |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    rc |= curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    rc |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    rc |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, ProgressHook);
    rc |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    bool ok = rc == CURLE_OK && curl_easy_perform(handle) == CURLE_OK;
    if (ok) {
        char* effective = nullptr;
        if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
            effective != nullptr && *effective != '\0') {
            realUrl = effective;
            VQ_LOG(L"Download File real url %ls",
                   Utils::ToWide(realUrl, Utils::kCodePageUtf8).c_str());
            urlMd5 = Utils::UrlParentSegment(realUrl);
        }
        curl_off_t length = -1;
        long status = 0;
        if (curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
            curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK &&
            status >= 200 && status <= 399) {
            fileLength = length;
            VQ_LOG(L"Download File Length %lld", static_cast<long long>(fileLength));
        }
    }
    curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
    return ok && !realUrl.empty() && fileLength > 255;
}

int CMTCurlDownloader::downloadExe(DownloadPartNode& range) {
    char rangeText[64];
    snprintf(rangeText, sizeof rangeText, "%lld-%lld", static_cast<long long>(range.writePos),
             static_cast<long long>(range.endPos));
    CURL* h = range.handle;
    if (h == nullptr) {
        range.state = CURLE_FAILED_INIT;
        return range.state;
    }
    int rc = 0;
    rc |= curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    rc |= curl_easy_setopt(h, CURLOPT_URL, range.url.c_str());
    rc |= curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
    rc |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    rc |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, RangeWriter);
    rc |= curl_easy_setopt(h, CURLOPT_WRITEDATA, &range);
    rc |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    rc |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, ProgressHook);
    rc |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    rc |= curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    rc |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    rc |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    rc |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 5L);
    rc |= curl_easy_setopt(h, CURLOPT_RANGE, rangeText);
    if (rc != CURLE_OK) {
        return rc;
    }
    const int code = curl_easy_perform(h);
    if (code != CURLE_OK) {
        VQ_LOG(L"error:%d:%ls", code, CurlText(code).c_str());
    } else {
        VQ_LOG(L"curl_easy_cleanup");
    }
    curl_easy_reset(h);
    if (code == CURLE_OK) {
        range.file.Close();
    }
    range.state = code;
    return code;
}

void CMTCurlDownloader::downloadThreadFun(CMTCurlDownloader* self, DownloadPartNode* range) {
    int budget = kRetryBudget;
    int code = self->downloadExe(*range);
    while (code != 0 && budget > 0 && !self->m_cancelled.load()) {
        budget -= code == kPartialFileCode ? 1 : 2;
        VQ_LOG(L"CurlDownLoader Code=%d", code);
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        code = self->downloadExe(*range);
    }
    range->file.Close();
    --self->activeSegments;
}

size_t CMTCurlDownloader::RangeWriter(char* data, size_t size, size_t count, void* rangePtr) {
    auto* range = static_cast<DownloadPartNode*>(rangePtr);
    if (!range->file.IsOpen() || range->writePos > range->endPos) {
        return 0;
    }
    const size_t n = size * count;
    const auto room = static_cast<uint64_t>(range->endPos - range->writePos + 1);
    const size_t w = n < room ? n : static_cast<size_t>(room);
    if (!range->file.Write(data, w)) {
        return 0;
    }
    range->writePos += static_cast<int64_t>(w);
    std::lock_guard<std::mutex> guard(range->owner->lock);
    range->downloaded += static_cast<int64_t>(w);
    return w;
}

int CMTCurlDownloader::ProgressHook(void* selfPtr, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* self = static_cast<CMTCurlDownloader*>(selfPtr);
    if (self->m_cancelled.load()) {
        return 1;  // the downloader is going away: stop now, not at the end of the range
    }
    double report = -1.0;
    {
        std::lock_guard<std::mutex> guard(self->lock);
        const int64_t now = static_cast<int64_t>(std::time(nullptr));
        if (now < self->lastTick + 1) {
            return 0;
        }
        self->lastTick = now;
        double percent = 0.0;
        if (self->fileLength >= 256) {
            for (const auto& node : self->segments) {
                if (node->downloaded > 0) {
                    percent += static_cast<double>(node->downloaded) * 100.0 /
                               static_cast<double>(self->fileLength);
                }
            }
        }
        if (percent > 100.0) {
            return 0;
        }
        if (percent - self->lastPercent >= 1.0) {
            self->lastPercent = percent;
            report = percent;
        }
    }
    if (report >= 0.0) {
        self->Notify(DL_CODE_PROGRESS, report / 100.0, L"");
    }
    return 0;
}

void CMTCurlDownloader::ClearSegments() {
    std::lock_guard<std::mutex> guard(lock);
    for (auto& node : segments) {
        if (node->handle != nullptr) {
            curl_easy_cleanup(node->handle);
            node->handle = nullptr;
        }
        node->file.Close();
    }
    segments.clear();
}

bool CMTCurlDownloader::MergeParts() {
    platform::File first;
    if (!first.Open(m_savePath8 + "_0", platform::File::Mode::ReadWrite)) {
        return false;
    }
    for (size_t i = 1; i < segments.size(); ++i) {
        if (!first.AppendFileContents(segments[i]->partPath)) {
            return false;
        }
        VQ_LOG(L"partPath::%ls", Utils::ToWide(segments[i]->partPath, Utils::kCodePageAcp).c_str());
    }
    if (!first.Sync()) {
        return false;
    }
    first.Close();
    if (!platform::RenameFile(m_savePath8 + "_0", m_savePath8)) {
        return false;
    }
    DeletePartFiles();
    return true;
}

void CMTCurlDownloader::waitForFinishThreadFun(CMTCurlDownloader* self) {
    while (self->activeSegments.load() > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    if (self->m_cancelled.load()) {
        return;
    }
    int firstBad = 0;
    for (const auto& node : self->segments) {
        if (node->state != 0) {
            firstBad = node->state;
            break;
        }
    }
    if (firstBad == 0) {
        self->lastPercent = 0.0;
        if (!self->MergeParts()) {
            // A package that could not be put together is a failed download; its pieces
            // are not trusted for a resume.
            firstBad = kStateMergeFailed;
            platform::RemoveFile(self->m_savePath8);
            self->DeletePartFiles();
        }
    }
    if (firstBad == 0) {
        if (self->urlMd5.size() == 32) {
            const std::string actual = Utils::FileMd5(self->m_savePath8);
            if (actual.size() == 32 && actual != self->urlMd5) {
                self->Notify(DL_CODE_REPORT, 0.0, L"mtcurl文件md5校验失败");
                platform::RemoveFile(self->m_savePath8);
                self->ClearSegments();
                if (self->retryUsed) {
                    VQ_LOG(L"finish recv, md5 chaek failed and retry failed.");
                    self->Notify(DL_CODE_FAIL, 0.0, L"LibCurl");
                } else {
                    self->retryUsed = true;
                    VQ_LOG(L"finish recv, md5 chaek failed retry once.");
                    self->Notify(DL_CODE_RETRY, 0.0, L"LibCurl");
                }
                return;
            }
        } else {
            self->Notify(DL_CODE_REPORT, 0.0, L"mtcurl获取url-md5失败");
        }
        VQ_LOG(L"finish recv");
        self->ClearSegments();
        self->Notify(DL_CODE_SUCCESS, 0.0, L"LibCurl");
        return;
    }
    self->ClearSegments();
    if (self->lastPercent == 0.0) {
        self->DeletePartFiles();
    }
    if (self->retryUsed) {
        self->lastPercent = 0.0;
        self->Notify(DL_CODE_FAIL, static_cast<double>(firstBad), L"LibCurl");
    } else {
        self->retryUsed = true;
        self->Notify(DL_CODE_RETRY, static_cast<double>(firstBad), L"LibCurl");
    }
}
