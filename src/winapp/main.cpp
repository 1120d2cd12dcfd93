#include "frmPlaylistExporter.h"

#include <exception>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand)
{
    // The shell's folder dialog wants a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int result = 0;
    try {
        tunecrate::win32::frmPlaylistExporter window(instance);
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
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result;
}
