#include "CaseName.h"
#include "files/PlatformFiles.h"
#include "folder/WrittenDestinations.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>

namespace tunecrate {
namespace {

using test::PrintTo;
const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));

std::string out(const std::string& name)
{
    return "out" + sep + name;
}

std::string asIs(std::string name)
{
    return name;
}

// As FAT, exFAT and NTFS compare names (ASCII is enough here).
std::string ignoringCase(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

// As a file system that also takes a decomposed "u" and diaeresis for "ü",
// and "Ü" for "ü".
std::string ignoringCaseAndForm(std::string name)
{
    for (const std::string_view other : {"u\xCC\x88", "U\xCC\x88", "\xC3\x9C"}) {
        for (std::size_t at; (at = name.find(other)) != std::string::npos;) {
            name.replace(at, other.size(), "\xC3\xBC");
        }
    }
    return ignoringCase(name);
}

// A target folder in memory: names that fold alike reach one entry, which
// keeps the spelling it was first written under, as some file systems do when
// a file replaces one of another spelling.
class FakeFileSystem final : public FileLookup {
public:
    explicit FakeFileSystem(std::function<std::string(std::string)> fold) : fold_(std::move(fold))
    {}

    void write(const std::string& path, std::uint64_t size)
    {
        Entry& entry = entries_[fold_(path)];
        if (entry.stored.empty()) {
            entry.stored = path;
        }
        entry.size = size;
    }

    std::optional<std::uint64_t> size(const std::string& path) const override
    {
        const auto entry = entries_.find(fold_(path));
        if (entry == entries_.end()) {
            return std::nullopt;
        }
        return entry->second.size;
    }
    std::vector<std::string> names(const std::string& folder) const override
    {
        ++listings;
        std::vector<std::string> names;
        for (const auto& [folded, entry] : entries_) {
            if (entry.stored.starts_with(folder + sep)) {
                names.push_back(entry.stored.substr(folder.size() + 1));
            }
        }
        return names;
    }

    mutable int listings = 0;

private:
    struct Entry {
        std::string stored;
        std::uint64_t size = 0;
    };
    std::function<std::string(std::string)> fold_;
    std::map<std::string, Entry> entries_;
};

struct Entry {
    std::string source;
    std::string bareName;
    std::uint64_t size = 1;
};

// Resolves, writes and remembers each entry in turn, as a run that copies
// every entry successfully would, and gives the paths handed out.
std::vector<std::string> place(FakeFileSystem& files, const std::vector<Entry>& entries,
                               bool windowsRules = false)
{
    WrittenDestinations written(files, [windowsRules](const std::string&) { return windowsRules; });
    std::vector<std::string> paths;
    for (const auto& entry : entries) {
        const auto destination = written.resolve("out", entry.bareName, entry.source);
        files.write(destination.path, entry.size);
        written.remember("out", entry.bareName, entry.source, destination, entry.size);
        paths.push_back(destination.path);
    }
    return paths;
}

std::vector<std::string> place(const std::vector<Entry>& entries)
{
    FakeFileSystem files(asIs);
    return place(files, entries);
}

TEST(WrittenDestinations, NumbersOnlyADifferentSourceOfTheSameName)
{
    EXPECT_EQ(place({{"/a/x.mp3", "x.mp3"},
                     {"/b/x.mp3", "x.mp3"},
                     {"/a/x.mp3", "x.mp3"},
                     {"/c/x.mp3", "x.mp3"},
                     {"/b/x.mp3", "x.mp3"},
                     {"/a/y", "y"},
                     {"/b/y", "y"},
                     {"/a/.hidden", ".hidden"},
                     {"/b/.hidden", ".hidden"}}),
              (std::vector<std::string>{out("x.mp3"), out("x (2).mp3"), out("x.mp3"),
                                        out("x (3).mp3"), out("x (2).mp3"), out("y"), out("y (2)"),
                                        out(".hidden"), out(".hidden (2)")}));
}

// On a Windows-rule drive names are made ones the drive takes before they are
// numbered: two that become one are numbered like any two of one name, and a
// name made safe never replaces a file there that is not its source's copy.
TEST(WrittenDestinations, NamesMadeSafeNumberLikeAnyAndLeaveTheUsersOwnFile)
{
    FakeFileSystem files(ignoringCase);
    files.write(out("What Is Love_.mp3"), 7); // the user's own
    EXPECT_EQ(
        place(files,
              {{"/a/a?.mp3", "a?.mp3"},
               {"/a/a*.mp3", "a*.mp3"},
               {"/a/What Is Love?.mp3", "What Is Love?.mp3"}},
              true),
        (std::vector<std::string>{out("a_.mp3"), out("a_ (2).mp3"), out("What Is Love_ (2).mp3")}));
}

TEST(WrittenDestinations, SkipsANumberedNameThePlaylistItselfUsed)
{
    EXPECT_EQ(place({{"/a/x (2).mp3", "x (2).mp3"}, {"/a/x.mp3", "x.mp3"}, {"/b/x.mp3", "x.mp3"}}),
              (std::vector<std::string>{out("x (2).mp3"), out("x.mp3"), out("x (3).mp3")}));
}

TEST(WrittenDestinations, ACopyThatFailedClaimsNothing)
{
    FakeFileSystem files(ignoringCase);
    WrittenDestinations written(files);
    (void)written.resolve("out", "x.mp3", "/a/x.mp3"); // not remembered: the copy failed
    EXPECT_EQ(written.resolve("out", "x.mp3", "/b/x.mp3").path, out("x.mp3"));
    EXPECT_EQ(written.resolve("out", "X.mp3", "/b/X.mp3").path, out("X.mp3"));
}

// What resolve saw at the path it hands out, which spares the copy a look
// of its own: nothing there, a file there, or no look needed.
TEST(WrittenDestinations, SaysWhatItSawAtThePath)
{
    using enum platform::KnownDestination;
    FakeFileSystem files(asIs);
    files.write(out("earlier.mp3"), 2);
    WrittenDestinations written(files);
    const auto first = written.resolve("out", "a.mp3", "/a/a.mp3");
    EXPECT_EQ(first.seen, Unknown) << "nothing of this run to tell apart yet";
    files.write(first.path, 1);
    written.remember("out", "a.mp3", "/a/a.mp3", first, 1);

    const struct {
        const char* source;
        platform::KnownDestination seen;
    } rows[] = {{"/b/new.mp3", Absent},
                {"/b/earlier.mp3", Present},
                {"/a/a.mp3", Unknown}, // this run's own copy of it
                {"/b/a.mp3", Absent}}; // numbered: a (2).mp3
    for (const auto& row : rows) {
        const std::string name = std::filesystem::path(row.source).filename().string();
        EXPECT_EQ(written.resolve("out", name, row.source).seen, row.seen) << row.source;
    }
}

// A second export of many files of one size, among them new ones, lists the
// folder once, not once per file: each file created where nothing was joins
// the listing.
TEST(FolderListings, ManyFilesOfOneSizeListTheFolderOnce)
{
    FakeFileSystem files(ignoringCase);
    for (int i = 0; i < 300; ++i) {
        if (i % 3 != 0) {
            files.write(out(std::to_string(i) + ".mp3"), 1);
        }
    }
    FolderListings listings(files);
    for (int i = 0; i < 300; ++i) {
        const std::string name = std::to_string(i) + ".mp3";
        const std::string source = "/a/" + name;
        const auto reach = listings.reach("out", name, out(name), source);
        EXPECT_FALSE(reach.otherSource) << name;
        files.write(out(name), 1);
        listings.remember("out", name, source, 1, reach.seen);
    }
    EXPECT_EQ(files.listings, 1);
}

// Names that the target's file system takes for one: whether a later entry
// would replace a file of this run is what the file system says.
struct FoldingCase {
    const char* name;
    std::function<std::string(std::string)> fold;
    std::vector<std::pair<std::string, std::uint64_t>> earlierRun; // files there before, sizes
    std::vector<Entry> entries;
    std::vector<std::string> paths;
    // Only where the platform itself tells names apart by case.
    bool caseSensitivePlatform = false;
};

class FoldingTest : public testing::TestWithParam<FoldingCase> {};

TEST_P(FoldingTest, ALaterSourceNeverReplacesAFileOfThisRun)
{
    const FoldingCase& row = GetParam();
    if (row.caseSensitivePlatform && platform::comparablePath("a") != "a") {
        GTEST_SKIP() << "this platform compares names ignoring case before any file system";
    }
    FakeFileSystem files(row.fold);
    for (const auto& [name, size] : row.earlierRun) {
        files.write(out(name), size);
    }
    std::vector<std::string> expected;
    for (const auto& name : row.paths) {
        expected.push_back(out(name));
    }
    EXPECT_EQ(place(files, row.entries), expected);
}

const std::vector<Entry> caseVariants{{.source = "/a/song.mp3", .bareName = "song.mp3", .size = 3},
                                      {.source = "/b/Song.mp3", .bareName = "Song.mp3", .size = 4},
                                      {.source = "/c/SONG.MP3", .bareName = "SONG.MP3", .size = 5},
                                      {.source = "/b/Song.mp3", .bareName = "Song.mp3", .size = 4},
                                      {.source = "/a/song.mp3", .bareName = "song.mp3", .size = 3}};
const std::vector<std::string> caseVariantsNumbered{"song.mp3", "Song (2).mp3", "SONG (3).MP3",
                                                    "Song (2).mp3", "song.mp3"};

INSTANTIATE_TEST_SUITE_P(
    WrittenDestinations, FoldingTest,
    testing::Values(
        FoldingCase{.name = "CaseSensitiveKeepsEveryName",
                    .fold = asIs,
                    .earlierRun = {},
                    .entries = caseVariants,
                    .paths = {"song.mp3", "Song.mp3", "SONG.MP3", "Song.mp3", "song.mp3"},
                    .caseSensitivePlatform = true},
        FoldingCase{.name = "CaseIgnored",
                    .fold = ignoringCase,
                    .earlierRun = {},
                    .entries = caseVariants,
                    .paths = caseVariantsNumbered},
        // Two sources whose copies have one size: the size alone does not decide.
        FoldingCase{.name = "CaseIgnoredAndEqualSizes",
                    .fold = ignoringCase,
                    .earlierRun = {},
                    .entries = {{.source = "/a/x.mp3", .bareName = "x.mp3", .size = 9},
                                {.source = "/b/y.mp3", .bareName = "y.mp3", .size = 9},
                                {.source = "/c/X.mp3", .bareName = "X.mp3", .size = 9},
                                {.source = "/d/Y.mp3", .bareName = "Y.mp3", .size = 9}},
                    .paths = {"x.mp3", "y.mp3", "X (2).mp3", "Y (2).mp3"}},
        FoldingCase{.name = "UnicodeFormIgnored",
                    .fold = ignoringCaseAndForm,
                    .earlierRun = {},
                    .entries = {{.source = "/a/\xC3\xBC"
                                           "ber.mp3",
                                 .bareName = "\xC3\xBC"
                                             "ber.mp3"},
                                {.source = "/b/u\xCC\x88"
                                           "ber.mp3",
                                 .bareName = "u\xCC\x88"
                                             "ber.mp3"},
                                {.source = "/c/\xC3\x9C"
                                           "ber.mp3",
                                 .bareName = "\xC3\x9C"
                                             "ber.mp3"}},
                    .paths = {"\xC3\xBC"
                              "ber.mp3",
                              "u\xCC\x88"
                              "ber (2).mp3",
                              "\xC3\x9C"
                              "ber (3).mp3"}},
        // Files of an earlier run are replaced, under whatever spelling.
        FoldingCase{.name = "EarlierRunsFilesAreReplaced",
                    .fold = ignoringCase,
                    .earlierRun = {{"song.mp3", 1}, {"Song (2).mp3", 2}, {"other.mp3", 8}},
                    .entries = {{.source = "/a/Song.mp3", .bareName = "Song.mp3", .size = 3},
                                {.source = "/b/song.mp3", .bareName = "song.mp3", .size = 4},
                                {.source = "/b/Other.mp3", .bareName = "Other.mp3", .size = 5}},
                    .paths = {"Song.mp3", "song (2).mp3", "Other.mp3"}},
        // Listed under its own spelling, a file with the size of one of ours is
        // not ours while ours is listed under its own spelling too.
        FoldingCase{.name = "EarlierRunsFileOfOurSizeIsReplaced",
                    .fold = ignoringCase,
                    .earlierRun = {{"other.mp3", 3}},
                    .entries = {{.source = "/a/song.mp3", .bareName = "song.mp3", .size = 3},
                                {.source = "/b/other.mp3", .bareName = "other.mp3", .size = 3},
                                {.source = "/c/Song.mp3", .bareName = "Song.mp3", .size = 4}},
                    .paths = {"song.mp3", "other.mp3", "Song (2).mp3"}}),
    test::CaseName());

} // namespace
} // namespace tunecrate
