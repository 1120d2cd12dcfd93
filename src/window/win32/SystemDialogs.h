#pragma once

#include "Dialogs.h"

#include <string>
#include <string_view>
#include <windows.h>

namespace tunecrate::win32 {

// The real dialogs, owned by owner: the file-open dialog, the system's folder
// picker and a message box.
[[nodiscard]] Dialogs systemDialogs(HWND owner);

// A "|"-separated filter in the form the file-open dialog takes: every part
// ends in a NUL, and one more NUL ends the list.
[[nodiscard]] std::wstring fileDialogFilter(std::string_view filter);

} // namespace tunecrate::win32
