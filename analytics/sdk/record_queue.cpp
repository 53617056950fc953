// The record queue, the batch body and the upload.
#include "analytics/sdk/record_queue.h"

#include <curl/curl.h>
#include <zlib.h>

#include <iostream>

#include "platform/files.h"

namespace analytics_sdk {
namespace {

size_t CollectBody(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

}  // namespace

HttpResponse HttpRequest::Post(const std::string& url, const std::string& body,
                               const std::string& contentType,
                               const std::vector<std::pair<std::string, std::string>>& headers) {
    HttpResponse response;
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        std::cerr << "Couldn't initialize curl handle" << std::endl;
        response.body = "Couldn't initialize curl handle";
        return response;
    }
    curl_slist* list = nullptr;
    if (!contentType.empty()) {
        list = curl_slist_append(list, ("Content-Type: " + contentType).c_str());
    }
    for (const auto& [name, value] : headers) {
        list = curl_slist_append(list, (name + ": " + value).c_str());
    }
    std::string received;
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_USERAGENT, "Analytics CPP SDK 0.7");
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 3L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, body.data());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, CollectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &received);
    if (list != nullptr) {
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, list);
    }
    const CURLcode rc = curl_easy_perform(handle);
    if (rc != CURLE_OK) {
        response.status = -1;
        response.body = curl_easy_strerror(rc);
    } else {
        long status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        response.status = status;
        response.body = std::move(received);
    }
    curl_slist_free_all(list);
    curl_easy_cleanup(handle);
    return response;
}

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsUnreserved(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// Appends `c`, URL-escaped when it is not unreserved.
void AppendEscapedByte(std::string& out, unsigned char c) {
    static const char kHex[] = "0123456789ABCDEF";
    if (IsUnreserved(c)) {
        out += static_cast<char>(c);
    } else {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
}

// Base64 of `bytes`, each output character passed to `emit`.
template <typename Emit>
void Base64Each(const std::string& bytes, Emit&& emit) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
        emit(kBase64[(v >> 18) & 63]);
        emit(kBase64[(v >> 12) & 63]);
        emit(kBase64[(v >> 6) & 63]);
        emit(kBase64[v & 63]);
    }
    if (i + 1 == bytes.size()) {
        const uint32_t v = uint32_t{p[i]} << 16;
        emit(kBase64[(v >> 18) & 63]);
        emit(kBase64[(v >> 12) & 63]);
        emit('=');
        emit('=');
    } else if (i + 2 == bytes.size()) {
        const uint32_t v = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8);
        emit(kBase64[(v >> 18) & 63]);
        emit(kBase64[(v >> 12) & 63]);
        emit(kBase64[(v >> 6) & 63]);
        emit('=');
    }
}

}  // namespace

std::string Base64Encode(const std::string& bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    Base64Each(bytes, [&](char c) { out += c; });
    return out;
}

std::string UrlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char ch : text) {
        AppendEscapedByte(out, static_cast<unsigned char>(ch));
    }
    return out;
}

namespace {

// One level-9 gzip stream per thread, reset between batches: a fresh stream would
// allocate and clear about 270 KB of state for every batch, which costs more than
// compressing a batch of records.
class GzipStream {
public:
    GzipStream() { ready_ = deflateInit2(&zs_, 9, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~GzipStream() {
        if (ready_) deflateEnd(&zs_);
    }
    GzipStream(const GzipStream&) = delete;
    GzipStream& operator=(const GzipStream&) = delete;

    bool Compress(const std::string& text, std::string& out) {
        if (!ready_) {
            std::cerr << "deflateInit2 failed while compressing." << std::endl;
            return false;
        }
        deflateReset(&zs_);
        out.resize(deflateBound(&zs_, static_cast<uLong>(text.size())) + 32);
        zs_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        zs_.avail_in = static_cast<uInt>(text.size());
        zs_.next_out = reinterpret_cast<Bytef*>(out.data());
        zs_.avail_out = static_cast<uInt>(out.size());
        int rc = deflate(&zs_, Z_FINISH);
        if (rc != Z_STREAM_END) {
            std::cerr << "Exception during zlib compression: (" << rc << ") "
                      << (zs_.msg != nullptr ? zs_.msg : "") << std::endl;
            return false;
        }
        out.resize(zs_.total_out);
        return true;
    }

private:
    z_stream zs_{};
    bool ready_ = false;
};

}  // namespace

bool EncodeBatchBody(const std::string& text, std::string& body) {
    thread_local GzipStream stream;
    thread_local std::string compressed;
    if (!stream.Compress(text, compressed)) {
        return false;
    }
    // One pass into the final buffer: Base64 and URL escaping together.
    body.clear();
    body.reserve(10 + (compressed.size() + 2) / 3 * 4 * 5 / 4 + 8);
    body += "data_list=";
    Base64Each(compressed, [&](char c) { AppendEscapedByte(body, static_cast<unsigned char>(c)); });
    body += "&gzip=1";
    return true;
}

bool BatchSender::Send(const std::string& batchText) {
    std::string body;
    if (!EncodeBatchBody(batchText, body)) {
        return false;
    }
    const HttpResponse response = HttpRequest().Post(m_url, body, "", {});
    if (response.status == 200) {
        return true;
    }
    std::cerr << "Analytics SDK send failed: " << response.body << std::endl;
    return false;
}

RecordQueue::RecordQueue(std::string stagingFilePath, std::string collectionUrl)
    : m_stagingPath(std::move(stagingFilePath)),
      m_sender(std::make_unique<BatchSender>(std::move(collectionUrl))) {}

void RecordQueue::Enqueue(const std::string& record) {
    std::lock_guard<std::recursive_mutex> lock(m_recordsLock);
    m_records.push_back(record);
    if (m_records.size() > kMaximum) {
        m_records.pop_front();
    }
}

void RecordQueue::LoadStagingFile() {
    std::lock_guard<std::recursive_mutex> lock(m_recordsLock);
    if (!m_needsLoad) {
        return;
    }
    const size_t free = kMaximum - std::min(kMaximum, m_records.size());
    if (free != 0) {
        std::string content;
        if (platform::ReadWholeFile(m_stagingPath, content)) {
            std::deque<std::string> loaded;
            size_t start = 0;
            while (start < content.size()) {
                size_t end = content.find('\n', start);
                if (end == std::string::npos) {
                    end = content.size();
                }
                std::string line = content.substr(start, end - start);
                start = end + 1;
                if (!line.empty() && line.front() == '{' && line.back() == '}') {
                    loaded.push_back(std::move(line));
                    if (loaded.size() > free) {
                        loaded.pop_front();
                    }
                }
            }
            m_records.insert(m_records.begin(), loaded.begin(), loaded.end());
        }
    }
    // Emptied even when nothing fitted: those records were given up for newer ones.
    // A plain truncation: an empty file needs no atomic replacement (nor its fsync).
    platform::File empty;
    if (empty.Open(m_stagingPath, platform::File::Mode::Truncate, 0600)) {
        empty.Close();
    }
    m_needsLoad = false;
}

void RecordQueue::SaveStagingFile() {
    std::string content;
    for (const std::string& r : m_records) {
        content += r;
        content += '\n';
    }
    // Written beside and renamed: a crash never leaves half a file; owner-only.
    platform::WriteFileAtomic(m_stagingPath, content, 0600);
}

bool RecordQueue::SendBatch() {
    LoadStagingFile();
    std::lock_guard<std::mutex> sending(m_sendingLock);
    std::vector<std::string> batch;
    {
        std::lock_guard<std::recursive_mutex> lock(m_recordsLock);
        const size_t n = std::min(m_records.size(), kBatch);
        if (n == 0) {
            return true;
        }
        batch.assign(m_records.begin(), m_records.begin() + static_cast<std::ptrdiff_t>(n));
        m_records.erase(m_records.begin(), m_records.begin() + static_cast<std::ptrdiff_t>(n));
    }
    std::string text = "[";
    for (size_t i = 0; i < batch.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += batch[i];
    }
    text += ']';
    const bool ok = m_sender->Send(text);
    if (!ok) {
        std::lock_guard<std::recursive_mutex> lock(m_recordsLock);
        const size_t free = kMaximum - std::min(kMaximum, m_records.size());
        const size_t keep = std::min(batch.size(), free);
        m_records.insert(m_records.begin(), batch.end() - static_cast<std::ptrdiff_t>(keep),
                         batch.end());
    }
    return ok;
}

bool RecordQueue::FlushAll() {
    LoadStagingFile();
    for (;;) {
        {
            std::lock_guard<std::recursive_mutex> lock(m_recordsLock);
            if (m_records.empty()) {
                return true;
            }
        }
        if (!SendBatch()) {
            return false;
        }
    }
}

void RecordQueue::Close() {
    std::lock_guard<std::recursive_mutex> lock(m_recordsLock);
    LoadStagingFile();
    SaveStagingFile();
    m_sender.reset();
}

std::vector<std::string> RecordQueue::Records() const {
    std::lock_guard<std::recursive_mutex> lock(m_recordsLock);
    return {m_records.begin(), m_records.end()};
}

}  // namespace analytics_sdk
