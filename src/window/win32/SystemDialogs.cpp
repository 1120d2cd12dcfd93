#include "SystemDialogs.h"

#include "Folderopen.h"
#include "Language.h"
#include "PlaylistFilter.h"
#include "Utf16.h"

#include <algorithm>
#include <array>
#include <commctrl.h>
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

// A task dialog: message boxes cannot name their buttons.
bool askCopyWhatFitsBox(HWND owner, const std::string& question)
{
    constexpr int copyWhatFits = 100;
    std::wstring caption(256, L'\0');
    caption.resize(static_cast<std::size_t>(
        GetWindowTextW(owner, caption.data(), static_cast<int>(caption.size()))));
    const std::wstring text = wideFromUtf8(question);
    const std::wstring copyCaption = wideFromUtf8(Language().strCopyWhatFits);
    const std::wstring cancelCaption = wideFromUtf8(Language().strCancel);
    const std::array<TASKDIALOG_BUTTON, 2> buttons{
        {{copyWhatFits, copyCaption.c_str()}, {IDCANCEL, cancelCaption.c_str()}}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = text.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    config.nDefaultButton = copyWhatFits;
    int pressed = IDCANCEL;
    return SUCCEEDED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr)) &&
           pressed == copyWhatFits;
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
        .askCopyWhatFits =
            [owner](const std::string& question) { return askCopyWhatFitsBox(owner, question); },
    };
}

} // namespace tunecrate::win32
