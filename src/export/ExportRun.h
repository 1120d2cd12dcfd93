#pragma once

#include "ExportWindow.h"

namespace tunecrate {

// The work of Save. Reads the playlist named in txtPathfrom, decides its mode
// from its first line that is not blank, then walks its lines to the end of the
// file: every entry that names a local file is logged, copied into the folder
// named in txtPathto under its bare name and marked "ok" or "error". Pending events are let through
// once per examined line and during each copy, so Cancel, a language switch, a new target or a
// second run can happen in between; a cancel request ends the walk at the next
// examined line.
void runExport(ExportWindow& window);

} // namespace tunecrate
