// Splitting a command line into arguments by the Windows rules (CommandLineToArgvW),
// and the reverse: quoting arguments so that the split gives them back.
#pragma once

#include <string>
#include <vector>

namespace Utils {

// The first argument (the program) ends at the first blank or tab, or, when it
// starts with a double quote, at the next double quote; backslashes are plain there.
// The others: blanks and tabs separate outside quotes; 2n backslashes before a quote
// give n backslashes and the quote toggles quoting; 2n+1 give n backslashes and a
// literal quote; other backslashes are literal; inside quotes, a run of quotes gives
// one literal quote for every third. An empty text gives no arguments.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

}  // namespace Utils
