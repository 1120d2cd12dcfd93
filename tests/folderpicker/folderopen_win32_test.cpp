#include "CaseName.h"
#include "Folderopen.h"
#include "ModalDialog.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

namespace tunecrate {
namespace {

using test::PrintTo;

bool isWineWithoutDisplay()
{
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine && GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0 &&
           GetEnvironmentVariableW(L"WAYLAND_DISPLAY", nullptr, 0) == 0;
}

// Wine without a display cannot show the dialog, so SHBrowseForFolderW returns
// at once with nothing chosen: the path Cancel takes.
TEST(BrowseFolderWin32, DialogClosedWithoutAChoiceGivesEmptyText)
{
    if (!isWineWithoutDisplay()) {
        GTEST_SKIP() << "the dialog would wait for a user";
    }
    EXPECT_EQ(BrowseFolder("Bitte Ordner auswählen", ""), "");
    EXPECT_EQ(BrowseFolder("Ω 音楽", "C:\\"), "");
    // COM is left as it was found: not initialised on this thread.
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
}

struct FolderAnswer {
    const char* name;
    bool confirm;
};

class BrowseFolderShown : public testing::TestWithParam<FolderAnswer> {};

// With a display the real dialog opens; it is answered as a user would, on a
// folder directly under C:\ (Wine links the profile folders to the Linux home).
TEST_P(BrowseFolderShown, GivesTheConfirmedFolderOrEmptyText)
{
    if (isWineWithoutDisplay()) {
        GTEST_SKIP() << "no display to show the dialog on";
    }
    const test::TempDir dir(L"C:\\");
    const std::filesystem::path folder = dir.path() / L"Musik \u00e4";
    std::filesystem::create_directories(folder);
    const bool confirm = GetParam().confirm;
    // Wine's dialog may still be filling its tree when it shows, and then
    // drops a selection: it is made again once what is queued has run.
    const test::ModalDialogAnswer answer([&](HWND dialog) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        PostMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        PostMessageW(dialog, WM_COMMAND, confirm ? IDOK : IDCANCEL, 0);
    });

    const std::string chosen = BrowseFolder("Bitte Ordner auswählen", "");

    EXPECT_TRUE(test::ModalDialogAnswer::answered());
    const std::u8string expected = folder.u8string();
    EXPECT_EQ(chosen, confirm ? std::string(expected.begin(), expected.end()) : std::string());
}

INSTANTIATE_TEST_SUITE_P(Answers, BrowseFolderShown,
                         testing::Values(FolderAnswer{"confirmed", true},
                                         FolderAnswer{"cancelled", false}),
                         test::CaseName());

} // namespace
} // namespace tunecrate
