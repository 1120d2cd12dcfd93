#include "drive/FileOps.h"

#include "files/Paths.h"
#include "files/PlatformFiles.h"

#include <system_error>

namespace tunecrate {

bool FileExists(const std::string& sFile)
{
    if (holdsNul(sFile)) {
        return false;
    }
    std::error_code error;
    (void)std::filesystem::file_size(fsPath(sFile), error);
    return !error;
}

Outcome FileCopy(const std::string& sSourceFile, const std::string& sDestFile,
                 const platform::CopyProgressRoutine& progress, platform::KnownDestination known,
                 bool flushFirst)
{
    if (holdsNul(sSourceFile)) {
        return Failure{Reason::NotFound};
    }
    if (holdsNul(sDestFile)) {
        return Failure{Reason::NameRefused};
    }
    return platform::copyFile(sSourceFile, sDestFile, progress, known, flushFirst);
}

std::optional<std::uint64_t> heldCopySize(const std::string& sSourceFile,
                                          const std::string& sDestFile, bool windowsRules)
{
    if (holdsNul(sSourceFile) || holdsNul(sDestFile)) {
        return std::nullopt;
    }
    return platform::sizeOfHeldCopy(sSourceFile, sDestFile, windowsRules);
}

} // namespace tunecrate
