// Playlists in the shapes that players, library tools and phones write: LF,
// CR LF and CR line ends and their mixes, byte-order marks, UTF-16, extended
// and plain M3U, M3U8, PLS with blank lines and lower-case keys; entries that
// are relative, climb with "..", are absolute, file URLs, network URLs or were
// written on Windows. Each is exported and checked against the exact log and
// what lands in the target folder.

#include "CaseName.h"
#include "ExportScene.h"
#include "run/ExportRun.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

namespace fs = std::filesystem;
using test::ExportScene;
using test::FolderState;
using test::PrintTo;
using Lines = std::vector<std::string>;

constexpr bool posix = fs::path::preferred_separator == '/';

const Lines songNames = {"a.mp3", "b.mp3", "My Song.mp3",
                         "\xC3\x9Cn\xC3\xAF"
                         "c\xC3\xB8"
                         "d\xC3\xA9.mp3",
                         "x=y.mp3"};
const std::string unicodeSong = songNames[3];

// file:///... as players write it: "/" separators, blanks and non-ASCII bytes
// percent-encoded.
std::string fileUrl(std::string path)
{
    std::ranges::replace(path, '\\', '/');
    std::string url = posix ? "file://" : "file:///";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x80 || c == '%') {
            constexpr char hex[] = "0123456789ABCDEF";
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 15];
        } else {
            url += c;
        }
    }
    return url;
}

// UTF-8 text (up to three-byte characters) as UTF-16, little end first.
std::string utf16le(std::string_view utf8)
{
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char32_t unit = length == 1 ? lead : length == 2 ? lead & 0x1Fu : lead & 0x0Fu;
        for (std::size_t k = 1; k < length; ++k) {
            unit = (unit << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
        i += length;
    }
    return bytes;
}

class RealPlaylistTest : public testing::Test, public ExportScene {
public:
    RealPlaylistTest()
    {
        for (const auto& name : songNames) {
            test::writeFile(utf8Path(music(), name), "bytes of " + name);
        }
        fs::create_directories(dir.path() / "lists");
    }
    static fs::path utf8Path(const fs::path& folder, const std::string& name)
    {
        return folder / fs::path(std::u8string(name.begin(), name.end()));
    }
    // The target's files by their UTF-8 names, with their bytes.
    [[nodiscard]] FolderState targetFiles() const
    {
        FolderState files;
        for (const auto& file : fs::directory_iterator(target())) {
            const std::u8string name = file.path().filename().u8string();
            files[std::string(name.begin(), name.end())] = test::readFile(file.path());
        }
        return files;
    }
    // The path of a song as the run logs it.
    [[nodiscard]] std::string source(const std::string& name) const
    {
        return dir.file("music/" + name);
    }
};

struct Entry {
    std::string song; // in music/
    std::string result = "ok";
};

struct RealCase {
    const char* name;
    std::string file; // the playlist, relative to the scene
    std::function<std::string(const RealPlaylistTest&)> bytes;
    std::vector<Entry> entries = {};
    bool found = true;
};

class RealPlaylistExportTest : public RealPlaylistTest,
                               public testing::WithParamInterface<RealCase> {};

TEST_P(RealPlaylistExportTest, ExportsEveryLocalFileItNames)
{
    const RealCase& row = GetParam();
    test::writeFile(utf8Path(dir.path(), row.file), row.bytes(*this));
    window.pathFromText = dir.file(row.file);

    runExport(window);

    if (!row.found) {
        EXPECT_EQ(window.logText, "No playlist found!");
        EXPECT_EQ(targetFiles(), FolderState());
        return;
    }
    Lines expectedLog = {""};
    Lines results;
    FolderState expectedTarget;
    for (const Entry& entry : row.entries) {
        results.push_back(entry.result);
        expectedLog.insert(expectedLog.end(), {source(entry.song), "copied to:",
                                               exported(entry.song), entry.result, "---"});
        if (entry.result == "ok") {
            expectedTarget[entry.song] = "bytes of " + entry.song;
        }
    }
    expectedLog.push_back(test::closingLine(results));
    for (const Entry& entry : row.entries) {
        if (entry.result == "error") {
            expectedLog.push_back(source(entry.song) + ": the song was not found");
        }
    }
    EXPECT_EQ(window.logLines(), expectedLog);
    EXPECT_EQ(targetFiles(), expectedTarget);
    EXPECT_EQ(temporariesLeft(), 0);
}

using Scene = const RealPlaylistTest&;

INSTANTIATE_TEST_SUITE_P(
    Playlists, RealPlaylistExportTest,
    testing::Values(
        RealCase{.name = "ExtendedM3uWithLfAndRelativeEntries",
                 .file = "list.m3u",
                 .bytes =
                     [](Scene) {
                         return "#EXTM3U\n#EXTINF:215,Artist A - A\nmusic/a.mp3\n"
                                "#EXTINF:187,Artist B - B\nmusic/b.mp3\n";
                     },
                 .entries = {{"a.mp3"}, {"b.mp3"}}},
        RealCase{.name = "M3u8WithBomAndCrLf",
                 .file = "list.m3u8",
                 .bytes =
                     [](Scene) {
                         return "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:1,U\r\nmusic/" + unicodeSong +
                                "\r\n";
                     },
                 .entries = {{unicodeSong}}},
        RealCase{.name = "PlainTextListWithCrAlone",
                 .file = "list.txt",
                 .bytes = [](Scene) { return "music/a.mp3\rmusic/b.mp3\r"; },
                 .entries = {{"a.mp3"}, {"b.mp3"}}},
        RealCase{.name = "MixedLineEnds",
                 .file = "list.m3u",
                 .bytes = [](Scene) { return "#EXTM3U\r\nmusic/a.mp3\nmusic/b.mp3\r"; },
                 .entries = {{"a.mp3"}, {"b.mp3"}}},
        RealCase{.name = "BlankLinesAndCommentsAnywhere",
                 .file = "list.m3u",
                 .bytes =
                     [](Scene) {
                         return "\n\n#EXTM3U\n\n# my mix\n  \t\nmusic/a.mp3\n\n\n"
                                "music/b.mp3\n\n";
                     },
                 .entries = {{"a.mp3"}, {"b.mp3"}}},
        RealCase{.name = "ItunesStyleCrWithAbsolutePaths",
                 .file = "lists/Export.m3u",
                 .bytes =
                     [](Scene scene) {
                         return "#EXTM3U\r#EXTINF:215,A\r" + scene.source("a.mp3") +
                                "\r#EXTINF:187,My Song\r" + scene.source("My Song.mp3") + "\r";
                     },
                 .entries = {{"a.mp3"}, {"My Song.mp3"}}},
        RealCase{.name = "PhoneStyleM3u8ClimbingOutOfItsFolder",
                 .file = "lists/Road trip.m3u8",
                 .bytes =
                     [](Scene) {
                         return "#EXTM3U\n#PLAYLIST:Road trip\n#EXTINF:215,A\n"
                                "../music/a.mp3\n#EXTINF:1,B\n./../music/./b.mp3\n";
                     },
                 .entries = {{"a.mp3"}, {"b.mp3"}}},
        RealCase{.name = "PlsWithBlankLinesBetweenEntries",
                 .file = "list.pls",
                 .bytes =
                     [](Scene) {
                         return "[playlist]\n\nFile1=music/a.mp3\nTitle1=A\n"
                                "Length1=215\n\nFile2=music/b.mp3\nTitle2=B\n"
                                "Length2=-1\n\nNumberOfEntries=2\nVersion=2\n";
                     },
                 .entries = {{"a.mp3"}, {"b.mp3"}}},
        RealCase{.name = "PlsWithLowerCaseKeysAndEqualsInAName",
                 .file = "list.pls",
                 .bytes =
                     [](Scene) {
                         return "[Playlist]\r\nnumberofentries=2\r\n"
                                "file1=music/My Song.mp3\r\ntitle1=x\r\n"
                                "file2=music/x=y.mp3\r\nversion=2\r\n";
                     },
                 .entries = {{"My Song.mp3"}, {"x=y.mp3"}}},
        RealCase{.name = "PlsInFileOrderAfterBlankLines",
                 .file = "list.pls",
                 .bytes =
                     [](Scene scene) {
                         return "\r\n\r\n[playlist]\r\nFile2=music/b.mp3\r\nFile1=" +
                                scene.source("a.mp3") + "\r\n";
                     },
                 .entries = {{"b.mp3"}, {"a.mp3"}}},
        RealCase{.name = "FileUrls",
                 .file = "list.m3u",
                 .bytes =
                     [](Scene scene) {
                         return "#EXTM3U\n" + fileUrl(scene.source("My Song.mp3")) + "\n" +
                                fileUrl(scene.source(unicodeSong)) + "\n";
                     },
                 .entries = {{"My Song.mp3"}, {unicodeSong}}},
        RealCase{.name = "NetworkUrlsAreSkipped",
                 .file = "radio.m3u",
                 .bytes =
                     [](Scene) {
                         return "#EXTM3U\n#EXTINF:-1,Radio\nhttp://radio.example/live\n"
                                "HTTPS://host/b.mp3\nmusic/a.mp3\n";
                     },
                 .entries = {{"a.mp3"}}},
        RealCase{.name = "WindowsMadeTextList",
                 .file = "list.txt",
                 .bytes = [](Scene) { return "music\\a.mp3\r\nmusic\\My Song.mp3\r\n"; },
                 .entries = {{"a.mp3"}, {"My Song.mp3"}}},
        RealCase{.name = "Utf16WithWindowsSeparators",
                 .file = "list.m3u",
                 .bytes =
                     [](Scene) {
                         return "\xFF\xFE" + utf16le("#EXTM3U\r\n#EXTINF:1,U\r\nmusic\\" +
                                                     unicodeSong + "\r\nlists\\..\\music\\b.mp3");
                     },
                 .entries = {{unicodeSong}, {"b.mp3"}}},
        RealCase{.name = "MissingSongIsAnErrorAndTheWalkGoesOn",
                 .file = "list.m3u",
                 .bytes = [](Scene) { return "#EXTM3U\nmusic/gone.mp3\nmusic/a.mp3\n"; },
                 .entries = {{"gone.mp3", "error"}, {"a.mp3"}}},
        RealCase{.name = "TextListWhoseFirstSongIsMissing",
                 .file = "list.txt",
                 .bytes = [](Scene) { return "music/gone.mp3\nmusic/a.mp3\n"; },
                 .found = false},
        RealCase{
            .name = "SongChosenByMistake",
            .file = "song.mp3",
            .bytes = [](Scene) { return std::string("ID3\x04\0\0\0\0\x0F\x76TIT2\n\xFF\xFB", 18); },
            .found = false},
        RealCase{.name = "OnlyBlankLines",
                 .file = "list.m3u",
                 .bytes = [](Scene) { return "\n \t\r\n\r"; },
                 .found = false}),
    test::CaseName());

} // namespace
} // namespace tunecrate
