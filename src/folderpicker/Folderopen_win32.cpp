#include "Folderopen.h"

#include <array>
#include <cwchar>
#include <filesystem>
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

namespace tunecrate {
namespace {

std::wstring wideText(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

std::string utf8Text(const std::wstring& wide)
{
    const std::u8string text = std::filesystem::path(wide).u8string();
    return {text.begin(), text.end()};
}

// Preselects the start folder, which arrives as the dialog's application data.
int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM /*param*/, LPARAM startPath)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, startPath);
    }
    return 0;
}

// The shell dialog needs COM on this thread; the window usually has it already.
class ComScope {
public:
    ComScope()
        : initialized_(
              SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
    {}
    ~ComScope()
    {
        if (initialized_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

} // namespace

std::string BrowseFolder(const std::string& sTitle, const std::string& sStartPath)
{
    const ComScope com;
    const std::wstring title = wideText(sTitle);
    const std::wstring startPath = wideText(sStartPath);

    BROWSEINFOW request{};
    request.hwndOwner = GetActiveWindow();
    request.lpszTitle = title.c_str();
    request.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!sStartPath.empty()) {
        request.lpfn = BrowseCallback;
        request.lParam = reinterpret_cast<LPARAM>(startPath.c_str());
    }

    PIDLIST_ABSOLUTE folder = SHBrowseForFolderW(&request);
    if (folder == nullptr) {
        return {};
    }
    std::array<wchar_t, MAX_PATH> path{};
    SHGetPathFromIDListW(folder, path.data());
    CoTaskMemFree(folder);
    return utf8Text(std::wstring(path.data(), wcsnlen(path.data(), path.size())));
}

} // namespace tunecrate
