#include "Utf16.h"
#include "frmPlaylistExporter.h"

#include <exception>
#include <memory>
#include <ole2.h>
#include <shellapi.h>
#include <string>
#include <vector>

namespace {

// The command line as the program was started with it: "tunecrate.exe
// PLAYLIST", or a playlist dropped on the program's icon in Explorer.
std::vector<std::string> programArguments()
{
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype([](LPWSTR* list) { LocalFree(list); })> list(
        CommandLineToArgvW(GetCommandLineW(), &count));
    std::vector<std::string> arguments;
    for (int i = 1; list != nullptr && i < count; ++i) {
        arguments.push_back(tunecrate::utf8FromWide(list.get()[i]));
    }
    return arguments;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand)
{
    // A single-threaded apartment, as the shell's folder dialog wants, with the
    // drag and drop of OLE.
    const HRESULT ole = OleInitialize(nullptr);
    int result = 0;
    try {
        tunecrate::win32::frmPlaylistExporter window(instance);
        window.openPaths(programArguments());
        window.endProgramWhenClosed();
        window.show(showCommand);
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            window.dispatch(message);
        }
        result = static_cast<int>(message.wParam);
    } catch (const std::exception& error) {
        MessageBoxA(nullptr, error.what(), "Tunecrate", MB_OK | MB_ICONERROR);
        result = 1;
    }
    if (SUCCEEDED(ole)) {
        OleUninitialize();
    }
    return result;
}
