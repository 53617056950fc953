// The diagnostic log: one line per statement, with process, thread, local time,
// function and source line, sent to the debug output channel.
//
//   VQ_LOG(L"Download File Length %lld", length);       // "\r\n" added
//   VQ_LOG_NOBREAK(L"GetConnectivity %d", flags);        // nothing added
//
// Formats are wide printf formats; on Linux a wide format's %s takes a narrow
// string, so wide arguments are written %ls. Any thread; lines never interleave.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

// Formats and hands one line to the debug output channel (see platform/debug_output.h).
// A line that cannot be formatted is dropped silently.
void DebugLog(const wchar_t* format, ...);

// The log statement behind VQ_LOG: prefix with the given function name and source
// line, then the message formatted with its arguments, then "\r\n" when asked for.
void LogStatement(const wchar_t* function, int line, bool lineBreak, const wchar_t* format, ...);

// The prefix "<P%05d><T%05d><%04d-%02d-%02d %02d:%02d:%02d.%03d>(%ls)<%04d>: " filled in.
std::wstring LogPrefix(uint32_t processId, uint32_t threadId, int year, int month, int day,
                       int hour, int minute, int second, int millisecond, const wchar_t* function,
                       int line);

// The qualified name of a function as the compiler spells it in __PRETTY_FUNCTION__,
// without return type and parameter list: "void Utils::Thread::CallBack(void*)" gives
// "Utils::Thread::CallBack". A lambda keeps its compiler-given name.
std::wstring QualifiedFunctionName(const char* prettyFunction);

}  // namespace Utils

#define VQ_LOG_IMPL(lineBreak, ...)                                                      \
    do {                                                                                 \
        static const std::wstring vqLogFunction_ =                                       \
            ::Utils::QualifiedFunctionName(__PRETTY_FUNCTION__);                         \
        ::Utils::LogStatement(vqLogFunction_.c_str(), __LINE__, lineBreak, __VA_ARGS__); \
    } while (0)

#define VQ_LOG(...) VQ_LOG_IMPL(/*lineBreak=*/true, __VA_ARGS__)
#define VQ_LOG_NOBREAK(...) VQ_LOG_IMPL(/*lineBreak=*/false, __VA_ARGS__)
