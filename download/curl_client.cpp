// CurlClient: probes and the resumable single-stream transfer.
#include "download/curl_client.h"

#include <algorithm>
#include <ctime>
#include <cwchar>

#include "analytics/installer_hooks.h"
#include "app/log.h"
#include "platform/files.h"
#include "utils/text.h"

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) {
    return size * count;
}

struct PartWriter {
    platform::File* file;
    Utils::Md5* md5;  // null when the part's earlier bytes could not be hashed
};

size_t WriteToPartFile(char* data, size_t size, size_t count, void* user) {
    auto* w = static_cast<PartWriter*>(user);
    const size_t n = size * count;
    if (!w->file->Write(data, n)) {
        return 0;
    }
    if (w->md5 != nullptr) {
        w->md5->Update(data, n);
    }
    return n;
}

// Hashes what a partial file already holds, before the transfer appends to it.
bool HashExisting(const std::string& path, int64_t size, Utils::Md5& md5) {
    platform::File in;
    if (!in.Open(path, platform::File::Mode::Read)) {
        return false;
    }
    std::string buf(1 << 20, '\0');
    int64_t left = size;
    while (left > 0) {
        const int64_t n =
            in.Read(buf.data(),
                    static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(buf.size()))));
        if (n <= 0) {
            return false;
        }
        md5.Update(buf.data(), static_cast<size_t>(n));
        left -= n;
    }
    return true;
}

std::wstring CurlText(CURLcode code) {
    return Utils::ToWide(curl_easy_strerror(code), Utils::kCodePageAcp);
}

std::string Narrow(const std::wstring& s) {
    return Utils::ToNarrow(s, Utils::kCodePageAcp);
}

// The telemetry report of a probe that found no usable status.
void ReportProbeStatus(long status) {
    wchar_t reason[200];
    swprintf(reason, 200, L"1.获取文件大小的状态码为=%ld；", status);
    zorvane::telemetry::ReportTask(L"下载失败原因", 0.0f, reason, {{L"AB", L"IN"}});
}

}  // namespace

std::string CurlUrlBytes(const std::wstring& url) {
    return Utils::StartsWith(url, L"file:///") ? Utils::ToNarrow(url, Utils::kCodePageAcp)
                                               : Utils::ToNarrow(url, Utils::kCodePageUtf8);
}

CurlClient::CurlClient(std::wstring url_, std::wstring savePath_, void* owner_,
                       CurlProgressSink sink)
    : url(std::move(url_)), savePath(std::move(savePath_)), owner(owner_), progressSink(sink) {}

CurlClient::~CurlClient() {
    cancelled = true;
    platform::RemoveFile(Narrow(savePath + L".part"));
    url.clear();
    savePath.clear();
    realUrl.clear();
}

CURLcode CurlClient::SetProbeOptions(CURL* handle, const std::string& address) {
    int rc = 0;
    rc |= curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    rc |= curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    rc |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, DiscardBody);
    rc |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    rc |= curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    // A probe of a stalled server must still end when the owner goes away.
    rc |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    rc |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, ProbeCancelCallback);
    rc |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    return static_cast<CURLcode>(rc);
}

int CurlClient::ProbeCancelCallback(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlClient*>(client)->cancelled.load() ? 1 : 0;
}

CURL* CurlClient::Head(const std::string& address) {
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        return nullptr;
    }
    CURLcode rc = SetProbeOptions(handle, address);
    rc = static_cast<CURLcode>(rc | curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L));
    if (rc == CURLE_OK) {
        rc = curl_easy_perform(handle);
        if (rc != CURLE_OK) {
            VQ_LOG_NOBREAK(L"error:%d:%ls", static_cast<int>(rc), CurlText(rc).c_str());
            VQ_LOG(L"error:%d:%ls", static_cast<int>(rc), CurlText(rc).c_str());
        }
    }
    return handle;
}

double CurlClient::GetDownloadFileLength(CURL* handle) {
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 ||
        status > 399) {
        ReportProbeStatus(status);
        return -1.0;
    }
    curl_off_t length = -1;
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) {
        return -1.0;
    }
    return static_cast<double>(length);
}

std::string CurlClient::GetRealUrl_Str(const std::string& address) {
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        return address;
    }
    std::string result = address;
    CURLcode rc = SetProbeOptions(handle, address);
    rc = static_cast<CURLcode>(rc | curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L));
    if (rc == CURLE_OK) {
        rc = curl_easy_perform(handle);
        char* effective = nullptr;
        if (rc == CURLE_OK &&
            curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
            effective != nullptr && *effective != '\0') {
            result = effective;
        } else if (rc != CURLE_OK) {
            VQ_LOG_NOBREAK(L"error:%d:%ls", static_cast<int>(rc), CurlText(rc).c_str());
        }
    }
    curl_easy_cleanup(handle);
    return result;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& address) {
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        return -1.0;
    }
    CURLcode rc = SetProbeOptions(handle, address);
    rc = static_cast<CURLcode>(rc | curl_easy_setopt(handle, CURLOPT_HEADER, 1L));
    if (rc != CURLE_OK) {
        curl_easy_cleanup(handle);
        return -1.0;
    }
    rc = curl_easy_perform(handle);
    if (rc != CURLE_OK) {
        VQ_LOG(L"error:%d:%ls", static_cast<int>(rc), CurlText(rc).c_str());
    }
    long status = 0;
    if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 200 ||
        status > 400) {
        ReportProbeStatus(status);
    }
    curl_off_t length = -1;
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) {
        length = -1;
    }
    curl_easy_cleanup(handle);
    return static_cast<double>(length);
}

int CurlClient::Start() {
    VQ_LOG(L"start download");
    m_contentMd5.clear();
    const std::string partPath = Narrow(savePath + L".part");
    const std::string targetPath = Narrow(savePath);
    const std::string address = CurlUrlBytes(url);

    if (realUrl.empty() || fileLength < kMinimumLength) {
        CURL* probe = Head(address);
        if (probe != nullptr) {
            char* effective = nullptr;
            realUrl = curl_easy_getinfo(probe, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK &&
                              effective != nullptr
                          ? effective
                          : "";
            fileLength = GetDownloadFileLength(probe);
            curl_easy_cleanup(probe);
        }
    }
    if (realUrl.empty() || fileLength < kMinimumLength) {
        realUrl = GetRealUrl_Str(address);
        if (!realUrl.empty()) {
            fileLength = GetDownloadFileLength_Str(realUrl);
        }
        if (fileLength < kMinimumLength) {
            return kLengthUnusable;
        }
    }

    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        return kNoHandle;
    }
    platform::File part;
    int err = 0;
    if (!part.Open(partPath, platform::File::Mode::Append, 0644, &err)) {
        errorText = Utils::ToWide(platform::ErrorText(err), Utils::kCodePageAcp).substr(0, 200);
        curl_easy_cleanup(handle);
        return kPartFileFailed;
    }

    curl_slist* headers = curl_slist_append(nullptr, "Connection: keep-alive");
    headers = curl_slist_append(headers, "Accept-Encoding: gzip, deflate");
    int rc = 0;
    rc |= curl_easy_setopt(handle, CURLOPT_URL, realUrl.c_str());
    rc |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    rc |= curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    rc |= curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(handle, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(handle, CURLOPT_TCP_KEEPIDLE, 10L);
    curl_easy_setopt(handle, CURLOPT_TCP_KEEPINTVL, 10L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 0L);
    resumeFrom = part.Size();
    Utils::Md5 md5;
    const bool hashing = resumeFrom <= 0 || HashExisting(partPath, resumeFrom, md5);
    PartWriter writer{&part, hashing ? &md5 : nullptr};
    rc |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteToPartFile);
    rc |= curl_easy_setopt(handle, CURLOPT_WRITEDATA, &writer);
    rc |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    rc |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
    rc |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    rc |= curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    if (resumeFrom > 0) {
        rc |= curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE,
                               static_cast<curl_off_t>(resumeFrom));
    }

    int result = rc;
    if (rc == CURLE_OK) {
        m_transfer = handle;
        result = curl_easy_perform(handle);
        m_transfer = nullptr;
    }
    VQ_LOG(L"error:%d:%ls", result, CurlText(static_cast<CURLcode>(result)).c_str());
    curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
    part.Close();

    if (result == CURLE_OK) {
        // A file that cannot be put in place is no download: report it, keep the part.
        platform::RemoveFile(targetPath);
        if (!platform::RenameFile(partPath, targetPath)) {
            result = kRenameFailed;
        } else if (hashing) {
            m_contentMd5 = md5.FinishHex();
        }
    }
    VQ_LOG(L"end download");
    return result;
}

int CurlClient::ProgressCallback(void* clientPtr, curl_off_t dltotal, curl_off_t dlnow, curl_off_t,
                                 curl_off_t) {
    auto* client = static_cast<CurlClient*>(clientPtr);
    if (client->cancelled.load()) {
        return 1;
    }
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (now < client->lastTick + 1) {
        return 0;
    }
    client->lastTick = now;
    curl_off_t bytesPerSecond = 0;
    if (client->m_transfer == nullptr ||
        curl_easy_getinfo(client->m_transfer, CURLINFO_SPEED_DOWNLOAD_T, &bytesPerSecond) !=
            CURLE_OK) {
        bytesPerSecond = 0;
    }
    const double speed = static_cast<double>(bytesPerSecond);
    double percent = 0.0;
    if (client->fileLength > kMinimumLength) {
        percent = (static_cast<double>(dlnow) + static_cast<double>(client->resumeFrom)) /
                  client->fileLength * 100.0;
    } else {
        if (dlnow <= 0 || dltotal <= 0) {
            return 0;
        }
        percent = static_cast<double>(dlnow) * 100.0 / static_cast<double>(dltotal);
    }
    if (percent == 0.0) {
        return 0;
    }
    client->progressSink(client->owner, speed, 0.0, percent);
    if (dltotal != 0) {
        VQ_LOG_NOBREAK(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(dlnow / 1048576),
                       static_cast<int>(dltotal / 1048576),
                       static_cast<double>(static_cast<float>(percent)),
                       static_cast<double>(static_cast<float>(speed / 1024.0)));
    }
    return 0;
}
