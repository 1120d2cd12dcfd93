#include "drive/Flush.h"

namespace tunecrate::platform {

// Every drive on Windows follows its own rules: each copy and each written
// file is flushed before it takes its name, and renamed with the rename
// written through (copy_win32.cpp).
bool flushesEachCopy(const std::string& /*folder*/, bool /*windowsRules*/)
{
    return true;
}

// So when the run ends, its drives hold all it wrote already.
std::vector<FailedPath> flushFolders(const std::vector<std::string>& /*folders*/,
                                     const WhileWaiting& /*whileWaiting*/)
{
    return {};
}

} // namespace tunecrate::platform
