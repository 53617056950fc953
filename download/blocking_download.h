// A blocking download of an address into a file, with the contract the system URL
// download service gives: (progress, maximum) pairs reported while it runs, a stop
// with kResultAborted when the callback answers so, and kResultOk only when the
// whole file is in place (it is written beside the target and renamed at the end).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Result codes, numbered as the system service numbers them.
constexpr int32_t kResultOk = 0;                                       // S_OK
constexpr int32_t kResultAborted = static_cast<int32_t>(0x80004004u);  // E_ABORT
constexpr int32_t kResultNotFound =
    static_cast<int32_t>(0x800C0005u);  // resource not found (HTTP 4xx/5xx)
constexpr int32_t kResultFailed = static_cast<int32_t>(0x800C0008u);       // download failure
constexpr int32_t kResultCannotWrite = static_cast<int32_t>(0x800C0007u);  // no data / cannot store

// Answers kResultOk to go on, kResultAborted to stop the download.
using BindProgress = std::function<int32_t(uint64_t progress, uint64_t maximum)>;

// Downloads `url` (UTF-8 bytes) into `path`. Called on the caller's thread; returns
// when done. Certificate verification stays on.
int32_t BlockingDownloadToFile(const std::string& url, const std::string& path,
                               const BindProgress& progress);
