#include "ToolWindow.h"

#include <QWidget>
#include <windows.h>

namespace tunecrate {

void applyToolWindowFrame(QWidget& window)
{
    // Qt::Tool would give the narrow caption but take the task-bar button away
    // and keep the program running once the window is closed, so the styles
    // are set on the native window instead.
    const auto handle = reinterpret_cast<HWND>(window.winId());
    const LONG_PTR style = GetWindowLongPtrW(handle, GWL_EXSTYLE);
    SetWindowLongPtrW(handle, GWL_EXSTYLE, style | WS_EX_TOOLWINDOW | WS_EX_APPWINDOW);
    SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace tunecrate
