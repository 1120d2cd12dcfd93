#include "FileOps.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tunecrate {
namespace {

using test::countTemporaries;
using test::readFile;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

const platform::CopyProgressRoutine ignoreProgress = [](std::uint64_t, std::uint64_t) {
};

TEST(FileCopyPosix, KeepsModificationTimeAndPermissionBits)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "music");
    fs::permissions(dir.path() / "a.mp3",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto past = fs::last_write_time(dir.path() / "a.mp3") - std::chrono::hours(240);
    fs::last_write_time(dir.path() / "a.mp3", past);

    ASSERT_TRUE(FileCopy(dir.file("a.mp3"), dir.file("b.mp3"), ignoreProgress));

    EXPECT_EQ(fs::last_write_time(dir.path() / "b.mp3"), past);
    EXPECT_EQ(fs::status(dir.path() / "b.mp3").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(FileCopyPosix, DestinationWithoutWriteBitsIsRefusedEvenForRoot)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "new");
    writeFile(dir.path() / "b.mp3", "protected");
    fs::permissions(dir.path() / "b.mp3", fs::perms::owner_read | fs::perms::group_read);

    EXPECT_FALSE(FileCopy(dir.file("a.mp3"), dir.file("b.mp3"), ignoreProgress));
    EXPECT_EQ(readFile(dir.path() / "b.mp3"), "protected");
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

TEST(FileCopyPosix, FifoIsNeitherReadAsPlaylistNorCopied)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    // Neither waits for a writer.
    EXPECT_EQ(txt_ReadLine(dir.file("fifo"), 1), "");
    EXPECT_FALSE(FileCopy(dir.file("fifo"), dir.file("copy"), ignoreProgress));
    EXPECT_FALSE(fs::exists(dir.path() / "copy"));
}

} // namespace
} // namespace tunecrate
