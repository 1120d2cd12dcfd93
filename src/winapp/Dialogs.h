#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <windows.h>

namespace tunecrate::win32 {

// The dialogs the window's commands open, and how it reports an error. The
// window holds them as replaceable parts so that its commands can be driven
// without a person in front of a real dialog.
struct Dialogs {
    // The chosen playlist's full path; the empty text when the user cancels.
    std::function<std::string(HWND owner)> choosePlaylist;
    // The chosen folder's path; the empty text when the user cancels.
    std::function<std::string(const std::string& sTitle, const std::string& sStartPath)>
        browseFolder;
    std::function<void(HWND owner, const std::string& message)> showError;

    // The real ones: the file-open dialog, the system's folder picker and a
    // message box.
    [[nodiscard]] static Dialogs system();
};

// A "|"-separated filter in the form the file-open dialog takes: every part
// ends in a NUL, and one more NUL ends the list.
[[nodiscard]] std::wstring fileDialogFilter(std::string_view filter);

} // namespace tunecrate::win32
