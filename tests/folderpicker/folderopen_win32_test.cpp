#include "Folderopen.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

namespace tunecrate {
namespace {

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

} // namespace
} // namespace tunecrate
