#include "SystemDialogs.h"

#include "Folderopen.h"
#include "PlaylistFilter.h"
#include "Utf16.h"

#include <algorithm>
#include <commdlg.h>
#include <cwchar>

namespace tunecrate::win32 {
namespace {

std::string choosePlaylistFile(HWND owner)
{
    const std::wstring filter = fileDialogFilter(playlistFilter);
    // Room for a path past MAX_PATH.
    std::wstring file(32768, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = owner;
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&request)) {
        return {};
    }
    file.resize(wcsnlen(file.data(), file.size()));
    return utf8FromWide(file);
}

void showErrorBox(HWND owner, const std::string& message)
{
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<std::size_t>(
        GetWindowTextW(owner, caption.data(), static_cast<int>(caption.size()))));
    MessageBoxW(owner, wideFromUtf8(message).c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

} // namespace

std::wstring fileDialogFilter(std::string_view filter)
{
    std::wstring parts = wideFromUtf8(filter);
    std::replace(parts.begin(), parts.end(), L'|', L'\0');
    parts.push_back(L'\0');
    parts.push_back(L'\0');
    return parts;
}

Dialogs systemDialogs(HWND owner)
{
    return {
        .choosePlaylist = [owner] { return choosePlaylistFile(owner); },
        .browseFolder = &BrowseFolder,
        .showError = [owner](const std::string& message) { showErrorBox(owner, message); },
    };
}

} // namespace tunecrate::win32
