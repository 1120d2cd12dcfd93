#include "FileOps.h"

#include "Language.h"
#include "LineReader.h"
#include "Paths.h"

#include <cmath>
#include <system_error>

namespace tunecrate {

std::string txt_ReadLine(const std::string& sFilename, std::int32_t LineToRead)
{
    std::string line;
    if (LineToRead <= 0) {
        return line;
    }
    const auto file = openPlaylistFile(sFilename);
    if (!file) {
        return line;
    }
    LineReader reader(*file);
    for (std::int32_t number = 1; number <= LineToRead; ++number) {
        if (!reader.next(line)) {
            return {};
        }
    }
    return line;
}

bool FileExists(const std::string& sFile)
{
    if (holdsNul(sFile)) {
        return false;
    }
    std::error_code error;
    (void)std::filesystem::file_size(fsPath(sFile), error);
    return !error;
}

bool FileCopy(const std::string& sSourceFile, const std::string& sDestFile,
              const platform::CopyProgressRoutine& progress)
{
    if (holdsNul(sSourceFile) || holdsNul(sDestFile)) {
        return false;
    }
    return platform::copyFile(fsPath(sSourceFile), fsPath(sDestFile), progress);
}

std::optional<std::uint64_t> heldCopySize(const std::string& sSourceFile,
                                          const std::string& sDestFile)
{
    if (holdsNul(sSourceFile) || holdsNul(sDestFile)) {
        return std::nullopt;
    }
    return platform::sizeOfHeldCopy(fsPath(sSourceFile), fsPath(sDestFile));
}

void CopyProgress(std::uint64_t totalFileSize, std::uint64_t totalBytesTransferred,
                  ExportWindow* window)
{
    if (window == nullptr) {
        return;
    }
    // Divide first, then scale, then round down: 2 of 3 bytes shows 66.
    const double percent = totalFileSize == 0
                               ? 100.0
                               : std::floor(static_cast<double>(totalBytesTransferred) /
                                            static_cast<double>(totalFileSize) * 100.0);
    window->setProgressValue(static_cast<float>(percent));
    const long shown = std::lround(window->progressValue());
    window->setPanelText(3, Language().strProgress + ": " + std::to_string(shown) + "%");
    window->processEvents();
}

} // namespace tunecrate
