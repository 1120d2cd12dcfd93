#pragma once

#include "drive/Copy.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tunecrate {

// True when sFile names a file whose length can be queried; never throws.
[[nodiscard]] bool FileExists(const std::string& sFile);

// Copies sSourceFile to sDestFile, replacing a file of that name unless it is
// protected (see platform::copyFile). The copy is written under a temporary
// name and renamed into place only once complete, so a failure leaves no part
// file and the old file untouched. A source that already is the destination
// is left alone and counts as copied. progress is called at the start and after
// each chunk. Done when the destination now holds the copy; otherwise why not.
// known: what the caller saw at sDestFile just before; flushFirst: the copy's
// data reaches the drive before it takes its name.
Outcome FileCopy(const std::string& sSourceFile, const std::string& sDestFile,
                 const platform::CopyProgressRoutine& progress,
                 platform::KnownDestination known = platform::KnownDestination::Unknown,
                 bool flushFirst = false);

// The size of sSourceFile when sDestFile already holds its copy (see
// platform::sizeOfHeldCopy); nothing otherwise.
[[nodiscard]] std::optional<std::uint64_t>
heldCopySize(const std::string& sSourceFile, const std::string& sDestFile, bool windowsRules);

} // namespace tunecrate
