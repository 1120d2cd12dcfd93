#pragma once

#include <algorithm>
#include <chrono>

namespace tunecrate {

// Says when a window may paint again during a run: at most once per refresh
// of the screen it is on. A run writes to its controls far more often than
// that, and each visible update costs more than the write itself. Where one
// update takes longer than a refresh (a log box of many lines on a slow
// display), the next waits three times as long as it took, so that painting
// keeps to about a quarter of the run's time.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    // 1 Hz and less stand for a rate the system does not tell: 60 Hz then.
    void setRefreshRate(double hertz);

    [[nodiscard]] bool frameDue(Clock::time_point now = Clock::now()) const
    {
        return now - lastFrame_ >= gap_;
    }
    [[nodiscard]] Clock::duration untilDue(Clock::time_point now = Clock::now()) const
    {
        return std::max(Clock::duration::zero(), gap_ - (now - lastFrame_));
    }
    // A frame reached the screen at `now`; bringing it there took `took`.
    void framePainted(Clock::duration took, Clock::time_point now = Clock::now())
    {
        lastFrame_ = now;
        gap_ = std::max(frame_, 3 * took);
    }

private:
    Clock::duration frame_ = std::chrono::microseconds(16667);
    Clock::duration gap_ = frame_;
    Clock::time_point lastFrame_{};
};

} // namespace tunecrate
