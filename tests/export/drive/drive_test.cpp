#include "CaseName.h"
#include "drive/Drive.h"
#include "files/Utf8.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace tunecrate {
namespace {

struct TypeCase {
    const char* name;
    const char* type;
    std::optional<bool> windowsRules;
};

class MountTypeTest : public testing::TestWithParam<TypeCase> {};

TEST_P(MountTypeTest, SaysWhetherTheDriveFollowsWindowsRules)
{
    EXPECT_EQ(windowsRulesOfMountType(GetParam().type), GetParam().windowsRules);
}

INSTANTIATE_TEST_SUITE_P(
    Types, MountTypeTest,
    testing::Values(TypeCase{"vfat", "vfat", true}, TypeCase{"exfat", "exfat", true},
                    TypeCase{"ntfs3", "ntfs3", true}, TypeCase{"fusefat", "fuse.fusefat", true},
                    // exfat-fuse and ntfs-3g on a block device
                    TypeCase{"fuseblk", "fuseblk", true},
                    TypeCase{"exfatFuseOnAFile", "fuse.exfat", true},
                    TypeCase{"ntfs3g", "fuse.ntfs-3g", true}, TypeCase{"ext4", "ext4", false},
                    TypeCase{"tmpfs", "tmpfs", false}, TypeCase{"btrfs", "btrfs", false},
                    TypeCase{"sshfs", "fuse.sshfs", std::nullopt},
                    TypeCase{"bareFuse", "fuse", std::nullopt}),
    test::CaseName());

constexpr char mountinfo[] =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "30 22 0:26 / /media/usb rw,nosuid shared:5 - fuse.fusefat /dev/loop0 rw,user_id=0\n"
    "31 22 7:1 / /media/usb2 rw,nosuid shared:6 - fuseblk /dev/loop1 rw,user_id=0\n"
    "32 22 0:27 / /media/My\\040Stick rw - vfat /dev/sdb1 rw\n"
    "33 22 0:28 / /media/usb rw - exfat /dev/sdc1 rw\n"
    "34 22 0:29 / /tmp rw shared:7 - tmpfs tmpfs rw\n";

struct MountCase {
    const char* name;
    const char* path;
    const char* type;
};

class MountOfPathTest : public testing::TestWithParam<MountCase> {};

TEST_P(MountOfPathTest, IsTheLastMountedOfTheLongestMountPointsOverThePath)
{
    EXPECT_EQ(mountTypeOf(mountinfo, GetParam().path), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Paths, MountOfPathTest,
                         testing::Values(MountCase{"root", "/home/user/Music", "ext4"},
                                         MountCase{"mountPointItself", "/media/usb2", "fuseblk"},
                                         MountCase{"notAPrefixByName", "/media/usb22/x", "ext4"},
                                         MountCase{"shadowedByALaterMount", "/media/usb/Music",
                                                   "exfat"},
                                         MountCase{"escapedSpace", "/media/My Stick/Music", "vfat"},
                                         MountCase{"tmp", "/tmp/a", "tmpfs"}),
                         test::CaseName());

struct FoldCase {
    const char* name;
    const char* text;
    const char* upper;
};

class UpperCasedTest : public testing::TestWithParam<FoldCase> {};

// Two names that a Windows-rule drive takes for one compare equal upper-cased.
TEST_P(UpperCasedTest, GivesTheNameAsADriveThatIgnoresCaseComparesIt)
{
    EXPECT_EQ(upperCased(GetParam().text), GetParam().upper);
}

INSTANTIATE_TEST_SUITE_P(
    Names, UpperCasedTest,
    testing::Values(FoldCase{"ascii", "Party.m3u8", "PARTY.M3U8"},
                    FoldCase{"latin1",
                             "\xC3\xBC"
                             "ber \xC3\xA9t\xC3\xA9",
                             "\xC3\x9C"
                             "BER \xC3\x89T\xC3\x89"},
                    FoldCase{"sharpSStays",
                             "Stra\xC3\x9F"
                             "e",
                             "STRA\xC3\x9F"
                             "E"},
                    FoldCase{"yDiaeresis", "\xC3\xBF", "\xC5\xB8"},
                    FoldCase{"latinExtendedA", "\xC5\x82\xC4\x8D\xC5\xBE",
                             "\xC5\x81\xC4\x8C\xC5\xBD"},
                    FoldCase{"greekFinalSigma", "\xCE\xBB\xCF\x82", "\xCE\x9B\xCE\xA3"},
                    FoldCase{"cyrillic", "\xD0\xBF\xD1\x91", "\xD0\x9F\xD0\x81"},
                    FoldCase{"notUtf8Stays", "a\xFF\xC3", "A\xFF\xC3"}),
    test::CaseName());

} // namespace
} // namespace tunecrate
