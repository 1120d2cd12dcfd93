#pragma once

#include "ControlIds.h"
#include "Dialogs.h"
#include "Utf16.h"
#include "frmPlaylistExporter.h"

#include <memory>
#include <string>

// windows.h first: the control headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

namespace tunecrate::win32 {

// The window under test, shown in front, and its controls as a test reaches
// them: by their ids, through the messages the controls take.
class WindowControls {
public:
    // Throws where no window can be made (no display).
    void open(Dialogs dialogs)
    {
        window = std::make_unique<frmPlaylistExporter>(GetModuleHandleW(nullptr));
        window->setDialogs(std::move(dialogs));
        window->show(SW_SHOW);
        SetForegroundWindow(window->handle());
        pump();
    }

    // Hands every waiting message on, as the program's loop does.
    void pump() const
    {
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            window->dispatch(message);
        }
    }

    [[nodiscard]] HWND item(ControlId id) const { return GetDlgItem(window->handle(), idOf(id)); }
    [[nodiscard]] std::string text(ControlId id) const { return textOf(item(id)); }
    static std::string textOf(HWND control)
    {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
        return utf8FromWide(text);
    }
    void setText(ControlId id, const std::string& utf8) const
    {
        SetWindowTextW(item(id), wideFromUtf8(utf8).c_str());
    }
    // A click as the button makes it; the command runs to its end before this returns.
    void click(ControlId id) const { SendMessageW(item(id), BM_CLICK, 0, 0); }
    [[nodiscard]] std::string panel(int number) const
    {
        std::wstring text(256, L'\0');
        const auto length = LOWORD(SendMessageW(item(ControlId::stbStatus), SB_GETTEXTW,
                                                static_cast<WPARAM>(number - 1),
                                                reinterpret_cast<LPARAM>(text.data())));
        text.resize(length);
        return utf8FromWide(text);
    }
    [[nodiscard]] int progress() const
    {
        return static_cast<int>(SendMessageW(item(ControlId::pgbCopy), PBM_GETPOS, 0, 0));
    }

    std::unique_ptr<frmPlaylistExporter> window;
};

} // namespace tunecrate::win32
