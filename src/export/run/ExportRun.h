#pragma once

#include "run/ExportWindow.h"

namespace tunecrate {

// What a run did, for a caller that reads no log.
struct RunSummary {
    int tried = 0; // entries that named a file
    int ok = 0;
    int errors = 0;           // entries, the written playlist, an error that ended the walk
    bool flushFailed = false; // a drive, or a folder's record, did not take what was written
    bool cancelled = false;
    bool refused = false; // no playlist found (or no target), or the user had it copy nothing
};

// The work of Save. Reads the playlist named in txtPathfrom, decides its mode
// from its first line that is not blank, then walks its lines to the end of the
// file: every entry that names a local file is logged, copied into the folder
// named in txtPathto under its bare name and marked "ok" or "error". Pending events are let through
// once per examined line and during each copy, so Cancel, a language switch, a new target or a
// second run can happen in between; a cancel request ends the walk at the next
// examined line.
RunSummary runExport(ExportWindow& window);

} // namespace tunecrate
