// CMTCurlDownloader: the package in one or two byte ranges fetched in parallel, each
// into its own part file with its own retries; a joiner merges the parts, verifies
// the MD5 carried in the address, and reports. One whole-download retry per life,
// resuming from the part files that are left.
//
// Offsets and lengths are 64-bit, so packages of 2 GiB and more download.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "download/downloader.h"
#include "platform/files.h"
#include "utils/thread.h"

class CMTCurlDownloader : public CDownloader {
public:
    // Range states beside libcurl's codes.
    static constexpr int kStatePending = -1;
    static constexpr int kStatePartFileFailed = -2;
    static constexpr int kStateMergeFailed = -3;  // the parts could not be joined into the package

    static constexpr int64_t kRangeUnit = 10485760;  // a range per 10 MiB, at most two

    struct DownloadPartNode {
        platform::File file;
        int64_t writePos = 0;
        int64_t endPos = -1;
        CURL* handle = nullptr;
        std::string url;
        std::string partPath;
        int state = kStatePending;
        int64_t downloaded = 0;
        CMTCurlDownloader* owner = nullptr;
    };

    // Deletes the target and its part files "_0" and "_1". Nothing runs yet.
    CMTCurlDownloader(StatusCallback callback, std::wstring url, std::wstring savePath);
    // Cancels the ranges and waits for every thread of the downloader; no notification
    // follows.
    ~CMTCurlDownloader() override;

    // Joins the previous run's worker and starts a new run. Called from the joiner's
    // 1005 notification, it resumes from the part files that are left.
    void Start() override;

    // The byte ranges for a file length: one below 20 MiB, two from there on; the last
    // takes the remainder. Each pair is (first byte, last byte).
    static std::vector<std::pair<int64_t, int64_t>> SplitRanges(int64_t fileLength);

private:
    static void Start_Down(void* self);
    bool getRealDownloadUrl(const std::string& address);
    int downloadExe(DownloadPartNode& range);
    static void downloadThreadFun(CMTCurlDownloader* self, DownloadPartNode* range);
    static void waitForFinishThreadFun(CMTCurlDownloader* self);
    static size_t RangeWriter(char* data, size_t size, size_t count, void* range);
    static int ProgressHook(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    void ClearSegments();
    void DeletePartFiles();
    bool MergeParts();
    void Notify(int code, double value, const wchar_t* text);
    void LaunchThread(std::function<void()> body);
    void JoinFinishedThreads();

    std::vector<std::unique_ptr<DownloadPartNode>> segments;
    StatusCallback callback;
    std::wstring savePath;
    std::wstring url;
    std::string realUrl;
    int64_t fileLength = -1;
    std::string urlMd5;
    double lastPercent = 0.0;
    std::atomic<int> activeSegments{0};
    int64_t lastTick = 0;
    bool retryUsed = false;
    std::unique_ptr<Utils::Thread> worker;
    std::mutex lock;

    std::string m_savePath8;  // savePath in the system code page
    std::atomic<bool> m_cancelled{false};
    // Range and joiner threads; joined before a new run prepares its ranges and at
    // destruction, so the downloader outlives them all.
    std::mutex m_threadsLock;
    std::vector<std::thread> m_threads;
};
