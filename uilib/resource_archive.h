// The resource archive: the 7z archive of layouts and images linked into the
// executable, opened once per process and looked up by name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace uilib {

// The bytes linked into the executable under (type, id), or an empty span. The table
// is generated at build time from res/ (the archive under "ZIPRES" 147).
std::span<const uint8_t> FindLinkedResource(const std::string& type, int id);

class ResourceArchive {
public:
    struct Entry {
        std::wstring name;  // as stored, "/" separated
        std::vector<uint8_t> data;
    };

    // Decompresses every file entry of a 7z archive held in memory; directories are
    // skipped. False (and no entries) when the bytes are not a readable archive.
    bool Open(std::span<const uint8_t> bytes);
    bool IsOpen() const { return opened_; }

    // The entry whose name equals `name` ignoring letter case, after every "\" in it
    // became "/"; the first in archive order wins. Null when there is none.
    const Entry* Lookup(const std::wstring& name) const;

    const std::vector<Entry>& Entries() const { return entries_; }

    // The process's archive, opened from the linked resource by OpenShared. It lives
    // until the process ends.
    static ResourceArchive& Shared();
    // Opens Shared() from the linked resource (type, id) if it is not open yet; false
    // when the resource is missing, empty or unreadable. Any thread; a second caller
    // waits for an opening in progress. Once open, the entries never change.
    static bool OpenShared(const std::string& type, int id);

private:
    std::vector<Entry> entries_;
    bool opened_ = false;
};

// The bytes of an entry of the shared archive, or an empty span.
std::span<const uint8_t> LookupArchiveEntry(const std::wstring& name);

// Layout loading from the shared archive. On success `text` holds the layout as wide
// text (a UTF-8 byte-order mark skipped); on failure `error` holds the loader's text:
// "Could not find ziped file", "File is empty" or "File too large" (over 4 MiB).
bool LoadMarkup(const std::wstring& name, std::wstring& text, std::wstring& error);
bool LoadMarkupFrom(const ResourceArchive& archive, const std::wstring& name, std::wstring& text,
                    std::wstring& error);

constexpr size_t kMaxMarkupBytes = 0x400000;

}  // namespace uilib
