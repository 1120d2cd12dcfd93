#include "CaseName.h"
#include "PlaylistText.h"
#include "TempDir.h"
#include "Temporaries.h"
#include "drive/Drive.h"
#include "drive/FileOps.h"

#include <array>
#include <cstddef>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tunecrate {
namespace {

using test::countTemporaries;
using test::PrintTo;
using test::readFile;
using test::readPlaylist;
using test::TempDir;
using test::writeFile;
namespace fs = std::filesystem;

const platform::CopyProgressRoutine ignoreProgress = [](std::uint64_t, std::uint64_t) {
};

// The system's temporary folder lies on ext4, tmpfs or the like, which keep
// names as they are.
TEST(DrivePosix, TheTemporaryFolderKeepsNamesAsTheyAre)
{
    const test::TempDir dir;
    EXPECT_FALSE(followsWindowsRules(dir.path().string()));
}

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

// A read-only source (a CD rip, a read-only share) gives a copy its owner may
// write, so that the next export replaces it once the source changed.
TEST(FileCopyPosix, ReadOnlySourceGivesAnOwnerWritableCopyThatALaterCopyReplaces)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "music");
    fs::permissions(dir.path() / "a.mp3", fs::perms::owner_read | fs::perms::group_read);

    ASSERT_TRUE(FileCopy(dir.file("a.mp3"), dir.file("b.mp3"), ignoreProgress));
    EXPECT_EQ(fs::status(dir.path() / "b.mp3").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(dir.path() / "a.mp3", fs::perms::owner_write, fs::perm_options::add);
    writeFile(dir.path() / "a.mp3", "changed music");
    fs::permissions(dir.path() / "a.mp3", fs::perms::owner_write, fs::perm_options::remove);
    ASSERT_TRUE(FileCopy(dir.file("a.mp3"), dir.file("b.mp3"), ignoreProgress));
    EXPECT_EQ(test::readFile(dir.path() / "b.mp3"), "changed music");
}

// Times 380 years apart, as a broken clock or a bad tag writer leaves them,
// are far apart, not a product that overflows into a match.
TEST(FileCopyPosix, CopyCenturiesOffItsSourceIsNotHeld)
{
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "music");
    writeFile(dir.path() / "b.mp3", "music");
    const std::array<timespec, 2> past{timespec{-2'000'000'000, 0}, timespec{-2'000'000'000, 0}};
    const std::array<timespec, 2> future{timespec{10'000'000'000, 0}, timespec{10'000'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("a.mp3").c_str(), past.data(), 0), 0);
    if (::utimensat(AT_FDCWD, dir.file("b.mp3").c_str(), future.data(), 0) != 0) {
        GTEST_SKIP() << "this file system keeps no time that far ahead";
    }
    EXPECT_FALSE(heldCopySize(dir.file("a.mp3"), dir.file("b.mp3"), true));
}

// Makes the given system calls fail with EPERM in this process from now on, as
// a FAT stick or another user's mount refuses a mode or times.
void refuseSystemCalls(const std::vector<long>& calls)
{
    std::vector<sock_filter> program{{BPF_LD | BPF_W | BPF_ABS, 0, 0, offsetof(seccomp_data, nr)}};
    for (const long call : calls) {
        program.push_back({BPF_JMP | BPF_JEQ | BPF_K, 0, 1, static_cast<std::uint32_t>(call)});
        program.push_back({BPF_RET | BPF_K, 0, 0, SECCOMP_RET_ERRNO | EPERM});
    }
    program.push_back({BPF_RET | BPF_K, 0, 0, SECCOMP_RET_ALLOW});
    const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0) {
        ::_exit(3);
    }
}

struct RefusedMetadataCase {
    const char* name;
    std::vector<long> refused;
    bool timeKept;
};

class RefusedMetadataTest : public testing::TestWithParam<RefusedMetadataCase> {};

// Only the data decides: a copy whose bytes all arrived is done, whatever the
// file system says to the mode and times.
TEST_P(RefusedMetadataTest, CopySucceedsWithWhatTheFileSystemTakes)
{
    const RefusedMetadataCase& row = GetParam();
    TempDir dir;
    writeFile(dir.path() / "a.mp3", "music");
    const auto past = fs::last_write_time(dir.path() / "a.mp3") - std::chrono::hours(240);
    fs::last_write_time(dir.path() / "a.mp3", past);

    // In a child of its own, which alone runs under the filter.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        refuseSystemCalls(row.refused);
        ::_exit(FileCopy(dir.file("a.mp3"), dir.file("b.mp3"), ignoreProgress) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_NE(WEXITSTATUS(status), 3) << "no seccomp filter here";

    EXPECT_EQ(WEXITSTATUS(status), 0) << "the copy failed";
    EXPECT_EQ(readFile(dir.path() / "b.mp3"), "music");
    EXPECT_EQ(fs::last_write_time(dir.path() / "b.mp3") == past, row.timeKept);
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    FileCopyPosix, RefusedMetadataTest,
    testing::Values(RefusedMetadataCase{"ModeRefused", {SYS_fchmod, SYS_fchmodat}, true},
                    RefusedMetadataCase{"TimesRefused", {SYS_utimensat}, false},
                    RefusedMetadataCase{
                        "ModeAndTimesRefused", {SYS_fchmod, SYS_fchmodat, SYS_utimensat}, false}),
    [](const testing::TestParamInfo<RefusedMetadataCase>& row) {
        return std::string(row.param.name);
    });

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
    EXPECT_TRUE(readPlaylist(dir.file("fifo")).empty());
    EXPECT_FALSE(FileCopy(dir.file("fifo"), dir.file("copy"), ignoreProgress));
    EXPECT_FALSE(fs::exists(dir.path() / "copy"));
}

// One look at the destination decides what a copy does with it.
struct DestinationCase {
    const char* name;
    std::function<void(const fs::path& source, const fs::path& destination)> prepare;
    bool copied;
    // What the destination path holds afterwards, and whether it is still a link.
    std::string content;
    bool symlink;
};

class DestinationTest : public testing::TestWithParam<DestinationCase> {};

TEST_P(DestinationTest, IsLeftReplacedOrRefusedAsItDeserves)
{
    const DestinationCase& row = GetParam();
    TempDir dir;
    writeFile(dir.path() / "source.mp3", "music");
    writeFile(dir.path() / "other.mp3", "other");
    row.prepare(dir.path() / "source.mp3", dir.path() / "out.mp3");
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;

    EXPECT_EQ(static_cast<bool>(FileCopy(dir.file("source.mp3"), dir.file("out.mp3"),
                                         [&](std::uint64_t total, std::uint64_t done) {
                                             progress.emplace_back(total, done);
                                         })),
              row.copied);

    EXPECT_EQ(readFile(dir.path() / "out.mp3"), row.content);
    EXPECT_EQ(fs::is_symlink(dir.path() / "out.mp3"), row.symlink);
    EXPECT_EQ(readFile(dir.path() / "source.mp3"), "music");
    EXPECT_EQ(readFile(dir.path() / "other.mp3"), "other");
    if (row.copied) {
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), std::make_pair(std::uint64_t{5}, std::uint64_t{5}));
    }
    EXPECT_EQ(countTemporaries(dir.path()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    FileCopyPosix, DestinationTest,
    testing::Values(
        DestinationCase{"Missing", [](const fs::path&, const fs::path&) {}, true, "music", false},
        DestinationCase{"HardLinkToTheSource",
                        [](const fs::path& source, const fs::path& destination) {
                            fs::create_hard_link(source, destination);
                        },
                        true, "music", false},
        DestinationCase{"SymlinkToTheSource",
                        [](const fs::path& source, const fs::path& destination) {
                            fs::create_symlink(source, destination);
                        },
                        true, "music", true},
        DestinationCase{"SymlinkToAnotherFileIsReplacedNotFollowed",
                        [](const fs::path& source, const fs::path& destination) {
                            fs::create_symlink(source.parent_path() / "other.mp3", destination);
                        },
                        true, "music", false},
        DestinationCase{"SymlinkToAProtectedFileIsReplacedNotFollowed",
                        [](const fs::path& source, const fs::path& destination) {
                            const fs::path other = source.parent_path() / "other.mp3";
                            fs::permissions(other, fs::perms::owner_read);
                            fs::create_symlink(other, destination);
                        },
                        true, "music", false},
        DestinationCase{"DanglingSymlink",
                        [](const fs::path& source, const fs::path& destination) {
                            fs::create_symlink(source.parent_path() / "gone.mp3", destination);
                        },
                        true, "music", false},
        DestinationCase{"ProtectedFile",
                        [](const fs::path&, const fs::path& destination) {
                            writeFile(destination, "kept");
                            fs::permissions(destination, fs::perms::owner_read);
                        },
                        false, "kept", false}),
    [](const testing::TestParamInfo<DestinationCase>& row) { return std::string(row.param.name); });

} // namespace
} // namespace tunecrate
