// Opening the 7z resource archive with libarchive and looking entries up by name.
#include "uilib/resource_archive.h"

#include <archive.h>
#include <archive_entry.h>

#include <cwctype>
#include <mutex>

#include "app/log.h"
#include "utils/text.h"

using Utils::kCodePageUtf8;
using Utils::ToWide;

namespace uilib {
namespace {

std::wstring NormalisedName(const std::wstring& name) {
    std::wstring out = name;
    for (wchar_t& c : out) {
        if (c == L'\\') c = L'/';
    }
    return out;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool ResourceArchive::Open(std::span<const uint8_t> bytes) {
    entries_.clear();
    opened_ = false;
    if (bytes.empty()) return false;
    archive* reader = archive_read_new();
    archive_read_support_format_7zip(reader);
    if (archive_read_open_memory(reader, bytes.data(), bytes.size()) != ARCHIVE_OK) {
        archive_read_free(reader);
        return false;
    }
    bool ok = true;
    archive_entry* entry = nullptr;
    for (;;) {
        int r = archive_read_next_header(reader, &entry);
        if (r == ARCHIVE_EOF) break;
        if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
            ok = false;
            break;
        }
        if (archive_entry_filetype(entry) != AE_IFREG) continue;
        const char* path = archive_entry_pathname_utf8(entry);
        if (path == nullptr) path = archive_entry_pathname(entry);
        Entry item;
        item.name = ToWide(path != nullptr ? path : "", kCodePageUtf8);
        if (archive_entry_size_is_set(entry) && archive_entry_size(entry) > 0) {
            item.data.reserve(static_cast<size_t>(archive_entry_size(entry)));
        }
        uint8_t block[65536];
        for (;;) {
            la_ssize_t n = archive_read_data(reader, block, sizeof block);
            if (n == 0) break;
            if (n < 0) {
                ok = false;
                break;
            }
            item.data.insert(item.data.end(), block, block + n);
        }
        if (!ok) break;
        entries_.push_back(std::move(item));
    }
    archive_read_free(reader);
    if (!ok) {
        entries_.clear();
        return false;
    }
    opened_ = true;
    return true;
}

const ResourceArchive::Entry* ResourceArchive::Lookup(const std::wstring& name) const {
    const std::wstring wanted = NormalisedName(name);
    for (const Entry& entry : entries_) {
        if (EqualIgnoringCase(entry.name, wanted)) return &entry;
    }
    return nullptr;
}

ResourceArchive& ResourceArchive::Shared() {
    static ResourceArchive* archive = new ResourceArchive();  // lives until exit
    return *archive;
}

bool ResourceArchive::OpenShared(const std::string& type, int id) {
    // A start-up prefetch may be opening it on another thread: wait for that.
    static std::mutex openLock;
    std::lock_guard<std::mutex> lock(openLock);
    ResourceArchive& archive = Shared();
    if (archive.IsOpen()) return true;
    std::span<const uint8_t> bytes = FindLinkedResource(type, id);
    if (bytes.empty()) {
        VQ_LOG(L"resource %ls %d not found or empty", ToWide(type, kCodePageUtf8).c_str(), id);
        return false;
    }
    if (!archive.Open(bytes)) {
        VQ_LOG(L"resource %ls %d is not a readable archive", ToWide(type, kCodePageUtf8).c_str(), id);
        return false;
    }
    return true;
}

std::span<const uint8_t> LookupArchiveEntry(const std::wstring& name) {
    const ResourceArchive::Entry* entry = ResourceArchive::Shared().Lookup(name);
    if (entry == nullptr) return {};
    return entry->data;
}

bool LoadMarkupFrom(const ResourceArchive& archive, const std::wstring& name, std::wstring& text,
                    std::wstring& error) {
    text.clear();
    const ResourceArchive::Entry* entry = archive.Lookup(name);
    if (entry == nullptr) {
        error = L"Could not find ziped file";
        return false;
    }
    if (entry->data.empty()) {
        error = L"File is empty";
        return false;
    }
    if (entry->data.size() > kMaxMarkupBytes) {
        error = L"File too large";
        return false;
    }
    size_t skip = 0;
    if (entry->data.size() >= 3 && entry->data[0] == 0xEF && entry->data[1] == 0xBB &&
        entry->data[2] == 0xBF) {
        skip = 3;
    }
    text = ToWide(std::string(entry->data.begin() + static_cast<std::ptrdiff_t>(skip), entry->data.end()),
                  kCodePageUtf8);
    error.clear();
    return true;
}

bool LoadMarkup(const std::wstring& name, std::wstring& text, std::wstring& error) {
    return LoadMarkupFrom(ResourceArchive::Shared(), name, text, error);
}

}  // namespace uilib
