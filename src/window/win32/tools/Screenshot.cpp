// Photographs the real tunecrate.exe after a small export, for the README.
// Runs under Wine on a virtual display: starts the program, fills its path
// boxes, presses Save, waits for the run to end and copies the window from the
// screen into a 24-bit BMP.
//
//   tunecrate_screenshot <tunecrate.exe> <output.bmp>

#include "ControlIds.h"
#include "Utf16.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

using namespace tunecrate;
using namespace tunecrate::win32;
namespace fs = std::filesystem;

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <class Condition> bool waitFor(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::wstring textOf(HWND control)
{
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void setText(HWND control, const fs::path& path)
{
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

void writeBmp(const fs::path& file, const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto rowBytes = static_cast<std::size_t>((width * 3 + 3) & ~3);
    const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(height);

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    header.bfSize = static_cast<DWORD>(header.bfOffBits + pixelBytes);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(pixelBytes));

    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

void photograph(const fs::path& program, const fs::path& output)
{
    // Directly under C:\, where Wine keeps it in its own prefix.
    const fs::path scene = fs::path(L"C:\\tunecrate-screenshot");
    fs::remove_all(scene);
    fs::create_directories(scene / L"Music");
    fs::create_directories(scene / L"Stick");
    std::string playlist = "#EXTM3U\r\n";
    for (const char* name : {"01 Morning Light.mp3", "02 Harbour Walk.mp3", "03 Quiet Hours.mp3"}) {
        const fs::path song = scene / L"Music" / name;
        writeFile(song, std::string(64 * 1024, 'm'));
        playlist += "#EXTINF:200," + std::string(name).substr(3) + "\r\n";
        playlist += utf8FromWide(song.wstring()) + "\r\n";
    }
    writeFile(scene / L"Road Trip.m3u", playlist);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        throw std::runtime_error("tunecrate.exe could not be started");
    }
    HWND window = nullptr;
    if (!waitFor([&] {
            window = FindWindowW(windowClassName, nullptr);
            return window != nullptr && IsWindowVisible(window);
        })) {
        throw std::runtime_error("the window did not appear");
    }
    const auto control = [window](ControlId id) {
        return GetDlgItem(window, idOf(id));
    };
    setText(control(ControlId::txtPathfrom), scene / L"Road Trip.m3u");
    setText(control(ControlId::txtPathto), scene / L"Stick");
    SendMessageW(control(ControlId::chkNumbered), BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(control(ControlId::cmdSave), BM_CLICK, 0, 0);
    if (!waitFor([&] {
            return textOf(control(ControlId::txtPlaylist)).ends_with(L"All files copied!");
        })) {
        throw std::runtime_error("the export did not end");
    }
    // The last frame of the run reaches the screen.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    RECT frame{};
    GetWindowRect(window, &frame);
    writeBmp(output, frame);

    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    fs::remove_all(scene);
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    if (argc != 3) {
        std::fputs("usage: tunecrate_screenshot <tunecrate.exe> <output.bmp>\n", stderr);
        return 2;
    }
    try {
        photograph(argv[1], argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tunecrate_screenshot: %s\n", error.what());
        return 1;
    }
    return 0;
}
