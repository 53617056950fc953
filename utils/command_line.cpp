// The Windows command-line splitting rules.
#include "utils/command_line.h"

namespace Utils {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L' ' || c == L'\t';
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::wstring> args;
    const std::wstring& s = commandLine;
    const size_t n = s.size();
    size_t i = 0;
    if (n == 0) {
        return args;
    }

    // The program name: quotes group, backslashes are plain characters.
    std::wstring arg;
    if (s[0] == L'"') {
        ++i;
        while (i < n && s[i] != L'"') {
            arg.push_back(s[i++]);
        }
        if (i < n) {
            ++i;
        }
    } else {
        while (i < n && !IsSeparator(s[i])) {
            arg.push_back(s[i++]);
        }
    }
    args.push_back(arg);
    while (i < n && IsSeparator(s[i])) {
        ++i;
    }
    if (i >= n) {
        return args;
    }

    arg.clear();
    int quoteCount = 0;      // odd while inside quotes
    size_t backslashes = 0;  // run of backslashes just copied
    bool inArg = true;
    while (i < n) {
        wchar_t c = s[i];
        if (IsSeparator(c) && quoteCount == 0) {
            args.push_back(arg);
            arg.clear();
            inArg = false;
            backslashes = 0;
            while (i < n && IsSeparator(s[i])) {
                ++i;
            }
            if (i < n) {
                inArg = true;
            }
            continue;
        }
        if (c == L'\\') {
            arg.push_back(c);
            ++backslashes;
            ++i;
            continue;
        }
        if (c == L'"') {
            if (backslashes % 2 == 0) {
                // 2n backslashes: n stay, the quote toggles quoting.
                arg.resize(arg.size() - backslashes / 2);
                ++quoteCount;
            } else {
                // 2n+1 backslashes: n stay and the quote is literal.
                arg.resize(arg.size() - backslashes / 2 - 1);
                arg.push_back(L'"');
            }
            ++i;
            backslashes = 0;
            // A run of quotes: every third one is a literal quote.
            while (i < n && s[i] == L'"') {
                if (++quoteCount == 3) {
                    arg.push_back(L'"');
                    quoteCount = 0;
                }
                ++i;
            }
            if (quoteCount == 2) {
                quoteCount = 0;
            }
            continue;
        }
        arg.push_back(c);
        backslashes = 0;
        ++i;
    }
    if (inArg) {
        args.push_back(arg);
    }
    return args;
}

}  // namespace Utils
