#include "QuietEdit.h"

#include <algorithm>
#include <iterator>

namespace tunecrate::win32 {
namespace {

SCROLLBARINFO scrollBar(HWND box, LONG bar)
{
    SCROLLBARINFO info{};
    info.cbSize = sizeof(info);
    GetScrollBarInfo(box, bar, &info);
    return info;
}

// What a user sees of a scroll bar: where it is, its thumb and which of its
// parts are shown, pressed or disabled.
bool looksAlike(const SCROLLBARINFO& a, const SCROLLBARINFO& b)
{
    return EqualRect(&a.rcScrollBar, &b.rcScrollBar) && a.dxyLineButton == b.dxyLineButton &&
           a.xyThumbTop == b.xyThumbTop && a.xyThumbBottom == b.xyThumbBottom &&
           std::equal(std::begin(a.rgstate), std::end(a.rgstate), std::begin(b.rgstate));
}

} // namespace

QuietEdit::QuietEdit(const Edit& box) : box_(box.handle())
{
    const LONG_PTR style = GetWindowLongPtrW(box_, GWL_STYLE);
    if ((style & WS_VISIBLE) == 0) {
        return;
    }
    style_ = style;
    updatePending_ = GetUpdateRect(box_, nullptr, FALSE) != FALSE;
    vertical_ = scrollBar(box_, OBJID_VSCROLL);
    horizontal_ = scrollBar(box_, OBJID_HSCROLL);
    SetWindowLongPtrW(box_, GWL_STYLE, style & ~LONG_PTR{WS_VISIBLE});
}

QuietEdit::~QuietEdit()
{
    if (style_ == 0) {
        return;
    }
    SetWindowLongPtrW(box_, GWL_STYLE, style_);
    const bool framed = !looksAlike(vertical_, scrollBar(box_, OBJID_VSCROLL)) ||
                        !looksAlike(horizontal_, scrollBar(box_, OBJID_HSCROLL));
    if (!framed && !updatePending_) {
        // What the box asked to be redrawn while hidden includes its frame.
        RedrawWindow(box_, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME);
    }
    RedrawWindow(box_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | (framed ? UINT{RDW_FRAME} : UINT{0}));
}

} // namespace tunecrate::win32
