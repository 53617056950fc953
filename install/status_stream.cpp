// Decoding and parsing of the status stream.
#include "install/status_stream.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include "utils/text.h"

namespace {

// "Key=" at the start of the line: the rest, or false.
bool TakeKey(const std::wstring& line, const wchar_t* key, std::wstring& rest) {
    const size_t n = std::wcslen(key);
    if (line.compare(0, n, key) != 0) {
        return false;
    }
    rest = line.substr(n);
    return true;
}

// "%[^\n]": at least one character, at most the text limit.
bool TakeText(const std::wstring& line, const wchar_t* key, std::wstring& text) {
    std::wstring rest;
    if (!TakeKey(line, key, rest) || rest.empty()) {
        return false;
    }
    text = rest.substr(0, StatusStreamParser::kMaxTextChars);
    return true;
}

// "%lf": a number must start the value (blanks first allowed).
bool TakeDouble(const std::wstring& line, const wchar_t* key, double& value) {
    std::wstring rest;
    if (!TakeKey(line, key, rest)) {
        return false;
    }
    wchar_t* end = nullptr;
    value = std::wcstod(rest.c_str(), &end);
    return end != rest.c_str();
}

// "%d" into 32 bits, wrapping like the C library's conversion does on overflow.
bool ReadInt(const wchar_t* text, wchar_t** end, int32_t& value) {
    long long v = std::wcstoll(text, end, 10);
    if (*end == text) {
        return false;
    }
    value = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(v)));
    return true;
}

bool TakeInt(const std::wstring& line, const wchar_t* key, int32_t& value) {
    std::wstring rest;
    if (!TakeKey(line, key, rest)) {
        return false;
    }
    wchar_t* end = nullptr;
    return ReadInt(rest.c_str(), &end, value);
}

}  // namespace

StatusStreamParser::StatusStreamParser(Kind kind) : m_kind(kind) {}

void StatusStreamParser::Feed(const char* data, size_t size, std::vector<StreamNotification>& out) {
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            m_pending.append(data + start, i - start);
            ParseLine(m_pending, out);
            m_pending.clear();
            start = i + 1;
        }
    }
    m_pending.append(data + start, size - start);
}

void StatusStreamParser::Finish(std::vector<StreamNotification>& out) {
    if (!m_pending.empty()) {
        ParseLine(m_pending, out);
        m_pending.clear();
    }
}

void StatusStreamParser::ParseLine(const std::string& bytes, std::vector<StreamNotification>& out) {
    if (m_decided && m_stopAtDecision) {
        return;
    }
    // Decoding stops at a zero byte, as it always has for this stream.
    const std::wstring line = Utils::ToWide(bytes, static_cast<unsigned>(m_codePage));
    if (m_kind == Kind::Uninstaller) {
        ParseUninstallerLine(line, out);
    } else {
        ParsePackageLine(line, out);
    }
}

void StatusStreamParser::ParseUninstallerLine(const std::wstring& line,
                                              std::vector<StreamNotification>& out) {
    double number = 0.0;
    std::wstring text;
    if (TakeDouble(line, L"Progress=", number)) {
        out.push_back({UNIST_CODE_PROGRESS, number, L""});
    } else if (TakeText(line, L"Error=", text)) {
        out.push_back({UNIST_CODE_ERROR, 0.0, text});
        m_decided = true;
    } else if (TakeText(line, L"State=", text)) {
        const std::wstring state = Utils::Trim(text);
        if (state == L"Success") {
            out.push_back({UNIST_CODE_SUCCESS, 0.0, L""});
            m_decided = true;
        } else if (state == L"Fail") {
            out.push_back({UNIST_CODE_ERROR, 0.0, L"安装包卸载失败"});
            m_decided = true;
        }
    } else if (TakeText(line, L"Encode=", text)) {
        m_codePage = Utils::Trim(text) == L"UTF8" ? static_cast<int>(Utils::kCodePageUtf8) : 0;
    }
}

void StatusStreamParser::ParsePackageLine(const std::wstring& line,
                                          std::vector<StreamNotification>& out) {
    double number = 0.0;
    int32_t integer = 0;
    std::wstring text;
    if (TakeDouble(line, L"Progress=", number)) {
        m_progress = number;
        out.push_back({IST_CODE_PROGRESS, number, L""});
    } else if (TakeText(line, L"InstPath=", text)) {
        out.push_back({IST_CODE_INST_PATH, m_progress, text});
    } else if (TakeText(line, L"State=", text)) {
        const std::wstring state = Utils::Trim(text);
        if (state == L"Success") {
            out.push_back({IST_CODE_SUCCESS, m_progress, L""});
            m_decided = true;
        } else if (state == L"Fail") {
            out.push_back({IST_CODE_FAIL, m_progress, L"安装包安装失败"});
            m_decided = true;
        }
    } else if (std::wstring rest; TakeKey(line, L"InstallVersion=", rest)) {
        int32_t v[3];
        wchar_t* p = rest.data();
        wchar_t* end = nullptr;
        bool ok = true;
        for (int i = 0; i < 3 && ok; ++i) {
            ok = ReadInt(p, &end, v[i]) && (i == 2 || *end == L'.');
            p = end + (i < 2 ? 1 : 0);
        }
        if (ok) {
            for (int i = 0; i < 3; ++i) {
                InstallVersion[i] = v[i];
            }
        }
    } else if (TakeText(line, L"ExePath=", text) || TakeText(line, L"StartExe=", text)) {
        out.push_back({IST_CODE_EXE_PATH, m_progress, text});
    } else if (TakeText(line, L"UninstExePath=", text) || TakeText(line, L"UninstExe=", text)) {
        out.push_back({IST_CODE_UNINST_EXE_PATH, m_progress, text});
    } else if (TakeText(line, L"UninstEp=", text)) {
        out.push_back({IST_CODE_UNINST_EP, m_progress, text});
    } else if (TakeText(line, L"Error=", text)) {
        out.push_back({IST_CODE_FAIL, 1000.0, text});
        m_decided = true;
    } else if (TakeInt(line, L"TopShowDetention=", integer)) {
        out.push_back({IST_CODE_TOP_SHOW_DETENTION,
                       static_cast<double>(static_cast<uint32_t>(integer)), L""});
    } else if (TakeInt(line, L"FinsihCloseDetention=", integer)) {
        out.push_back({IST_CODE_FINISH_CLOSE_DETENTION,
                       static_cast<double>(static_cast<uint32_t>(integer)), L""});
    } else if (TakeText(line, L"StartUrl=", text)) {
        out.push_back({IST_CODE_START_URL, m_progress, text});
    } else if (TakeText(line, L"StartupStyle=", text)) {
        const std::wstring style = Utils::Trim(text);
        const double value = style == L"AutoStartup" ? 1.0 : style == L"UserStartup" ? 2.0 : 0.0;
        out.push_back({IST_CODE_STARTUP_STYLE, value, L""});
    } else if (TakeText(line, L"Encode=", text)) {
        const std::wstring encode = Utils::Trim(text);
        if (encode == L"UTF8") {
            m_codePage = static_cast<int>(Utils::kCodePageUtf8);
        } else if (encode == L"ACP") {
            m_codePage = 0;
        } else {
            // A code page this installer can decode, else the system's.
            wchar_t* end = nullptr;
            const long cp = std::wcstol(encode.c_str(), &end, 10);
            const bool known = end != encode.c_str() && *end == L'\0' &&
                               (cp == static_cast<long>(Utils::kCodePageGbk) ||
                                cp == static_cast<long>(Utils::kCodePageUtf8));
            m_codePage = known ? static_cast<int>(cp) : 0;
        }
    } else if (TakeText(line, L"Message=", text)) {
        out.push_back({IST_CODE_MESSAGE, m_progress, text});
    }
}
