// CurlClient: fetches one file of at least 1 MiB into "<savePath>.part", resuming
// from what that file already holds, and renames it to savePath when complete.
// It probes the address first (following redirects) for the effective address and
// the length, and reports percentage and speed at most once per wall-clock second.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "utils/md5.h"

// Progress sink: (owner, bytes per second, always 0.0, percentage 0–100).
using CurlProgressSink = void (*)(void* owner, double speed, double unused, double percent);

class CurlClient {
public:
    // The client's own results of Start, beside libcurl's codes.
    static constexpr int kLengthUnusable = -998;  // unknown or below 1 MiB: nothing transferred
    static constexpr int kNoHandle = -997;        // no transfer handle could be made
    static constexpr int kPartFileFailed = -996;  // the ".part" file could not be opened
    static constexpr int kRenameFailed = -995;    // the finished file could not be moved into place
    static constexpr double kMinimumLength = 1048576.0;

    CurlClient(std::wstring url, std::wstring savePath, void* owner, CurlProgressSink sink);
    // Deletes the partial file and cancels a transfer still running.
    ~CurlClient();
    CurlClient(const CurlClient&) = delete;
    CurlClient& operator=(const CurlClient&) = delete;

    // 0 when the file is complete at savePath; otherwise a libcurl code (positive) or
    // one of the codes above. Called on the owner's worker thread.
    int Start();

    // Makes the running transfer (and any later one) stop at its next progress call,
    // with libcurl's code 42. Any thread.
    void Cancel() { cancelled = true; }
    bool Cancelled() const { return cancelled.load(); }

    // The effective address learned by the probes (kept across Start calls).
    const std::string& RealUrl() const { return realUrl; }
    double FileLength() const { return fileLength; }
    const std::wstring& ErrorText() const { return errorText; }
    // MD5 of the file the last successful Start put in place, computed while the bytes
    // arrived (so the package is not read back a second time); empty when unknown.
    const std::string& ContentMd5() const { return m_contentMd5; }

    // Probes. Each makes its own handle.
    // A body-less request that follows redirects; the handle is returned even when the
    // request failed (the caller reads it and releases it), null when none could be made.
    CURL* Head(const std::string& url);
    // The content length of a finished probe handle; -1.0 when its status is not
    // within 200–399 (then a telemetry report is made).
    double GetDownloadFileLength(CURL* handle);
    // The effective address after redirects, or `url` itself when there is none.
    std::string GetRealUrl_Str(const std::string& url);
    // The content length of a body-less request that also asks for the headers; -1.0
    // when the request cannot be set up. A status outside 200–400 is reported but the
    // length is still returned.
    double GetDownloadFileLength_Str(const std::string& url);

private:
    static int ProgressCallback(void* client, curl_off_t dltotal, curl_off_t dlnow,
                                curl_off_t ultotal, curl_off_t ulnow);
    static int ProbeCancelCallback(void* client, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    CURLcode SetProbeOptions(CURL* handle, const std::string& url);

    std::wstring url;
    std::wstring savePath;
    void* owner;
    CurlProgressSink progressSink;
    double fileLength = -1.0;
    int64_t resumeFrom = -1;
    int64_t lastTick = 0;
    std::atomic<bool> cancelled{false};
    std::wstring errorText;
    std::string realUrl;
    CURL* m_transfer = nullptr;  // the handle of the running transfer, for the speed
    std::string m_contentMd5;
};

// The 8-bit form of an address for libcurl: UTF-8, or the system code page for
// "file:///" addresses.
std::string CurlUrlBytes(const std::wstring& url);
