#include "CaseName.h"
#include "ExportScene.h"
#include "files/Failure.h"
#include "run/ExportRun.h"
#include "run/RunContext.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>

#ifdef _WIN32
#include <windows.h>
constexpr int otherCode = ERROR_NOT_SUPPORTED;
#else
#include <cerrno>
constexpr int otherCode = ELOOP;
#endif

namespace tunecrate {
namespace {

// The system's codes as they reach a failed copy, at either end.
struct CodeCase {
    const char* name;
    int code;
    Side side;
    Reason reason;
};

class SystemCodeTest : public testing::TestWithParam<CodeCase> {};

TEST_P(SystemCodeTest, GivesTheReasonAUserCanActOn)
{
    const CodeCase& row = GetParam();
    EXPECT_EQ(failureOf(row.code, row.side), (Failure{row.reason, row.code}));
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(
    Windows, SystemCodeTest,
    testing::Values(
        CodeCase{"SongNotFound", ERROR_FILE_NOT_FOUND, Side::Source, Reason::NotFound},
        CodeCase{"SongFolderNotFound", ERROR_PATH_NOT_FOUND, Side::Source, Reason::NotFound},
        CodeCase{"SongDenied", ERROR_ACCESS_DENIED, Side::Source, Reason::Unreadable},
        CodeCase{"SongLocked", ERROR_SHARING_VIOLATION, Side::Source, Reason::Unreadable},
        CodeCase{"SongsDriveGone", ERROR_DEVICE_NOT_CONNECTED, Side::Source, Reason::Unreadable},
        CodeCase{"TargetMissing", ERROR_PATH_NOT_FOUND, Side::Target, Reason::FolderMissing},
        CodeCase{"DiskFull", ERROR_DISK_FULL, Side::Target, Reason::DriveFull},
        CodeCase{"HandleDiskFull", ERROR_HANDLE_DISK_FULL, Side::Target, Reason::DriveFull},
        CodeCase{"FileTooLarge", ERROR_FILE_TOO_LARGE, Side::Target, Reason::TooLarge},
        CodeCase{"InvalidName", ERROR_INVALID_NAME, Side::Target, Reason::NameRefused},
        CodeCase{"NameTooLong", ERROR_FILENAME_EXCED_RANGE, Side::Target, Reason::NameRefused},
        CodeCase{"WriteProtect", ERROR_WRITE_PROTECT, Side::Target, Reason::ReadOnly},
        CodeCase{"NotConnected", ERROR_DEVICE_NOT_CONNECTED, Side::Target, Reason::DriveGone},
        CodeCase{"NotReady", ERROR_NOT_READY, Side::Target, Reason::DriveGone},
        CodeCase{"GeneralFailure", ERROR_GEN_FAILURE, Side::Target, Reason::DriveGone},
        CodeCase{"FileExists", ERROR_FILE_EXISTS, Side::Target, Reason::NameTaken},
        CodeCase{"AlreadyExists", ERROR_ALREADY_EXISTS, Side::Target, Reason::NameTaken},
        CodeCase{"TargetDenied", ERROR_ACCESS_DENIED, Side::Target, Reason::System},
        CodeCase{"Other", otherCode, Side::Target, Reason::System}),
    test::CaseName());
#else
INSTANTIATE_TEST_SUITE_P(
    Posix, SystemCodeTest,
    testing::Values(CodeCase{"SongNotFound", ENOENT, Side::Source, Reason::NotFound},
                    CodeCase{"SongFolderNotAFolder", ENOTDIR, Side::Source, Reason::NotFound},
                    CodeCase{"SongDenied", EACCES, Side::Source, Reason::Unreadable},
                    CodeCase{"SongsDriveFailed", EIO, Side::Source, Reason::Unreadable},
                    CodeCase{"TargetMissing", ENOENT, Side::Target, Reason::FolderMissing},
                    CodeCase{"DriveFull", ENOSPC, Side::Target, Reason::DriveFull},
                    CodeCase{"QuotaFull", EDQUOT, Side::Target, Reason::DriveFull},
                    CodeCase{"FileTooLarge", EFBIG, Side::Target, Reason::TooLarge},
                    CodeCase{"NameInvalid", EINVAL, Side::Target, Reason::NameRefused},
                    CodeCase{"NameNotInCharset", EILSEQ, Side::Target, Reason::NameRefused},
                    CodeCase{"NameTooLong", ENAMETOOLONG, Side::Target, Reason::NameRefused},
                    CodeCase{"ReadOnly", EROFS, Side::Target, Reason::ReadOnly},
                    CodeCase{"DriveFailed", EIO, Side::Target, Reason::DriveGone},
                    CodeCase{"DriveRemoved", ENODEV, Side::Target, Reason::DriveGone},
                    CodeCase{"NoMedium", ENOMEDIUM, Side::Target, Reason::DriveGone},
                    CodeCase{"NameTaken", EEXIST, Side::Target, Reason::NameTaken},
                    CodeCase{"TargetDenied", EACCES, Side::Target, Reason::System},
                    CodeCase{"Other", otherCode, Side::Source, Reason::System}),
    test::CaseName());
#endif

TEST(ReasonText, EachReasonHasItsOwnWordsInBothLanguagesAndOtherwiseTheSystems)
{
    test::TestWindow window;
    for (const char* language : {"English", "Deutsch"}) {
        ApplyLanguage(language, window);
        std::set<std::string> said;
        for (int reason = 0; reason < static_cast<int>(Reason::System); ++reason) {
            const std::string text = reasonText(Failure{static_cast<Reason>(reason)});
            EXPECT_FALSE(text.empty()) << language << " " << reason;
            EXPECT_TRUE(said.insert(text).second) << language << " says twice: " << text;
        }
        EXPECT_EQ(reasonText(failureOf(otherCode, Side::Target)), systemMessage(otherCode));
        EXPECT_FALSE(systemMessage(otherCode).empty());
    }
    ApplyLanguage("English", window);
    EXPECT_EQ(reasonText(Failure{Reason::TooLarge}),
              "the file is too large for this drive (FAT32 takes at most 4 GiB a file)");
}

// A run's failures by the rules the run itself applies, and the folder's.
struct RuleCase {
    const char* name;
    std::function<void(test::ExportScene&, std::vector<std::string>& lines)> prepare;
    std::string reason;
};

class RuleTest : public testing::TestWithParam<RuleCase>, public test::ExportScene {};

TEST_P(RuleTest, EndsTheLogWithTheSourceAndItsReason)
{
    std::vector<std::string> lines{dir.file("music/a.mp3")};
    song("a.mp3");
    GetParam().prepare(*this, lines);
    playlist(lines);
    runExport(window);
    const std::vector<std::string> log = window.logLines();
    ASSERT_GE(log.size(), 2U);
    EXPECT_EQ(log[log.size() - 2], "Done: 1 of 1 files could not be copied.");
    EXPECT_EQ(log.back(), log[1] + ": " + GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleTest,
    testing::Values(RuleCase{"SongNotFound",
                             [](test::ExportScene& scene, std::vector<std::string>&) {
                                 std::filesystem::remove(scene.music() / "a.mp3");
                             },
                             "the song was not found"},
                    RuleCase{"FolderMissing",
                             [](test::ExportScene& scene, std::vector<std::string>&) {
                                 scene.window.pathToText = scene.dir.file("nowhere");
                             },
                             "the target folder does not exist"},
                    RuleCase{"FolderNotAFullPath",
                             [](test::ExportScene& scene, std::vector<std::string>&) {
                                 scene.window.pathToText = "export";
                             },
                             "the target folder is not a full path"},
                    RuleCase{"LineCutShort",
                             [](test::ExportScene&, std::vector<std::string>& lines) {
                                 lines[0] += std::string(300 * 1024, 'x');
                             },
                             "the playlist's line was cut short"}),
    test::CaseName());

} // namespace
} // namespace tunecrate
