#include "FramePacer.h"

namespace tunecrate {

void FramePacer::setRefreshRate(double hertz)
{
    constexpr double defaultHertz = 60;
    frame_ = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(1 / (hertz > 1 ? hertz : defaultHertz)));
    gap_ = frame_;
}

} // namespace tunecrate
