#pragma once

#include "run/RunContext.h"

#include <string>

namespace tunecrate {

// Offers to remove the copies in folder, the one the run began with, that the
// playlist no longer names, and removes those the user agrees to, each as the
// record on the drive still has it, one line in the log for each.
void removeDroppedCopies(RunContext& run, const std::string& folder);

} // namespace tunecrate
