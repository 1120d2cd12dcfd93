#include "CaseName.h"
#include "FolderRecord.h"
#include "RecordedFolders.h"
#include "TempDir.h"

#include <chrono>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

constexpr std::int64_t second = 1'000'000'000;

RecordedCopy copyOf(std::string name, std::string source)
{
    return {std::move(name),
            std::move(source),
            {4000, 10 * second},
            {4000, 12 * second},
            {"/music/party.m3u"},
            {},
            {}};
}

TEST(FolderRecord, ComesBackAsWrittenWithNamesThatAreNotUtf8)
{
    FolderRecord record(false);
    record.put(copyOf("caf\xe9 100%.mp3", "/music/caf\xe9 100%.mp3"));
    record.put(copyOf("b.mp3", "/music/b.mp3"));
    const std::string text = record.text();
    EXPECT_EQ(text.find('\xe9'), std::string::npos) << text;

    const std::optional<FolderRecord> read = FolderRecord::parse(text, false);
    ASSERT_TRUE(read);
    ASSERT_NE(read->find("caf\xe9 100%.mp3"), nullptr);
    EXPECT_EQ(*read->find("caf\xe9 100%.mp3"),
              copyOf("caf\xe9 100%.mp3", "/music/caf\xe9 100%.mp3"));
    EXPECT_EQ(read->copies().size(), 2U);
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
          good.substr(0, good.find("a.mp3")) + "../a.mp3" + good.substr(good.find("a.mp3") + 5)}) {
        EXPECT_FALSE(FolderRecord::parse(text, false)) << text;
    }
}

// Another program's run holds the folder: this one waits five seconds for it,
// letting events through, then says so and writes nothing.
TEST(RecordedRun, WaitsForAnotherProgramsRunThenGivesUp)
{
    const test::TempDir dir;
    RecordedFolders folders;
    platform::FolderLock otherProgram;
    ASSERT_TRUE(otherProgram.tryTake(dir.file("")));
    RecordedRun run(folders, true, "/music/party.m3u");
    int waits = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(run.readyToWrite(dir.file(""), false, [&] { ++waits; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_GE(waits, 20);
}

// What a folder's record says of a name, as the file found there confirms it.
struct ClaimCase {
    const char* name;
    std::string source;
    std::optional<FileStamp> found;
    bool windowsRules;
    RecordedFolders::Claim claim;
    std::string file = "a.mp3"; // the name looked up
};

class ClaimTest : public testing::TestWithParam<ClaimCase> {};

TEST_P(ClaimTest, FollowsWhatTheDriveConfirms)
{
    const test::TempDir dir;
    FolderRecord record(GetParam().windowsRules);
    record.put(copyOf("a.mp3", "/music/a.mp3"));
    ASSERT_TRUE(platform::writeWholeFile(dir.path() / recordFileName, record.text(), false, {}));
    RecordedFolders folders([&](const std::string&) { return GetParam().found; });
    EXPECT_EQ(folders.claim(dir.file(""), GetParam().file, dir.file("a.mp3"), GetParam().source,
                            GetParam().windowsRules),
              GetParam().claim);
}

using Claim = RecordedFolders::Claim;
constexpr std::int64_t hour = 3600 * second;
INSTANTIATE_TEST_SUITE_P(
    Files, ClaimTest,
    testing::Values(
        ClaimCase{"Own", "/music/a.mp3", FileStamp{4000, 13 * second}, false, Claim::Own},
        ClaimCase{"OtherSource", "/other/a.mp3", FileStamp{4000, 12 * second}, false, Claim::Other},
        ClaimCase{"Gone", "/other/a.mp3", std::nullopt, false, Claim::None},
        ClaimCase{"OtherSize", "/music/a.mp3", FileStamp{4001, 12 * second}, false, Claim::Other},
        ClaimCase{"TimeBeyondTwoSeconds", "/music/a.mp3", FileStamp{4000, 15 * second}, false,
                  Claim::Other},
        ClaimCase{"AnHourOffOnAStick", "/music/a.mp3", FileStamp{4000, 12 * second + hour}, true,
                  Claim::Own},
        ClaimCase{"AnHourOffElsewhere", "/music/a.mp3", FileStamp{4000, 12 * second + hour}, false,
                  Claim::Other},
        ClaimCase{"OtherCapitalsOnAStick", "/other/a.mp3", FileStamp{4000, 12 * second}, true,
                  Claim::Other, "A.MP3"},
        ClaimCase{"OtherCapitalsElsewhere", "/other/a.mp3", FileStamp{4000, 12 * second}, false,
                  Claim::None, "A.MP3"}),
    test::CaseName());

} // namespace
} // namespace tunecrate
