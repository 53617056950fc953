// The status stream an uninstaller or a package writes to its standard output:
// key=value lines turned into notifications.
//
// Bytes are gathered into whole lines before they are decoded, so a character split
// by a read boundary survives, and an "Encode=" line applies from the next line on.
#pragma once

#include <string>
#include <vector>

// Uninstall notifications.
enum UninstallCode : int {
    UNIST_CODE_START = 5001,
    UNIST_CODE_PROGRESS = 5002,
    UNIST_CODE_SUCCESS = 5003,
    UNIST_CODE_FAIL = 5004,
    UNIST_CODE_ERROR = 5005,
};

// Package notifications and the package's results.
enum InstallCode : int {
    IST_CODE_START = 2001,
    IST_CODE_PROGRESS = 2002,
    IST_CODE_SUCCESS = 2003,
    IST_CODE_FAIL = 2004,
    IST_CODE_INST_PATH = 3000,
    IST_CODE_EXE_PATH = 3001,
    IST_CODE_UNINST_EXE_PATH = 3002,
    IST_CODE_UNINST_EP = 3003,
    IST_CODE_START_URL = 3004,
    IST_CODE_STARTUP_STYLE = 3005,
    IST_CODE_TOP_SHOW_DETENTION = 3007,
    IST_CODE_FINISH_CLOSE_DETENTION = 3008,
    IST_CODE_MESSAGE = 3009,
};

struct StreamNotification {
    int code;
    double value;
    std::wstring text;
};

class StatusStreamParser {
public:
    enum class Kind { Uninstaller, Package };
    static constexpr size_t kMaxTextChars = 771;

    explicit StatusStreamParser(Kind kind);

    // Takes the next bytes of the stream; every line completed by them is decoded and
    // parsed, its notifications appended to `out`.
    void Feed(const char* data, size_t size, std::vector<StreamNotification>& out);
    // The stream ended: a last line without a line feed is parsed too.
    void Finish(std::vector<StreamNotification>& out);

    // A decisive line (a state, an error) was seen.
    bool Decided() const { return m_decided; }
    // Lines after the decisive one are ignored (the package's stream: its verdict is
    // final, whatever else the same read brought). The uninstaller's stream goes on.
    void StopAtDecision(bool stop) { m_stopAtDecision = stop; }
    int CodePage() const { return m_codePage; }
    // The version from "InstallVersion=a.b.c" (package streams), zeros until seen.
    int InstallVersion[3] = {0, 0, 0};

private:
    void ParseLine(const std::string& bytes, std::vector<StreamNotification>& out);
    void ParseUninstallerLine(const std::wstring& line, std::vector<StreamNotification>& out);
    void ParsePackageLine(const std::wstring& line, std::vector<StreamNotification>& out);

    Kind m_kind;
    std::string m_pending;  // bytes of a line not yet ended
    int m_codePage = 0;
    bool m_decided = false;
    bool m_stopAtDecision = false;
    double m_progress = 0.0;  // the value of the last "Progress=" line
};
