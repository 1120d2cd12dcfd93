#include "ControlIds.h"
#include "TempDir.h"
#include "Utf16.h"
#include "frmPlaylistExporter.h"

#include <chrono>
#include <exception>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <windows.h>

namespace tunecrate::win32 {
namespace {

// Starts the real tunecrate.exe (from the working folder) with a playlist named
// relative to the folder it starts in, as Explorer opens a file with it; finds
// its window as a tool looking at windows would, reads the playlist box, and
// closes the window by its close box.
TEST(TunecrateExe, StartsWithItsPlaylistArgumentAndEndsWhenItIsClosed)
{
    try {
        const frmPlaylistExporter probe(GetModuleHandleW(nullptr));
    } catch (const std::exception& error) {
        GTEST_SKIP() << "no window without a display: " << error.what();
    }
    const test::TempDir scene;
    test::writeFile(scene.path() / "Mix Tape.M3U8", "#EXTM3U\r\n");
    std::wstring commandLine =
        L"\"" + std::filesystem::absolute(TUNECRATE_EXE).wstring() + L"\" \"Mix Tape.M3U8\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               scene.path().c_str(), &startup, &process))
        << "error " << GetLastError();

    HWND window = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        for (HWND found = FindWindowW(windowClassName, nullptr); found != nullptr;
             found = FindWindowExW(nullptr, found, windowClassName, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == process.dwProcessId && IsWindowVisible(found)) {
                window = found;
            }
        }
        if (window != nullptr) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    ASSERT_NE(window, nullptr) << "no visible frmPlaylistExporter window";
    std::wstring caption(64, L'\0');
    caption.resize(static_cast<std::size_t>(
        GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()))));
    EXPECT_EQ(caption, L"Tunecrate 0.9.0 by Quillmar");
    // Another program's box tells its text only when asked by message.
    std::wstring pathFrom(MAX_PATH, L'\0');
    pathFrom.resize(static_cast<std::size_t>(
        SendMessageW(GetDlgItem(window, idOf(ControlId::txtPathfrom)), WM_GETTEXT, MAX_PATH,
                     reinterpret_cast<LPARAM>(pathFrom.data()))));
    EXPECT_EQ(utf8FromWide(pathFrom), scene.file("Mix Tape.M3U8"));

    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    DWORD exitCode = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    if (exitCode == STILL_ACTIVE) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace
} // namespace tunecrate::win32
