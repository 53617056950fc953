// The blocking download on libcurl's easy interface.
#include "download/blocking_download.h"

#include <curl/curl.h>

#include "platform/files.h"

namespace {

struct Transfer {
    platform::File* file;
    const BindProgress* progress;
    curl_off_t lastReported = -1;
    bool aborted = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    return t->file->Write(data, n) ? n : 0;
}

int OnProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (!*t->progress || dlnow == t->lastReported) {
        return 0;
    }
    t->lastReported = dlnow;
    const int32_t answer =
        (*t->progress)(static_cast<uint64_t>(dlnow), static_cast<uint64_t>(dltotal));
    if (answer == kResultAborted) {
        t->aborted = true;
        return 1;
    }
    return 0;
}

// The system service takes addresses libcurl's parser refuses (a blank in a
// "file:///" path); those bytes go to libcurl escaped, which it decodes again.
std::string EscapeForCurl(const std::string& url) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : url) {
        auto c = static_cast<unsigned char>(ch);
        if (c <= 32 || c == 127) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace

int32_t BlockingDownloadToFile(const std::string& url, const std::string& path,
                               const BindProgress& progress) {
    const std::string temp = path + ".dltmp";
    platform::File file;
    if (!file.Open(temp, platform::File::Mode::Truncate)) {
        return kResultCannotWrite;
    }
    CURL* handle = curl_easy_init();
    if (handle == nullptr) {
        file.Close();
        platform::RemoveFile(temp);
        return kResultFailed;
    }
    Transfer t{&file, &progress};
    const std::string address = EscapeForCurl(url);
    curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
    // No overall limit, but a connection that delivers nothing for a minute is dead.
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &t);
    const CURLcode rc = curl_easy_perform(handle);
    curl_easy_cleanup(handle);
    const bool flushed = file.Sync();
    file.Close();

    int32_t result = kResultOk;
    if (t.aborted) {
        result = kResultAborted;
    } else if (rc == CURLE_HTTP_RETURNED_ERROR) {
        result = kResultNotFound;
    } else if (rc != CURLE_OK) {
        result = kResultFailed;
    } else if (!flushed || !platform::RenameFile(temp, path)) {
        result = kResultCannotWrite;
    }
    if (result != kResultOk) {
        platform::RemoveFile(temp);
    }
    return result;
}
