// Shared pieces of the download tests.
#include "tests/download/download_test_support.h"

#include <curl/curl.h>

#include <random>

namespace testsupport {

std::string PackageBytes(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; i += 4) {
        uint32_t v = rng();
        for (size_t k = 0; k < 4 && i + k < size; ++k) {
            bytes[i + k] = static_cast<char>(v >> (8 * k));
        }
    }
    return bytes;
}

StatusCallback Recorder::Callback() {
    return [this](int code, double value, const wchar_t* text) {
        Event e{code, value, text != nullptr ? text : L""};
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(e);
        }
        if (onEvent) {
            onEvent(e);
        }
        if (isFinal(e)) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_final = true;
            m_cv.notify_all();
        }
    };
}

bool Recorder::WaitForFinal(std::chrono::seconds limit) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, limit, [this] { return m_final; });
}

std::vector<Event> Recorder::Events() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

std::vector<Event> Recorder::Reports() const {
    std::vector<Event> reports;
    for (const Event& e : Events()) {
        if (e.code != DL_CODE_PROGRESS) {
            reports.push_back(e);
        }
    }
    return reports;
}

std::vector<int> Recorder::Codes() const {
    std::vector<int> codes;
    for (const Event& e : Events()) {
        if (e.code != DL_CODE_PROGRESS) {
            codes.push_back(e.code);
        }
    }
    return codes;
}

std::vector<double> Recorder::ProgressValues() const {
    std::vector<double> values;
    for (const Event& e : Events()) {
        if (e.code == DL_CODE_PROGRESS) {
            values.push_back(e.value);
        }
    }
    return values;
}

void InitCurlOnce() {
    static const bool done = [] { return curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK; }();
    (void)done;
}

}  // namespace testsupport
