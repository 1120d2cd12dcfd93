#pragma once

#include <algorithm>
#include <chrono>

namespace tunecrate {

// Says when a window may paint again during a run: at most once per refresh
// of the screen it is on. A run writes to its controls far more often than
// that, and each visible update costs more than the write itself, on the one
// thread that also copies. Where a frame takes more than a thirty-second of
// that to paint (a log box of many lines, a busy machine, Wine), the next
// waits 32 times as long as the last took, so that painting keeps to about
// 3 % of the run's time; but never more than a tenth of a second, so that the
// window still moves ten times a second.
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
        gap_ = std::clamp(paintShare * took, frame_, std::max(frame_, longestGap));
    }

private:
    static constexpr int paintShare = 32;
    static constexpr Clock::duration longestGap = std::chrono::milliseconds(100);

    Clock::duration frame_ = std::chrono::microseconds(16667);
    Clock::duration gap_ = frame_;
    Clock::time_point lastFrame_{};
};

} // namespace tunecrate
