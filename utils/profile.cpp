// The ini reader/writer behind the profile functions.
#include "utils/profile.h"

#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/files.h"
#include "utils/text.h"

namespace Utils {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string TrimBytes(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) {
        ++b;
    }
    while (e > b && IsBlank(s[e - 1])) {
        --e;
    }
    return s.substr(b, e - b);
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// One line of the file, as read (without its line feed).
struct Line {
    std::string raw;
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    std::string name;   // section or key name, trimmed
    std::string value;  // key value, trimmed
};

std::vector<Line> SplitLines(const std::string& content) {
    std::vector<Line> lines;
    size_t pos = 0;
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        pos = 3;
    }
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        Line line;
        line.raw = content.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? content.size() : end + 1;
        std::string t = TrimBytes(line.raw);
        if (!t.empty() && t[0] == '[') {
            size_t close = t.find(']');
            line.kind = Line::Kind::Section;
            line.name =
                TrimBytes(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        } else if (!t.empty() && t[0] != ';' && t[0] != '#') {
            size_t eq = t.find('=');
            if (eq != std::string::npos) {
                line.kind = Line::Kind::Key;
                line.name = TrimBytes(t.substr(0, eq));
                line.value = TrimBytes(t.substr(eq + 1));
            }
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<std::string> Lookup(const std::string& section, const std::string& key,
                                  const std::string& path) {
    std::string content;
    if (!platform::ReadWholeFile(path, content)) {
        return std::nullopt;
    }
    bool inSection = false;
    for (const Line& line : SplitLines(content)) {
        if (line.kind == Line::Kind::Section) {
            inSection = EqualNoCase(line.name, section);
        } else if (inSection && line.kind == Line::Kind::Key && EqualNoCase(line.name, key)) {
            return line.value;
        }
    }
    return std::nullopt;
}

// Cuts UTF-8 bytes to at most `limit` bytes without leaving a partial character.
std::string CutUtf8(const std::string& s, size_t limit) {
    if (s.size() <= limit) {
        return s;
    }
    size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) {
        --n;
    }
    return s.substr(0, n);
}

int LeadingInt(const std::string& s) {
    // Leading blanks, an optional sign, then digits; no digits gives 0.
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) {
        ++i;
    }
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    long long value = 0;
    bool any = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        any = true;
        // Wraps like the 32-bit conversion it stands in for, without overflow in C++.
        value = (value * 10 + (s[i] - '0')) & 0xFFFFFFFFLL;
    }
    if (!any) {
        return 0;
    }
    auto u = static_cast<uint32_t>(value);
    if (negative) {
        u = 0u - u;
    }
    return static_cast<int>(u);
}

bool HasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                     const std::string& defaultText, size_t bufferBytes,
                                     const std::string& path) {
    if (bufferBytes == 0) {
        return {};
    }
    std::optional<std::string> value = Lookup(section, key, path);
    return CutUtf8(value ? *value : defaultText, bufferBytes - 1);
}

std::wstring GetPrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& defaultText, size_t bufferChars,
                                      const std::wstring& path) {
    if (bufferChars == 0) {
        return {};
    }
    std::optional<std::string> value =
        Lookup(ToNarrow(section, kCodePageUtf8), ToNarrow(key, kCodePageUtf8),
               ToNarrow(path, kCodePageAcp));
    std::wstring text = value ? ToWide(*value, kCodePageUtf8) : defaultText;
    if (text.size() > bufferChars - 1) {
        text.resize(bufferChars - 1);
    }
    return text;
}

int GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue,
                          const std::string& path) {
    std::optional<std::string> value = Lookup(section, key, path);
    return value ? LeadingInt(*value) : defaultValue;
}

int GetPrivateProfileIntW(const std::wstring& section, const std::wstring& key, int defaultValue,
                          const std::wstring& path) {
    return GetPrivateProfileIntA(ToNarrow(section, kCodePageUtf8), ToNarrow(key, kCodePageUtf8),
                                 defaultValue, ToNarrow(path, kCodePageAcp));
}

bool WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& path,
                                unsigned newFileMode) {
    const std::string name = TrimBytes(key);
    const std::string sect = TrimBytes(section);
    if (name.empty() || sect.empty() || HasLineBreak(section) || HasLineBreak(key) ||
        HasLineBreak(value) || name.find('=') != std::string::npos ||
        sect.find(']') != std::string::npos) {
        return false;
    }
    std::string content;
    unsigned mode = newFileMode;
    bool exists = platform::ReadWholeFile(path, content);
    if (exists) {
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) {
            mode = st.st_mode & 07777;
        }
    }
    const bool crlf = content.find("\r\n") != std::string::npos;
    const bool bom = content.compare(0, 3, "\xEF\xBB\xBF") == 0;

    std::vector<Line> lines = SplitLines(content);
    const std::string newLine = name + "=" + value + (crlf ? "\r" : "");
    bool inSection = false;
    bool done = false;
    size_t sectionIndex = std::string::npos;
    size_t lastKeyInSection = std::string::npos;
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        Line& line = lines[i];
        if (line.kind == Line::Kind::Section) {
            if (inSection) {
                break;  // the section ended without the key
            }
            inSection = EqualNoCase(line.name, sect);
            if (inSection) {
                sectionIndex = i;
                lastKeyInSection = i;
            }
        } else if (inSection && line.kind == Line::Kind::Key) {
            if (EqualNoCase(line.name, name)) {
                // Keep the key as it was spelled.
                line.raw = line.name + "=" + value + (crlf ? "\r" : "");
                done = true;
            } else {
                lastKeyInSection = i;
            }
        }
    }
    if (!done) {
        Line added;
        added.raw = newLine;
        if (sectionIndex != std::string::npos) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastKeyInSection + 1), added);
        } else {
            Line header;
            header.raw = "[" + sect + "]" + (crlf ? "\r" : "");
            lines.push_back(header);
            lines.push_back(added);
        }
    }
    std::string out = bom ? "\xEF\xBB\xBF" : "";
    for (const Line& line : lines) {
        out += line.raw;
        out += '\n';
    }
    return platform::WriteFileAtomic(path, out, mode);
}

bool WritePrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                const std::wstring& value, const std::wstring& path,
                                unsigned newFileMode) {
    return WritePrivateProfileStringA(ToNarrow(section, kCodePageUtf8),
                                      ToNarrow(key, kCodePageUtf8), ToNarrow(value, kCodePageUtf8),
                                      ToNarrow(path, kCodePageAcp), newFileMode);
}

}  // namespace Utils
