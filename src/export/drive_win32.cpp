#include "Drive.h"

namespace tunecrate {

// FAT, exFAT, NTFS and ReFS alike compare names without regard to case and
// refuse the same characters, whatever the volume.
bool followsWindowsRules(const std::string& /*folder*/)
{
    return true;
}

} // namespace tunecrate
