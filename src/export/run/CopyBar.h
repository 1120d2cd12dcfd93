#pragma once

#include "run/ExportWindow.h"

#include <cstdint>

namespace tunecrate {

// Shows how far a copy has got on the window's bar (pgbCopy, the bar a run
// points CopyProgressBar at): the whole percent reached, rounded down, while
// the run is copying; then lets pending events through. With no window it
// does nothing at all. An empty file shows 100.
void CopyProgress(std::uint64_t totalFileSize, std::uint64_t totalBytesTransferred,
                  ExportWindow* window);

} // namespace tunecrate
