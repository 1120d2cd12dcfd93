#include "RunDisplay.h"

#include "GdiHolders.h"
#include "WindowBase.h"

namespace tunecrate::win32 {

RunDisplay::RunDisplay(WindowBase& window, ProgressBar bar, RunView& view)
    : window_(window), bar_(bar), held_(view)
{}

RunDisplay::Run::~Run()
{
    held_.reset();
    display_.sync();
}

void RunDisplay::measureScreen()
{
    const ScopedGetDC screen(window_.handle());
    pacer_.setRefreshRate(GetDeviceCaps(screen, VREFRESH));
}

void RunDisplay::setProgressValue(int position)
{
    // A run sets the same value several times for each file, and every change
    // costs the bar a trip to the window system.
    if (position == bar_.position()) {
        return;
    }
    // The bar would paint itself at once at every new value; during the run
    // it waits for the next frame like the rest of the window.
    if (held_.holding() && !barPaused_) {
        barPaused_ = true;
        bar_.send(WM_SETREDRAW, FALSE);
    }
    bar_.setPosition(position);
}

void RunDisplay::processEvents()
{
    const HeldDisplay::LetThrough yielding(held_);
    using Clock = FramePacer::Clock;
    const bool frame = !held_.running() || pacer_.frameDue();
    Clock::duration painting{};
    if (frame) {
        const Clock::time_point started = Clock::now();
        sync();
        painting += Clock::now() - started;
    }
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (message.message == WM_PAINT && !frame) {
            break;
        }
        PeekMessageW(&message, nullptr, message.message, message.message, PM_REMOVE);
        if (message.message == WM_QUIT) {
            // For the loop that waits for it.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        sync();
        // Only painting counts: a command run from here, a dialog say, can
        // take as long as the user likes.
        const Clock::time_point started = Clock::now();
        window_.dispatch(message);
        if (message.message == WM_PAINT) {
            painting += Clock::now() - started;
        }
    }
    if (frame) {
        pacer_.framePainted(painting);
    }
}

void RunDisplay::sync()
{
    held_.sync();
    if (barPaused_) {
        barPaused_ = false;
        bar_.send(WM_SETREDRAW, TRUE);
        RedrawWindow(bar_.handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

} // namespace tunecrate::win32
