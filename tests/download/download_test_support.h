// Shared pieces of the download tests: package bytes, a notification recorder, and a
// package server on a random loopback port.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "download/downloader.h"
#include "tools/package_server/package_server.h"

namespace testsupport {

// Deterministic pseudo-random bytes.
std::string PackageBytes(size_t size, unsigned seed = 1);

struct Event {
    int code;
    double value;
    std::wstring text;
};

// Records every notification; waits for a final one (1003 or 1004, or whatever
// `isFinal` says). `onEvent` runs inside the callback, on the downloader's thread.
class Recorder {
public:
    StatusCallback Callback();
    // True when a final event arrived within the time limit.
    bool WaitForFinal(std::chrono::seconds limit = std::chrono::seconds(120));
    std::vector<Event> Events() const;
    // The events without the 1002 progress reports.
    std::vector<Event> Reports() const;
    // The codes in order, without the 1002 progress reports.
    std::vector<int> Codes() const;
    std::vector<double> ProgressValues() const;

    std::function<void(const Event&)> onEvent;
    std::function<bool(const Event&)> isFinal = [](const Event& e) {
        return e.code == DL_CODE_SUCCESS || e.code == DL_CODE_FAIL;
    };

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Event> m_events;
    bool m_final = false;
};

// Initialises libcurl once for the test process.
void InitCurlOnce();

}  // namespace testsupport
