#pragma once

#include "Controls.h"
#include "Design.h"
#include "GdiHolders.h"

#include <array>
#include <string>

namespace tunecrate::win32 {

// A narrow caption and still a task-bar button; Tab walks the controls.
inline constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
inline constexpr DWORD windowExStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

[[nodiscard]] RECT pixelRect(const TwipsRect& twips, unsigned dpi);

// Creates the designed controls on window in tab order, which is the order
// Tab walks, each with the standard class of its kind and its id from
// ControlIds.h.
void createDesignedControls(HWND window);

// Places the window and its controls as designed for the dots per inch of the
// screen it is on, in the system's message font for them, and shares the
// status bar among its panels.
class Layout {
public:
    Layout(HWND window, StatusBar stbStatus, ComboBox cmbLang);

    void place(unsigned dpi);
    void centreOnScreen() const;

    // Panels are numbered from 1.
    void setPanelText(int panel, const std::wstring& text);
    // The designed width of panel 3 holds "Progress: 100%" in the design's
    // small font; a larger default font widens it so that no percentage is
    // cut off. It stays fixed while the percentage changes.
    void fitProgressPanel();

private:
    void placeLanguageList(const Control& control, RECT rect) const;
    void fitPanels() const;
    [[nodiscard]] int textWidth(const std::wstring& text) const;

    HWND window_;
    StatusBar stbStatus_;
    ComboBox cmbLang_;
    unsigned dpi_ = USER_DEFAULT_SCREEN_DPI;
    AutoDeleteFont font_;
    std::array<std::wstring, StatusBar::panelCount> panelTexts_;
    int progressPanelWidth_ = 0;
};

} // namespace tunecrate::win32
