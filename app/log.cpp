// The diagnostic log statement and its output.
#include "app/log.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "platform/clock.h"
#include "platform/debug_output.h"
#include "utils/text.h"

namespace Utils {
namespace {

// Formats into a growing buffer: vswprintf reports only failure when the buffer is
// too small, so the size doubles until the text fits (bounded, a line that will not
// fit 16 M characters is dropped).
bool FormatWide(std::wstring& out, const wchar_t* format, va_list args) {
    size_t size = 256;
    for (;;) {
        std::wstring buf(size, L'\0');
        va_list copy;
        va_copy(copy, args);
        int n = vswprintf(buf.data(), buf.size(), format, copy);
        va_end(copy);
        if (n >= 0 && static_cast<size_t>(n) < size) {
            buf.resize(static_cast<size_t>(n));
            out += buf;
            return true;
        }
        if (size >= (size_t{1} << 24)) {
            return false;
        }
        size *= 2;
    }
}

void Emit(const std::wstring& text) {
    platform::DebugOutput(ToNarrow(text, kCodePageUtf8));
}

}  // namespace

void DebugLog(const wchar_t* format, ...) {
    std::wstring text;
    va_list args;
    va_start(args, format);
    bool ok = FormatWide(text, format, args);
    va_end(args);
    if (ok) {
        Emit(text);
    }
}

std::wstring LogPrefix(uint32_t processId, uint32_t threadId, int year, int month, int day,
                       int hour, int minute, int second, int millisecond, const wchar_t* function,
                       int line) {
    std::wstring text;
    wchar_t head[96];
    swprintf(head, sizeof head / sizeof head[0],
             L"<P%05u><T%05u><%04d-%02d-%02d %02d:%02d:%02d.%03d>(", processId, threadId, year,
             month, day, hour, minute, second, millisecond);
    text = head;
    text += function;
    wchar_t tail[32];
    swprintf(tail, sizeof tail / sizeof tail[0], L")<%04d>: ", line);
    text += tail;
    return text;
}

void LogStatement(const wchar_t* function, int line, bool lineBreak, const wchar_t* format, ...) {
    const platform::LocalTime now = platform::NowLocal();
    std::wstring text =
        LogPrefix(platform::CurrentProcessId(), platform::CurrentThreadId(), now.year, now.month,
                  now.day, now.hour, now.minute, now.second, now.millisecond, function, line);
    va_list args;
    va_start(args, format);
    bool ok = FormatWide(text, format, args);
    va_end(args);
    if (!ok) {
        return;
    }
    if (lineBreak) {
        text += L"\r\n";
    }
    Emit(text);
}

std::wstring QualifiedFunctionName(const char* prettyFunction) {
    std::string s = prettyFunction == nullptr ? std::string() : std::string(prettyFunction);
    // Template functions: "R f(A) [with T = int]".
    size_t with = s.find(" [with ");
    if (with != std::string::npos) {
        s.resize(with);
    }
    // A lambda's call operator is named after the function it sits in, "F(...)::<lambda(...)>":
    // the enclosing part loses its return type and parameters like any function name,
    // the lambda part stays as the compiler wrote it.
    std::string lambdaTail;
    size_t lambda = s.find("::<lambda");
    if (lambda != std::string::npos) {
        lambdaTail = s.substr(lambda);
        s.resize(lambda);
    }
    // Drop qualifiers after the parameter list, then the parameter list itself.
    size_t close = s.rfind(')');
    if (close != std::string::npos) {
        int depth = 0;
        size_t open = std::string::npos;
        for (size_t i = close + 1; i-- > 0;) {
            if (s[i] == ')') {
                ++depth;
            } else if (s[i] == '(') {
                if (--depth == 0) {
                    open = i;
                    break;
                }
            }
        }
        if (open != std::string::npos) {
            s.resize(open);
        }
    }
    // The return type ends at the last blank outside angle brackets and parentheses.
    int depth = 0;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<' || c == '(') {
            ++depth;
        } else if (c == '>' || c == ')') {
            --depth;
        } else if (c == ' ' && depth == 0) {
            // "operator new", "operator()" and conversion operators keep their blank.
            if (s.compare(i + 1, 8, "operator") != 0 &&
                (i < 8 || s.compare(i - 8, 8, "operator") != 0)) {
                start = i + 1;
            }
        }
    }
    return ToWide(s.substr(start) + lambdaTail, kCodePageUtf8);
}

}  // namespace Utils
