#include "CaseName.h"
#include "drive/DriveNames.h"

#include <gtest/gtest.h>
#include <string>

namespace tunecrate {
namespace {

struct SafeNameCase {
    const char* name;
    std::string bareName;
    std::string onWindowsRules;
};

class SafeNameTest : public testing::TestWithParam<SafeNameCase> {};

// Where the drive takes names as they are, they stay exactly as they are.
TEST_P(SafeNameTest, IsOneAWindowsRuleDriveTakesAndTheNameItselfElsewhere)
{
    EXPECT_EQ(driveSafeName(GetParam().bareName, true), GetParam().onWindowsRules);
    EXPECT_EQ(driveSafeName(GetParam().bareName, false), GetParam().bareName);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SafeNameTest,
    testing::Values(SafeNameCase{"question", "What Is Love?.mp3", "What Is Love_.mp3"},
                    SafeNameCase{"colon", "AC:DC - Live.mp3", "AC_DC - Live.mp3"},
                    SafeNameCase{"quotes", "Say \"Hi\".mp3", "Say _Hi_.mp3"},
                    SafeNameCase{"barStarAngles", "<Pipe|Dream*>.mp3", "_Pipe_Dream__.mp3"},
                    SafeNameCase{"backslash", "a\\b.mp3", "a_b.mp3"},
                    SafeNameCase{"controls", "Tab\there\x7F.mp3", "Tab_here_.mp3"},
                    SafeNameCase{"notUtf8", "a\xFF\xC3.mp3", "a__.mp3"},
                    SafeNameCase{"utf8Stays",
                                 "\xC3\xBC"
                                 "ber \xF0\x9F\x8E\xB5.mp3",
                                 "\xC3\xBC"
                                 "ber \xF0\x9F\x8E\xB5.mp3"},
                    SafeNameCase{"trailingDotsAndSpaces", "Trailing dot.mp3. .",
                                 "Trailing dot.mp3"},
                    SafeNameCase{"onlyDots", "...", "_"},
                    SafeNameCase{"deviceWithExtension", "con.mp3", "con_.mp3"},
                    SafeNameCase{"deviceAlone", "LPT1", "LPT1_"},
                    SafeNameCase{"deviceBeforeTwoExtensions", "Nul.tar.gz", "Nul_.tar.gz"},
                    SafeNameCase{"notADevice", "COM10.mp3", "COM10.mp3"},
                    SafeNameCase{"deviceAsAPrefix", "Console.mp3", "Console.mp3"}),
    test::CaseName());

struct LengthCase {
    const char* name;
    std::string safeName;
    int number;
    bool windowsRules;
    std::string written;
};

class NameOnDriveTest : public testing::TestWithParam<LengthCase> {};

TEST_P(NameOnDriveTest, IsNumberedThenShortenedBeforeItsExtensionToFit)
{
    EXPECT_EQ(nameOnDrive(GetParam().safeName, GetParam().number, GetParam().windowsRules),
              GetParam().written);
}

std::string times(int count, const std::string& piece)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

const std::string u = "\xC3\xBC";            // one UTF-16 unit, two bytes
const std::string note = "\xF0\x9F\x8E\xB5"; // two UTF-16 units, four bytes

INSTANTIATE_TEST_SUITE_P(
    Lengths, NameOnDriveTest,
    testing::Values(
        LengthCase{"fits", "song.mp3", 1, true, "song.mp3"},
        LengthCase{"numbered", "song.mp3", 2, true, "song (2).mp3"},
        LengthCase{"numberedWithoutExtension", "song", 3, false, "song (3)"},
        LengthCase{"tooLong", times(300, "a") + ".mp3", 1, true, times(251, "a") + ".mp3"},
        LengthCase{"tooLongNumbered", times(300, "a") + ".mp3", 12, false,
                   times(246, "a") + " (12).mp3"},
        LengthCase{"unitsOnWindowsRules", times(200, u) + ".mp3", 1, true, times(200, u) + ".mp3"},
        LengthCase{"bytesElsewhere", times(200, u) + ".mp3", 1, false, times(125, u) + ".mp3"},
        LengthCase{"surrogatePairsCountTwice", times(130, note) + ".mp3", 1, true,
                   times(125, note) + ".mp3"},
        LengthCase{"noSpaceLeftAtTheCut", times(250, "a") + "   b.mp3", 1, true,
                   times(250, "a") + ".mp3"}),
    test::CaseName());

} // namespace
} // namespace tunecrate
