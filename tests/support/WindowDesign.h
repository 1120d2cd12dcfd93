#pragma once

#include <array>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace tunecrate::test {

// The main window as designed, in twips from the client area's top-left
// corner, written down here apart from the program's own table so that a
// slip in either shows.
struct DesignedPlace {
    const char* name;
    int left;
    int top;
    int width;
    int height;
};

inline constexpr std::array<DesignedPlace, 13> designedPlaces{{
    {"cmdSearch", 9120, 150, 1515, 315},
    {"txtPlaylist", 60, 570, 10575, 2535},
    {"txtPathfrom", 30, 150, 9045, 315},
    {"chkPlaylist", 1800, 3930, 1830, 315},
    {"chkNumbered", 120, 3930, 1560, 315},
    {"chkRemoveDropped", 7005, 3930, 2205, 315},
    {"cmdSave", 3750, 3930, 1515, 315},
    {"txtPathto", 30, 3210, 9045, 315},
    {"cmdSearch2", 9120, 3210, 1515, 315},
    {"cmbLang", 9330, 3930, 1215, 315},
    {"cmdCancel", 5370, 3930, 1515, 315},
    {"pgbCopy", -60, 3600, 10755, 285},
    {"stbStatus", 0, 4335, 10665, 285},
}};

inline constexpr int designedClientWidth = 10665;
inline constexpr int designedClientHeight = 4620;
inline constexpr int designedPanelMinimum = 1440;
inline constexpr int designedProgressPanel = 1150;

[[nodiscard]] constexpr const DesignedPlace& designedPlace(std::string_view name)
{
    for (const DesignedPlace& place : designedPlaces) {
        if (std::string_view(place.name) == name) {
            return place;
        }
    }
    throw std::out_of_range("no control of that name in the design");
}

// At 96 dots per inch 15 twips make a pixel.
[[nodiscard]] inline int designedPixels(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

} // namespace tunecrate::test
