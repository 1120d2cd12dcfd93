#include "FramePacer.h"

namespace tunecrate::win32 {

void FramePacer::measureScreen(HWND window)
{
    HDC screen = GetDC(window);
    const int hertz = GetDeviceCaps(screen, VREFRESH);
    ReleaseDC(window, screen);
    // 0 and 1 stand for the hardware's default rate, which the system does not tell.
    constexpr int defaultHertz = 60;
    frame_ = std::chrono::duration_cast<Clock::duration>(std::chrono::microseconds(1'000'000) /
                                                         (hertz > 1 ? hertz : defaultHertz));
    gap_ = frame_;
}

} // namespace tunecrate::win32
