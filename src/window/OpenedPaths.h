#pragma once

#include <string>
#include <vector>

namespace tunecrate {

// What a list of paths puts into the two path boxes: the program's arguments
// (a file manager's "Open with", a playlist dropped on the program's icon) or
// the items dropped on the window. Paths are UTF-8 text, absolute or relative
// to the current folder. The first playlist file goes to txtPathfrom, the first
// existing folder to txtPathto, in whatever order they come, each made absolute
// with the platform's separators; everything else is passed over. A box no path
// fits is left empty here, and its window leaves it as it is.
struct OpenedPaths {
    std::string pathFrom;
    std::string pathTo;

    [[nodiscard]] bool empty() const { return pathFrom.empty() && pathTo.empty(); }
};

[[nodiscard]] OpenedPaths sortOpenedPaths(const std::vector<std::string>& paths);

} // namespace tunecrate
