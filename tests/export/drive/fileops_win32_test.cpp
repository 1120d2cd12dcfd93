#include "CaseName.h"
#include "PlaylistText.h"
#include "TempDir.h"
#include "Temporaries.h"
#include "drive/FileOps.h"
#include "files/PlatformFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tunecrate {
namespace {

using test::countTemporaries;
using test::PrintTo;
using test::readFile;
using test::readPlaylist;
using test::TempDir;
using test::writeFile;

constexpr DWORD protectingAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;

struct DestinationCase {
    const char* name;
    DWORD attributes;
    bool replaced;
};

class ExistingDestinationTest : public testing::TestWithParam<DestinationCase> {};

TEST_P(ExistingDestinationTest, IsReplacedUnlessReadOnlyOrHidden)
{
    TempDir dir;
    writeFile(dir.path() / "new.mp3", "new");
    const std::filesystem::path old = dir.path() / "old.mp3";
    writeFile(old, "old");
    ASSERT_TRUE(SetFileAttributesW(old.c_str(), GetParam().attributes));
    ASSERT_EQ(GetFileAttributesW(old.c_str()) & protectingAttributes,
              GetParam().attributes & protectingAttributes);

    const bool copied = static_cast<bool>(
        FileCopy(dir.file("new.mp3"), dir.file("old.mp3"), [](std::uint64_t, std::uint64_t) {}));

    EXPECT_EQ(copied, GetParam().replaced);
    EXPECT_EQ(readFile(old), GetParam().replaced ? "new" : "old");
    if (!GetParam().replaced) {
        EXPECT_EQ(GetFileAttributesW(old.c_str()) & protectingAttributes, GetParam().attributes);
    }
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, ExistingDestinationTest,
    testing::Values(DestinationCase{"Normal", FILE_ATTRIBUTE_NORMAL, true},
                    DestinationCase{"Archive", FILE_ATTRIBUTE_ARCHIVE, true},
                    DestinationCase{"ReadOnly", FILE_ATTRIBUTE_READONLY, false},
                    DestinationCase{"Hidden", FILE_ATTRIBUTE_HIDDEN, false},
                    DestinationCase{"ReadOnlyHidden", protectingAttributes, false}),
    test::CaseName());

// A read-only or hidden source (a CD rip, a read-only share) gives a copy
// without those marks, so that the next export replaces it once the source changed.
TEST(FileCopyWin32, ReadOnlyHiddenSourceGivesACopyThatALaterCopyReplaces)
{
    TempDir dir;
    const std::filesystem::path source = dir.path() / "a.mp3";
    const std::filesystem::path copy = dir.path() / "b.mp3";
    const auto copyNow = [&] {
        return static_cast<bool>(
            FileCopy(dir.file("a.mp3"), dir.file("b.mp3"), [](std::uint64_t, std::uint64_t) {}));
    };
    writeFile(source, "music");
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), protectingAttributes));

    ASSERT_TRUE(copyNow());
    EXPECT_EQ(GetFileAttributesW(copy.c_str()) & protectingAttributes, 0u);

    ASSERT_TRUE(SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL));
    writeFile(source, "changed music");
    ASSERT_TRUE(SetFileAttributesW(source.c_str(), protectingAttributes));
    ASSERT_TRUE(copyNow());
    EXPECT_EQ(readFile(copy), "changed music");
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

TEST(FileCopyWin32, DestinationJustUnderThePathLimitCopies)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "music");
    // A destination of 255 characters; its temporary's name is longer than a.mp3.
    std::string folder = dir.text();
    const std::size_t room = 255 - folder.size() - std::string("\\a.mp3").size();
    folder += "\\" + std::string(room - 1, 'x');
    std::filesystem::create_directories(fsPath(folder));
    const std::string destination = folder + "\\a.mp3";
    ASSERT_EQ(destination.size(), 255u);

    ASSERT_TRUE(FileCopy(dir.file("a.mp3"), destination, [](std::uint64_t, std::uint64_t) {}));

    EXPECT_EQ(readFile(fsPath(destination)), "music");
    EXPECT_EQ(countTemporaries(fsPath(folder)), 0);
}

TEST(FileCopyWin32, ExceptionFromProgressLeavesNoPartFileAndTheOldFileWhole)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "new");
    writeFile(dir.path() / "b.mp3", "old");

    EXPECT_THROW((void)FileCopy(
                     dir.file("a.mp3"), dir.file("b.mp3"),
                     [](std::uint64_t, std::uint64_t) { throw std::runtime_error("window gone"); }),
                 std::runtime_error);

    EXPECT_EQ(readFile(dir.path() / "b.mp3"), "old");
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

struct NotFoundCase {
    const char* name;
    const char* path; // in a folder that holds list.m3u and the folder sub
};

class NotAPlaylistTest : public testing::TestWithParam<NotFoundCase> {};

TEST_P(NotAPlaylistTest, HasNoLines)
{
    TempDir dir;
    writeFile(dir.path() / "list.m3u", "#EXTM3U\r\n");
    std::filesystem::create_directory(dir.path() / "sub");
    EXPECT_TRUE(readPlaylist(dir.file(GetParam().path)).empty());
}

INSTANTIATE_TEST_SUITE_P(Paths, NotAPlaylistTest,
                         testing::Values(NotFoundCase{"Folder", "sub"},
                                         NotFoundCase{"FolderWithSeparator", "sub\\"},
                                         NotFoundCase{"MissingFile", "missing.m3u"},
                                         NotFoundCase{"MissingFolder", "gone\\list.m3u"},
                                         NotFoundCase{"Wildcard", "*.m3u"},
                                         NotFoundCase{"DeviceName", "NUL"},
                                         NotFoundCase{"FileAsFolder", "list.m3u\\x"}),
                         test::CaseName());

TEST(PlaylistLinesWin32, HiddenPlaylistIsRead)
{
    TempDir dir;
    const std::filesystem::path list = dir.path() / "list.m3u";
    writeFile(list, "#EXTM3U\r\n");
    ASSERT_TRUE(SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(readPlaylist(dir.file("list.m3u")), std::vector<std::string>{"#EXTM3U"});
}

TEST(PlaylistLinesWin32, PlaylistNamedOutsideTheAnsiCodePageIsRead)
{
    TempDir dir;
    writeFile(fsPath(dir.file("Ω 音楽.m3u")), "#EXTM3U\r\n");
    EXPECT_EQ(readPlaylist(dir.file("Ω 音楽.m3u")), std::vector<std::string>{"#EXTM3U"});
}

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string text; // UTF-8
    bool ansi = false;
};

class LineDecodingTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(LineDecodingTest, ValidUtf8StaysAndAnythingElseIsTakenFromTheAnsiCodePage)
{
    if (GetParam().ansi && GetACP() != 1252) {
        GTEST_SKIP() << "the ANSI rows are written for code page 1252, this system has "
                     << GetACP();
    }
    TempDir dir;
    writeFile(dir.path() / "list.m3u", GetParam().bytes + "\r\nC:\\next.mp3\r\n");
    EXPECT_EQ(readPlaylist(dir.file("list.m3u")),
              (std::vector<std::string>{GetParam().text, "C:\\next.mp3"}));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, LineDecodingTest,
    testing::Values(
        DecodeCase{"Ascii", "C:\\Music\\a.mp3", "C:\\Music\\a.mp3"},
        DecodeCase{"Utf8Greek", "C:\\Ω\\Ωmega.mp3", "C:\\Ω\\Ωmega.mp3"},
        DecodeCase{"Utf8Cjk", "C:\\音楽\\歌.mp3", "C:\\音楽\\歌.mp3"},
        DecodeCase{"Utf8Western", "C:\\Café\\Ärger.mp3", "C:\\Café\\Ärger.mp3"},
        DecodeCase{"Utf8WithByteOrderMark",
                   "\xEF\xBB\xBF"
                   "C:\\Ω.mp3",
                   "C:\\Ω.mp3"},
        DecodeCase{"Ansi", "C:\\Caf\xE9\\\xC4rger \x80 \xBD.mp3", "C:\\Café\\Ärger € ½.mp3", true},
        // One byte that cannot be UTF-8 makes the whole line ANSI.
        DecodeCase{"AnsiBesideUtf8LookAlike", "C:\\\xC3\xA9 \xE9.mp3", "C:\\Ã© é.mp3", true}),
    test::CaseName());

TEST(PlaylistLinesWin32, Utf16PlaylistIsReadWhateverTheCodePage)
{
    TempDir dir;
    // "C:\Ω.mp3" CR LF "#" in UTF-16 LE with its byte-order mark.
    constexpr char utf16[] = "\xFF\xFE"
                             "C\0:\0\\\0\xA9\x03.\0m\0p\0"
                             "3\0\r\0\n\0#\0";
    const std::string bytes(utf16, sizeof utf16 - 1);
    writeFile(dir.path() / "list.m3u", bytes);
    EXPECT_EQ(readPlaylist(dir.file("list.m3u")), (std::vector<std::string>{"C:\\Ω.mp3", "#"}));
}

} // namespace
} // namespace tunecrate
