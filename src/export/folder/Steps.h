#pragma once

#include <functional>

namespace tunecrate {

// Moments of a run at which a test may hold the process or end it: after the
// folder's record was read under the lock, after each copy, before the
// renames that follow a new order, after each rename (where the drive cannot
// rename: after each copy's removal and after its writing anew), and after
// each write of the record. Nothing happens there unless a hook is set.
enum class Step { RecordRead, Copied, Renaming, Renamed, RecordWritten };

using StepHook = std::function<void(Step)>;
void setStepHook(StepHook hook);
void reached(Step step);

} // namespace tunecrate
