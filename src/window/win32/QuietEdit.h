#pragma once

#include "Controls.h"

namespace tunecrate::win32 {

// Changes the text of a shown edit box without letting it draw. Under Wine
// every change of the box's text has both its scroll bars redrawn at the next
// paint, and each scroll bar drawn asks the window server dozens of times which
// screen the box is on (the window follows each screen's DPI); a run that
// writes to the log box at every frame spent most of its painting there. While
// the change lasts the box is hidden the way WM_SETREDRAW hides a window (under
// Wine that message still lets the box ask for its frame to be redrawn);
// afterwards its text is repainted, and its frame too when a scroll bar looks
// different or the box was waiting for a repaint already.
class QuietEdit {
public:
    explicit QuietEdit(const Edit& box);
    ~QuietEdit();
    QuietEdit(const QuietEdit&) = delete;
    QuietEdit& operator=(const QuietEdit&) = delete;

private:
    HWND box_;
    // Null when the box was not shown: then there is nothing to hold back.
    LONG_PTR style_ = 0;
    bool updatePending_ = false;
    SCROLLBARINFO vertical_{};
    SCROLLBARINFO horizontal_{};
};

} // namespace tunecrate::win32
