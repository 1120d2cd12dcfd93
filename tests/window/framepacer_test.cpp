#include "CaseName.h"
#include "FramePacer.h"

#include <chrono>
#include <gtest/gtest.h>

namespace tunecrate {
namespace {

using namespace std::chrono_literals;
using Clock = FramePacer::Clock;

struct PaintCase {
    const char* name;
    Clock::duration paintTook;
    Clock::duration notYet;
    Clock::duration due;
};

class FramePacerTest : public testing::TestWithParam<PaintCase> {};

// After a frame, the next is due one refresh later, or 32 times as long as the
// last one took to paint when that is longer, but a tenth of a second later at most.
TEST_P(FramePacerTest, NextFrameWaitsForTheRefreshOr32TimesThePaintUpToATenthOfASecond)
{
    FramePacer pacer;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(pacer.frameDue(start)) << "the first frame is due at once";
    const Clock::time_point painted = start + GetParam().paintTook;
    pacer.framePainted(GetParam().paintTook, painted);

    EXPECT_FALSE(pacer.frameDue(painted + GetParam().notYet));
    EXPECT_TRUE(pacer.frameDue(painted + GetParam().due));
}

INSTANTIATE_TEST_SUITE_P(Paints, FramePacerTest,
                         testing::Values(PaintCase{"quick", 100us, 16ms, 17ms},
                                         PaintCase{"atTheRefresh", 500us, 16ms, 17ms},
                                         PaintCase{"slow", 2ms, 63ms, 64ms},
                                         PaintCase{"verySlow", 10ms, 99ms, 100ms},
                                         PaintCase{"longerThanTheLongestGap", 150ms, 99ms, 100ms}),
                         test::CaseName());

} // namespace
} // namespace tunecrate
