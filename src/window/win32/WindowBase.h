#pragma once

#include "Controls.h"

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace tunecrate::win32 {

// A top-level window of the program over the system's own controls. It
// registers its class, routes the window procedure to the object, keeps the
// keyboard navigation and focus of a dialog, and hands each control's
// notification to the handler bound to that control, so that a window is
// its controls and short handlers instead of one switch over every message.
class WindowBase {
public:
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // Null once the window is closed.
    [[nodiscard]] HWND handle() const { return window_; }
    void show(int showCommand);
    // The program ends with the window: its closing posts the quit message.
    void endProgramWhenClosed() { endsProgram_ = true; }

    // Hands one message on, with the keyboard navigation of a dialog.
    void dispatch(const MSG& message) const;

protected:
    WindowBase() = default;

    // Registers the class at its first use (with the program's icon) and
    // creates the window, not shown yet.
    void create(HINSTANCE instance, const wchar_t* className, const wchar_t* caption, DWORD style,
                DWORD exStyle);
    void destroy();

    // Where the focus goes when the window is activated the first time.
    void setFirstFocus(const Control& control) { lastFocus_ = control.handle(); }

    // Runs handler when control sends the notification code (BN_CLICKED,
    // CBN_SELCHANGE, EN_CHANGE, ...).
    void onNotify(const Control& control, int code, std::function<void()> handler);
    // Runs handler whenever a key is released on control.
    void onKeyUp(const Control& control, std::function<void()> handler);

    // The close box or the system's close command; closes the window unless
    // a window says otherwise.
    virtual void onClose() { destroy(); }
    virtual void onDpiChanged(unsigned /*dpi*/) {}

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK keyUpProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR handler);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onActivate(bool active);

    HWND window_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool endsProgram_ = false;
    std::map<std::pair<int, int>, std::function<void()>> notifications_;
    std::vector<std::unique_ptr<std::function<void()>>> keyUps_;
};

} // namespace tunecrate::win32
