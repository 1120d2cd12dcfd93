#include "CaseName.h"
#include "ExportScene.h"
#include "TempDir.h"
#include "folder/FolderRecord.h"
#include "folder/RecordedFolders.h"

#include <chrono>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

constexpr std::int64_t second = 1'000'000'000;

RecordedCopy copyOf(std::string name, std::string source)
{
    return {.name = std::move(name),
            .source = std::move(source),
            .sourceStamp = {4000, 10 * second},
            .copyStamp = {4000, 12 * second},
            .copyHash = 0x0123456789abcdefULL,
            .playlists = {"/music/party.m3u"},
            .renamedTo = {},
            .through = {}};
}

TEST(FolderRecord, ComesBackAsWrittenWithNamesThatAreNotUtf8)
{
    FolderRecord record(false);
    record.put(copyOf("caf\xe9 100%.mp3", "/music/caf\xe9 100%.mp3"));
    RecordedCopy older = copyOf("b.mp3", "/music/b.mp3");
    older.copyHash.reset(); // as a record of an older version has it
    record.put(older);
    const std::string text = record.text();
    EXPECT_EQ(text.find('\xe9'), std::string::npos) << text;

    const std::optional<FolderRecord> read = FolderRecord::parse(text, false);
    ASSERT_TRUE(read);
    ASSERT_NE(read->find("caf\xe9 100%.mp3"), nullptr);
    EXPECT_EQ(*read->find("caf\xe9 100%.mp3"),
              copyOf("caf\xe9 100%.mp3", "/music/caf\xe9 100%.mp3"));
    EXPECT_EQ(*read->find("b.mp3"), older);
}

TEST(FolderRecord, DamagedTextIsNoRecord)
{
    const std::string good = [] {
        FolderRecord record(false);
        record.put(copyOf("a.mp3", "/music/a.mp3"));
        return record.text();
    }();
    for (const std::string& text :
         {std::string(), good.substr(0, good.size() / 2), std::string("{\"copies\": []}"),
          std::string("[1, 2]"), std::string("{\"tunecrate folder record\": \"1\"}"),
          good.substr(0, good.find("a.mp3")) + "%zz" + good.substr(good.find("a.mp3")),
          good.substr(0, good.find("a.mp3")) + "../a.mp3" + good.substr(good.find("a.mp3") + 5),
          good.substr(0, good.find("0123456789abcdef")) + "0123456789ABCDEF" +
              good.substr(good.find("0123456789abcdef") + 16)}) {
        EXPECT_FALSE(FolderRecord::parse(text, false)) << text;
    }
}

// Another program's run holds the folder: this one says so once and waits,
// until the user gives up or, in a second wait, the lock is let go.
TEST(RecordedRun, WaitsForAnotherProgramsRunUntilItEndsOrTheUserGivesUp)
{
    const test::TempDir dir;
    RecordedFolders folders;
    auto otherProgram = std::make_unique<platform::FolderLock>();
    ASSERT_TRUE(otherProgram->tryTake(dir.file("")));
    for (const bool giveUp : {true, false}) {
        RecordedRun run(folders, true, "/music/party.m3u");
        int said = 0;
        int waits = 0;
        const bool ready = run.readyToWrite(dir.file(""), false,
                                            {.started = [&] { ++said; },
                                             .keepWaiting =
                                                 [&] {
                                                     if (++waits == 3 && !giveUp) {
                                                         otherProgram.reset();
                                                     }
                                                     return !giveUp || waits < 3;
                                                 }});
        EXPECT_EQ(ready, !giveUp);
        EXPECT_EQ(said, 1);
        EXPECT_EQ(waits, 3);
    }
}

// What a folder's record says of a name, as the file found there and its
// source confirm it.
struct ClaimCase {
    const char* name;
    void (*change)(const std::filesystem::path& copy, const std::filesystem::path& source);
    RecordedFolders::Claim claim;
    bool older = false;                 // the record has no print, as an older one
    std::string source = "music/a.mp3"; // the entry's
    std::string file = "a.mp3";         // the name looked up
    bool windowsRules = false;
    bool uploaded = false; // stamped with its upload's time, as a phone does
};

class ClaimTest : public testing::TestWithParam<ClaimCase> {};

TEST_P(ClaimTest, FollowsWhatTheFilesHold)
{
    const ClaimCase& test = GetParam();
    const test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "music");
    std::filesystem::create_directories(dir.path() / "copies");
    const std::string song = test::patterned("a", 200 * 1024);
    test::writeFile(dir.path() / "music/a.mp3", song);
    test::writeFile(dir.path() / "copies/a.mp3", song);
    const std::string source = dir.file("music/a.mp3");
    const std::string copy = dir.file("copies/a.mp3");
    ASSERT_TRUE(
        platform::setModifiedTime(copy, platform::fileStamp(source)->time +
                                            (test.uploaded ? 3 * 3600 * second + 7 * second : 0)));
    FolderRecord record(test.windowsRules);
    record.put({.name = "a.mp3",
                .source = source,
                .sourceStamp = *platform::fileStamp(source),
                .copyStamp = *platform::fileStamp(copy),
                .copyHash = test.older ? std::nullopt : std::optional(copyPrint(copy)->hash),
                .playlists = {"/music/party.m3u"},
                .renamedTo = {},
                .through = {}});
    ASSERT_TRUE(writeRecord(dir.file("copies"), record, false, {}));
    if (test.change != nullptr) {
        test.change(copy, source);
    }
    RecordedFolders folders;
    EXPECT_EQ(folders.claim(dir.file("copies"), test.file, copy, dir.file(test.source),
                            test.windowsRules),
              test.claim);
}

// Each written anew, with the time and size it had.
void rewrite(const std::filesystem::path& path, std::string bytes)
{
    const auto time = platform::fileStamp(path.string())->time;
    bytes.resize(std::filesystem::file_size(path), '.');
    std::filesystem::remove(path);
    test::writeFile(path, bytes);
    ASSERT_TRUE(platform::setModifiedTime(path.string(), time));
}
void userFileInItsPlace(const std::filesystem::path& copy, const std::filesystem::path&)
{
    rewrite(copy, "notes of mine");
}
void sourceRetagged(const std::filesystem::path&, const std::filesystem::path& source)
{
    rewrite(source, "new tags");
}
void copyTouched(const std::filesystem::path& copy, const std::filesystem::path&)
{
    ASSERT_TRUE(platform::setModifiedTime(copy.string(), 5 * second));
}
void anHourOff(const std::filesystem::path& copy, const std::filesystem::path&)
{
    const auto time = platform::fileStamp(copy.string())->time;
    ASSERT_TRUE(platform::setModifiedTime(copy.string(), time + 3600 * second));
}
void copyGone(const std::filesystem::path& copy, const std::filesystem::path&)
{
    std::filesystem::remove(copy);
}

using Claim = RecordedFolders::Claim;
INSTANTIATE_TEST_SUITE_P(
    Files, ClaimTest,
    testing::Values(ClaimCase{"Held", nullptr, Claim::Held},
                    ClaimCase{"UserFileWithTheSizeAndTime", userFileInItsPlace, Claim::Other},
                    ClaimCase{"SourceRetagged", sourceRetagged, Claim::Own},
                    ClaimCase{"CopyTouched", copyTouched, Claim::Own},
                    ClaimCase{"AnHourOffOnAStick", anHourOff, Claim::Held, false, "music/a.mp3",
                              "a.mp3", true},
                    ClaimCase{"OlderRecordHeld", copyTouched, Claim::Own, true},
                    ClaimCase{"OlderRecordUserFile", userFileInItsPlace, Claim::Other, true},
                    ClaimCase{"OlderRecordSourceRetagged", sourceRetagged, Claim::Other, true},
                    ClaimCase{"OtherSource", nullptr, Claim::Other, false, "elsewhere/a.mp3"},
                    ClaimCase{"UploadStampedHeld", nullptr, Claim::Held, false, "music/a.mp3",
                              "a.mp3", false, true},
                    ClaimCase{"UploadStampedSourceRetagged", sourceRetagged, Claim::Own, false,
                              "music/a.mp3", "a.mp3", false, true},
                    ClaimCase{"Gone", copyGone, Claim::None},
                    ClaimCase{"OtherCapitalsOnAStick", nullptr, Claim::Other, false,
                              "elsewhere/a.mp3", "A.MP3", true},
                    ClaimCase{"OtherCapitalsElsewhere", nullptr, Claim::None, false,
                              "elsewhere/a.mp3", "A.MP3"}),
    test::CaseName());

// Written in turn to two files where nothing can be renamed: the newer of
// those that read whole counts.
TEST(FolderRecord, TheNewerOfTwoRecordsInTurnCounts)
{
    test::TempDir dir;
    const auto recordOf = [](std::uint64_t generation, const std::string& name) {
        FolderRecord record(false);
        record.generation = generation;
        record.put({.name = name,
                    .source = "/music/" + name,
                    .sourceStamp = {},
                    .copyStamp = {},
                    .copyHash = std::nullopt,
                    .playlists = {},
                    .renamedTo = {},
                    .through = {}});
        return record.text();
    };
    const auto write = [&](std::string_view file, const std::string& text) {
        test::writeFile(dir.path() / file, text);
    };
    write(recordFileName, recordOf(3, "older.mp3"));
    write(turnFileName, recordOf(4, "newer.mp3"));
    EXPECT_NE(readRecord(dir.text(), false)->find("newer.mp3"), nullptr);
    write(turnFileName, recordOf(4, "newer.mp3").substr(0, 40)); // killed while written
    EXPECT_NE(readRecord(dir.text(), false)->find("older.mp3"), nullptr);
    write(recordFileName, recordOf(5, "newest.mp3"));
    write(turnFileName, recordOf(4, "newer.mp3"));
    EXPECT_NE(readRecord(dir.text(), false)->find("newest.mp3"), nullptr);
}

} // namespace
} // namespace tunecrate
