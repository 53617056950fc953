// The record queue: at most 1024 serialised records, sent in batches of 30 as a
// gzip + Base64 + URL-escaped form body, a failed batch put back at the head, and the
// rest kept across runs in a staging file.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace analytics_sdk {

struct HttpResponse {
    long status = -1;  // -1 when the transfer itself failed
    std::string body;  // the response, or the transfer error's text
};

class HttpRequest {
public:
    // A POST of `body` as form data: 3-second total limit, no redirects, certificate
    // verification on.
    HttpResponse Post(const std::string& url, const std::string& body,
                      const std::string& contentType,
                      const std::vector<std::pair<std::string, std::string>>& headers);
};

// "data_list=" + URL-escaped Base64 of the gzip of `text` + "&gzip=1"; false when the
// compression failed (the message is on standard error).
bool EncodeBatchBody(const std::string& text, std::string& body);
std::string Base64Encode(const std::string& bytes);
std::string UrlEscape(const std::string& text);

class BatchSender {
public:
    explicit BatchSender(std::string url) : m_url(std::move(url)) {}
    // True only when the collector answered 200.
    bool Send(const std::string& batchText);

private:
    std::string m_url;
};

class RecordQueue {
public:
    static constexpr size_t kMaximum = 1024;
    static constexpr size_t kBatch = 30;

    RecordQueue(std::string stagingFilePath, std::string collectionUrl);

    void Enqueue(const std::string& record);
    bool SendBatch();
    bool FlushAll();
    // Loads the staging file (once) and saves everything queued into it.
    void Close();

    std::vector<std::string> Records() const;

private:
    void LoadStagingFile();
    void SaveStagingFile();

    std::deque<std::string> m_records;
    std::string m_stagingPath;
    bool m_needsLoad = true;
    mutable std::recursive_mutex m_recordsLock;
    std::mutex m_sendingLock;
    std::unique_ptr<BatchSender> m_sender;
};

}  // namespace analytics_sdk
