#pragma once

#include <chrono>
#include <windows.h>

namespace tunecrate::win32 {

// Says when the window may paint again during a run: at most once per refresh
// of the screen it is on. A run writes to its controls far more often than
// that, and each visible update costs more than the write itself.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // Takes the refresh rate of the screen that window is on.
    void measureScreen(HWND window);

    [[nodiscard]] bool frameDue(Clock::time_point now = Clock::now()) const
    {
        return now - lastFrame_ >= frame_;
    }
    void framePainted(Clock::time_point now = Clock::now()) { lastFrame_ = now; }
    [[nodiscard]] Clock::duration frame() const { return frame_; }

private:
    Clock::duration frame_ = std::chrono::microseconds(16667);
    Clock::time_point lastFrame_{};
};

} // namespace tunecrate::win32
