// Profile (ini) files: our own reader and writer with the behaviour the callers
// rely on from the Windows profile functions.
//
// Files are UTF-8 (a leading byte-order mark is skipped), lines end in LF or CRLF.
// "[Section]" lines open sections, "key=value" lines hold values; names and values
// are trimmed of blanks, section and key names match without regard to ASCII case,
// lines starting with ";" or "#" are comments. A write replaces the file atomically
// (temporary file + rename), keeps every other line as it was, and keeps the file's
// permission bits. No caching: every call reads the file again.
#pragma once

#include <string>

namespace Utils {

// The value of `key` in `section`, cut to `bufferChars` − 1 characters (0 gives an
// empty text); `defaultText` (cut the same way) when the file, the section or the
// key does not exist or the file cannot be read.
std::wstring GetPrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& defaultText, size_t bufferChars,
                                      const std::wstring& path);
// Narrow form: bytes (UTF-8), cut to `bufferBytes` − 1 bytes without splitting a
// character.
std::string GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                     const std::string& defaultText, size_t bufferBytes,
                                     const std::string& path);

// The value's leading decimal digits as a number (an optional sign first), 0 when it
// has none; `defaultValue` when the file, section or key does not exist.
int GetPrivateProfileIntW(const std::wstring& section, const std::wstring& key, int defaultValue,
                          const std::wstring& path);
int GetPrivateProfileIntA(const std::string& section, const std::string& key, int defaultValue,
                          const std::string& path);

// Stores `value` so that a later read of section and key returns it. Creates the
// file (mode `newFileMode`) and the section when missing; other lines stay. False
// when the file cannot be written, or when a name or value holds a line break or a
// name is empty (the file would not read back).
bool WritePrivateProfileStringW(const std::wstring& section, const std::wstring& key,
                                const std::wstring& value, const std::wstring& path,
                                unsigned newFileMode = 0644);
bool WritePrivateProfileStringA(const std::string& section, const std::string& key,
                                const std::string& value, const std::string& path,
                                unsigned newFileMode = 0644);

}  // namespace Utils
