#pragma once

#include <string>

namespace tunecrate {

// Shows the system's folder dialog with sTitle as its prompt, preselecting
// sStartPath when it is not empty, and gives the chosen folder's path as UTF-8
// exactly as the system reports it; the empty text when the user cancels.
[[nodiscard]] std::string BrowseFolder(const std::string& sTitle, const std::string& sStartPath);

} // namespace tunecrate
