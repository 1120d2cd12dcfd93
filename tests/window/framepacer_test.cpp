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

// After a frame, the next is due one refresh later, or three times as long as
// the last one took to paint when that is longer.
TEST_P(FramePacerTest, NextFrameWaitsForTheRefreshOrThreeTimesThePaint)
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
                         testing::Values(PaintCase{"quick", 1ms, 16ms, 17ms},
                                         PaintCase{"atTheRefresh", 5ms, 16ms, 17ms},
                                         PaintCase{"slow", 15ms, 44ms, 45ms},
                                         PaintCase{"verySlow", 100ms, 299ms, 300ms}),
                         test::CaseName());

} // namespace
} // namespace tunecrate
