#include "run/CopyBar.h"

#include <cmath>

namespace tunecrate {

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
    window->activityChanged(Activity::Copying);
    window->processEvents();
}

} // namespace tunecrate
