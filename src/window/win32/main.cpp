#include "ProgramArguments.h"
#include "Utf16.h"
#include "frmPlaylistExporter.h"

#include <exception>
#include <memory>
#include <ole2.h>
#include <string>
#include <vector>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand)
{
    // A single-threaded apartment, as the shell's folder dialog wants, with the
    // drag and drop of OLE.
    const HRESULT ole = OleInitialize(nullptr);
    int result = 0;
    try {
        tunecrate::win32::frmPlaylistExporter window(instance);
        std::vector<std::string> arguments;
        for (const std::wstring& argument : tunecrate::win32::programArguments()) {
            arguments.push_back(tunecrate::utf8FromWide(argument));
        }
        window.openPaths(arguments);
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
