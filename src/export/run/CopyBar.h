#pragma once

#include "run/ExportWindow.h"

#include <cstdint>

namespace tunecrate {

// Shows how far a copy has got on the window's bar (pgbCopy, the bar a run
// points CopyProgressBar at): the whole percent reached, rounded down, and panel
// 3 "Progress: n%"; then lets pending events through. With no window it does
// nothing at all. An empty file shows 100.
void CopyProgress(std::uint64_t totalFileSize, std::uint64_t totalBytesTransferred,
                  ExportWindow* window);

// Panel 3 "Progress: n%" for the value the bar shows.
void showProgressPanel(ExportWindow& window);

} // namespace tunecrate
