// The resource archive: lookups in the archive linked into the binary, and layout
// loading from small archives written here.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "uilib/resource_archive.h"

namespace {

using uilib::ResourceArchive;

ResourceArchive& LinkedArchive() {
    EXPECT_TRUE(ResourceArchive::OpenShared("ZIPRES", 147));
    return ResourceArchive::Shared();
}

// One entry of an archive to write: a file with `data`, or a folder.
struct FileEntry {
    std::string name;
    std::string data;
    bool folder = false;
};

// A 7z archive in memory holding `files` in order.
std::vector<uint8_t> Write7z(const std::vector<FileEntry>& files) {
    std::vector<uint8_t> out(16u << 20);
    size_t used = 0;
    archive* writer = archive_write_new();
    EXPECT_EQ(archive_write_set_format_7zip(writer), ARCHIVE_OK);
    EXPECT_EQ(archive_write_open_memory(writer, out.data(), out.size(), &used), ARCHIVE_OK);
    for (const FileEntry& file : files) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, file.name.c_str());
        archive_entry_set_filetype(entry, file.folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(entry, file.folder ? 0755 : 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(file.data.size()));
        EXPECT_EQ(archive_write_header(writer, entry), ARCHIVE_OK);
        if (!file.data.empty()) {
            EXPECT_EQ(archive_write_data(writer, file.data.data(), file.data.size()),
                      static_cast<la_ssize_t>(file.data.size()));
        }
        archive_entry_free(entry);
    }
    EXPECT_EQ(archive_write_close(writer), ARCHIVE_OK);
    archive_write_free(writer);
    out.resize(used);
    return out;
}

// ---- the linked archive -------------------------------------------------------

struct NameCase {
    const wchar_t* requested;
    const wchar_t* stored;
};

class LinkedLookupTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(LinkedLookupTest, FindsTheStoredEntryIgnoringCaseAndSeparators) {
    const ResourceArchive::Entry* entry = LinkedArchive().Lookup(GetParam().requested);
    ASSERT_NE(entry, nullptr) << "nothing found for " << testing::PrintToString(GetParam().requested);
    EXPECT_EQ(entry->name, GetParam().stored);
    EXPECT_FALSE(entry->data.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, LinkedLookupTest,
                         ::testing::Values(NameCase{L"ExitTipWnd.xml", L"exitTipWnd.xml"},
                                           NameCase{L"MainWnd.xml", L"mainWnd.xml"},
                                           NameCase{L"mainwnd.XML", L"mainWnd.xml"},
                                           NameCase{L"res\\mainWnd\\bg1.png", L"res/mainWnd/bg1.png"},
                                           NameCase{L"RES/MAINWND/BG1.PNG", L"res/mainWnd/bg1.png"},
                                           NameCase{L"res\\MessageBoxWnd/icoQuest.png",
                                                    L"res/MessageBoxWnd/icoQuest.png"}));

TEST(LinkedArchiveTest, BackslashAndSlashNamesGiveTheSameBytes) {
    LinkedArchive();
    std::span<const uint8_t> backslashed = uilib::LookupArchiveEntry(L"res\\mainWnd\\bg1.png");
    std::span<const uint8_t> slashed = uilib::LookupArchiveEntry(L"res/mainWnd/bg1.png");
    ASSERT_FALSE(slashed.empty());
    EXPECT_EQ(backslashed.data(), slashed.data());
    EXPECT_EQ(backslashed.size(), slashed.size());
    // A PNG signature: the bytes are the image, not a name or a stub.
    EXPECT_EQ(slashed[1], 'P');
    EXPECT_EQ(slashed[2], 'N');
    EXPECT_EQ(slashed[3], 'G');
}

TEST(LinkedArchiveTest, MissingNamesGiveNothing) {
    ResourceArchive& archive = LinkedArchive();
    for (const wchar_t* name : {L"res\\common\\closebtn4.png", L"mainWnd", L"", L"mainWnd.xml "}) {
        EXPECT_EQ(archive.Lookup(name), nullptr) << testing::PrintToString(name);
        EXPECT_TRUE(uilib::LookupArchiveEntry(name).empty());
    }
}

TEST(LinkedArchiveTest, LoadMarkupGivesTheLayoutText) {
    LinkedArchive();
    std::wstring text, error = L"stale";
    ASSERT_TRUE(uilib::LoadMarkup(L"ExitTipWnd.xml", text, error));
    EXPECT_TRUE(error.empty());
    EXPECT_NE(text.find(L"您确定要退出安装吗？"), std::wstring::npos);
    EXPECT_EQ(text.rfind(L"<?xml", 0), 0u);
}

TEST(LinkedArchiveTest, OpeningTwiceKeepsTheFirstArchive) {
    ResourceArchive& archive = LinkedArchive();
    const ResourceArchive::Entry* before = archive.Lookup(L"mainWnd.xml");
    EXPECT_TRUE(ResourceArchive::OpenShared("ZIPRES", 147));
    EXPECT_EQ(archive.Lookup(L"mainWnd.xml"), before);
}

// ---- archives written here ------------------------------------------------------

struct LoadFailureCase {
    const char* label;
    std::vector<FileEntry> files;
    const wchar_t* requested;
    const wchar_t* error;
};

void PrintTo(const LoadFailureCase& c, std::ostream* os) { *os << c.label; }

class LoadMarkupFailureTest : public ::testing::TestWithParam<LoadFailureCase> {};

TEST_P(LoadMarkupFailureTest, ReportsTheLoaderText) {
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(Write7z(GetParam().files)));
    std::wstring text = L"stale", error;
    EXPECT_FALSE(uilib::LoadMarkupFrom(archive, GetParam().requested, text, error));
    EXPECT_EQ(error, GetParam().error);
    EXPECT_TRUE(text.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LoadMarkupFailureTest,
    ::testing::Values(
        LoadFailureCase{"missing", {{"a.xml", "<Window/>"}}, L"b.xml", L"Could not find ziped file"},
        LoadFailureCase{"empty", {{"a.xml", ""}}, L"A.xml", L"File is empty"},
        LoadFailureCase{"tooLarge",
                        {{"big.xml", std::string(uilib::kMaxMarkupBytes + 1, ' ')}},
                        L"big.xml",
                        L"File too large"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(WrittenArchiveTest, LayoutOfTheLimitSizeLoads) {
    std::string body = "<Window/>";
    body += std::string(uilib::kMaxMarkupBytes - body.size(), ' ');
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(Write7z({{"edge.xml", body}})));
    std::wstring text, error;
    ASSERT_TRUE(uilib::LoadMarkupFrom(archive, L"edge.xml", text, error));
    EXPECT_EQ(text.size(), uilib::kMaxMarkupBytes);
}

TEST(WrittenArchiveTest, ByteOrderMarkIsSkippedAndUtf8Decoded) {
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(Write7z({{"bom.xml", "\xEF\xBB\xBF<Window text=\"温馨\"/>"},
                                      {"plain.xml", "<Window/>"}})));
    std::wstring text, error;
    ASSERT_TRUE(uilib::LoadMarkupFrom(archive, L"bom.xml", text, error));
    EXPECT_EQ(text, L"<Window text=\"温馨\"/>");
    ASSERT_TRUE(uilib::LoadMarkupFrom(archive, L"plain.xml", text, error));
    EXPECT_EQ(text, L"<Window/>");
}

TEST(WrittenArchiveTest, FoldersAreSkippedAndFilesKeptInOrder) {
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(Write7z({{"res", "", true},
                                      {"res/sub", "", true},
                                      {"res/sub/one.png", "1"},
                                      {"two.xml", "22"}})));
    ASSERT_EQ(archive.Entries().size(), 2u);
    EXPECT_EQ(archive.Entries()[0].name, L"res/sub/one.png");
    EXPECT_EQ(archive.Entries()[1].name, L"two.xml");
    EXPECT_EQ(archive.Lookup(L"res"), nullptr);
    EXPECT_EQ(archive.Lookup(L"res\\sub"), nullptr);
    ASSERT_NE(archive.Lookup(L"res\\SUB\\one.png"), nullptr);
    EXPECT_EQ(archive.Lookup(L"res\\SUB\\one.png")->data, std::vector<uint8_t>{'1'});
}

TEST(WrittenArchiveTest, FirstOfTwoNamesEqualIgnoringCaseWins) {
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(Write7z({{"Same.xml", "first"}, {"same.XML", "second"}})));
    const ResourceArchive::Entry* entry = archive.Lookup(L"SAME.xml");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, L"Same.xml");
}

TEST(WrittenArchiveTest, BytesThatAreNotAnArchiveDoNotOpen) {
    const std::vector<uint8_t> valid = Write7z({{"a.xml", "<Window/>"}});
    std::vector<uint8_t> truncated(valid.begin(), valid.begin() + static_cast<std::ptrdiff_t>(valid.size() / 2));
    const std::string text = "<Window size=\"1,1\"/> is not an archive";
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>{}, std::vector<uint8_t>(text.begin(), text.end()), truncated}) {
        ResourceArchive archive;
        EXPECT_FALSE(archive.Open(bytes)) << bytes.size() << " bytes";
        EXPECT_FALSE(archive.IsOpen());
        EXPECT_TRUE(archive.Entries().empty());
    }
}

TEST(WrittenArchiveTest, ReopeningWithBadBytesDropsTheOldEntries) {
    ResourceArchive archive;
    ASSERT_TRUE(archive.Open(Write7z({{"a.xml", "<Window/>"}})));
    ASSERT_NE(archive.Lookup(L"a.xml"), nullptr);
    const std::string junk = "junk";
    EXPECT_FALSE(archive.Open(std::vector<uint8_t>(junk.begin(), junk.end())));
    EXPECT_EQ(archive.Lookup(L"a.xml"), nullptr);
}

}  // namespace
