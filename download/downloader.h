// CDownloader: the one interface of the three downloaders, and StatusCallback, the
// (code, value, text) notification every stage of the pipeline reports through.
#pragma once

#include <functional>

// A copyable callable taking (code, value, text). The text is valid only during the
// call; receivers copy what they keep. Called on the reporting worker thread.
using StatusCallback = std::function<void(int code, double value, const wchar_t* text)>;

// Download notification codes.
enum DownloadCode : int {
    DL_CODE_START = 1001,     // value 1.0, text ""
    DL_CODE_PROGRESS = 1002,  // value: fraction done 0..1, text ""
    DL_CODE_SUCCESS = 1003,   // value 0.0, text "LibCurl" or "URLDownloadToFile"
    DL_CODE_FAIL = 1004,      // value: error code or 0.0
    DL_CODE_RETRY = 1005,     // value: as for 1004; the owner calls Start once more
    DL_CODE_REPORT = 1006,    // value 0.0, text: a checksum report
};

class CDownloader {
public:
    virtual ~CDownloader() = default;
    // Starts (or restarts) the download on the downloader's own thread; returns at once.
    virtual void Start() = 0;
};
