#pragma once

#include "Utf16.h"

#include <array>
#include <string>
#include <string_view>

// windows.h first: the control headers build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

namespace tunecrate::win32 {

// Thin wrappers over the handles of the window's controls, named for what the
// window does with them. They own nothing: the controls die with their parent.
class Control {
public:
    Control() = default;
    explicit Control(HWND handle) : handle_(handle) {}

    [[nodiscard]] HWND handle() const { return handle_; }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return SendMessageW(handle_, message, wParam, lParam);
    }

    [[nodiscard]] std::wstring wideText() const
    {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
        return text;
    }
    [[nodiscard]] std::string text() const { return utf8FromWide(wideText()); }
    void setText(std::string_view utf8) const
    {
        SetWindowTextW(handle_, wideFromUtf8(utf8).c_str());
    }
    void setFont(HFONT font) const { send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }
    void place(const RECT& rect) const
    {
        MoveWindow(handle_, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   TRUE);
    }

private:
    HWND handle_ = nullptr;
};

class Edit : public Control {
public:
    using Control::Control;

    // Without this a multi-line box stops taking text at 30,000 characters.
    void liftTextLimit() const { send(EM_SETLIMITTEXT, 0, 0); }
    [[nodiscard]] int length() const { return GetWindowTextLengthW(handle()); }
    // Costs the length of the piece, not of the text already in the box.
    void append(const std::wstring& piece) const
    {
        const auto end = static_cast<WPARAM>(length());
        send(EM_SETSEL, end, static_cast<LPARAM>(end));
        send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    }
    void setWideText(const std::wstring& text) const { SetWindowTextW(handle(), text.c_str()); }
    // The grey hint an empty box shows, also while it has the focus.
    void setCueBanner(const std::wstring& hint) const
    {
        send(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
    }
    // Puts the caret after the last character and scrolls it into view.
    void moveCaretToEnd() const
    {
        const auto end = static_cast<WPARAM>(length());
        send(EM_SETSEL, end, static_cast<LPARAM>(end));
        send(EM_SCROLLCARET);
    }
};

class PushButton : public Control {
public:
    using Control::Control;
};

class CheckBox : public Control {
public:
    using Control::Control;

    [[nodiscard]] bool checked() const { return send(BM_GETCHECK) == BST_CHECKED; }
};

class ComboBox : public Control {
public:
    using Control::Control;

    void addItem(const std::wstring& text) const
    {
        send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // Selects the item that reads exactly text; none when there is no such item.
    void selectText(const std::wstring& text) const
    {
        send(CB_SETCURSEL, static_cast<WPARAM>(send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(text.c_str()))));
    }
    void setFieldHeight(int pixels) const
    {
        send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), pixels);
    }
};

class ProgressBar : public Control {
public:
    using Control::Control;

    void setRange(int low, int high) const { send(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    void setPosition(int position) const { send(PBM_SETPOS, static_cast<WPARAM>(position)); }
    [[nodiscard]] int position() const { return static_cast<int>(send(PBM_GETPOS)); }
};

class StatusBar : public Control {
public:
    using Control::Control;

    static constexpr int panelCount = 3;

    // Each part's right edge, in pixels from the bar's left.
    void setParts(const std::array<int, panelCount>& rightEdges) const
    {
        send(SB_SETPARTS, WPARAM{panelCount}, reinterpret_cast<LPARAM>(rightEdges.data()));
    }
    // Panels are numbered from 1.
    void setPanelText(int panel, const std::wstring& text) const
    {
        send(SB_SETTEXTW, static_cast<WPARAM>(panel - 1), reinterpret_cast<LPARAM>(text.c_str()));
    }
};

} // namespace tunecrate::win32
