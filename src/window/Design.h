#pragma once

#include "ProgramTitle.h"

#include <array>
#include <cstddef>
#include <stdexcept>
#include <string_view>

namespace tunecrate {

// The window's design is measured in twips, 1440 to the inch: 15 to a pixel at
// 96 dots per inch, fewer on a denser screen. Positions count from the top-left
// corner of the client area.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline constexpr unsigned designDpi = 96;

// Rounds to the nearest pixel.
[[nodiscard]] constexpr int pixelsFromTwips(int twips, unsigned dpi = designDpi)
{
    constexpr long long twipsPerInch = 1440;
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = twipsPerInch / 2;
    return static_cast<int>((scaled >= 0 ? scaled + half : scaled - half) / twipsPerInch);
}

[[nodiscard]] constexpr PixelRect pixelsFromTwips(const TwipsRect& twips, unsigned dpi = designDpi)
{
    return {pixelsFromTwips(twips.left, dpi), pixelsFromTwips(twips.top, dpi),
            pixelsFromTwips(twips.width, dpi), pixelsFromTwips(twips.height, dpi)};
}

enum class ControlKind { Button, CheckBox, TextBox, LogBox, LanguageList, ProgressBar, StatusBar };

struct ControlDesign {
    std::string_view name;
    ControlKind kind;
    // The control's text when the window is built.
    std::string_view text;
    TwipsRect twips;
};

inline constexpr const char* windowCaption = programTitle;
inline constexpr TwipsRect clientTwips{.width = 10665, .height = 4620};

// In tab order, which is the order both windows create them in and Tab walks.
inline constexpr std::array designedControls{
    ControlDesign{"cmdSearch", ControlKind::Button, "Search", {9120, 150, 1515, 315}},
    ControlDesign{"txtPlaylist", ControlKind::LogBox, "", {60, 570, 10575, 2535}},
    ControlDesign{"txtPathfrom", ControlKind::TextBox, "", {30, 150, 9045, 315}},
    // Left of Save with a gap, wide enough for "Mit Playlist" beside its box.
    ControlDesign{"chkPlaylist", ControlKind::CheckBox, "With playlist", {1800, 3930, 1830, 315}},
    ControlDesign{"chkNumbered", ControlKind::CheckBox, "Numbered", {120, 3930, 1560, 315}},
    ControlDesign{
        "chkRemoveDropped", ControlKind::CheckBox, "Remove dropped", {7005, 3930, 2205, 315}},
    ControlDesign{"cmdSave", ControlKind::Button, "Save", {3750, 3930, 1515, 315}},
    ControlDesign{"txtPathto", ControlKind::TextBox, "", {30, 3210, 9045, 315}},
    ControlDesign{"cmdSearch2", ControlKind::Button, "Search", {9120, 3210, 1515, 315}},
    ControlDesign{"cmbLang", ControlKind::LanguageList, "", {9330, 3930, 1215, 315}},
    ControlDesign{"cmdCancel", ControlKind::Button, "Cancel", {5370, 3930, 1515, 315}},
    // Reaches past both edges of the window and is clipped there.
    ControlDesign{"pgbCopy", ControlKind::ProgressBar, "", {-60, 3600, 10755, 285}},
    ControlDesign{"stbStatus", ControlKind::StatusBar, "", {0, 4335, 10665, 285}},
};

[[nodiscard]] constexpr bool overlap(const TwipsRect& a, const TwipsRect& b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

[[nodiscard]] constexpr bool insideClientArea(const TwipsRect& twips)
{
    return twips.left >= 0 && twips.top >= 0 && twips.left + twips.width <= clientTwips.width &&
           twips.top + twips.height <= clientTwips.height;
}

// No two controls overlap, and every one but the progress bar lies inside the
// client area, so a control added to the table finds its room or fails to build.
[[nodiscard]] constexpr bool controlsHaveTheirOwnRoom()
{
    for (auto control = designedControls.begin(); control != designedControls.end(); ++control) {
        if (control->name != "pgbCopy" && !insideClientArea(control->twips)) {
            return false;
        }
        for (auto other = control + 1; other != designedControls.end(); ++other) {
            if (overlap(control->twips, other->twips)) {
                return false;
            }
        }
    }
    return true;
}
static_assert(controlsHaveTheirOwnRoom());

// cmbLang's items, in this order, not sorted.
inline constexpr std::array<std::string_view, 2> languageItems{"English", "Deutsch"};

// stbStatus: panel 1 takes what the others leave, panel 2 fits its text and
// never goes below its minimum, panel 3 keeps its width.
inline constexpr std::array<std::string_view, 3> panelDesignTexts{
    "File:", "Filename:", "Progress:"};
inline constexpr int panelMinimumTwips = 1440;
inline constexpr int progressPanelTwips = 1150;

// The control's place in tab order.
[[nodiscard]] constexpr std::size_t tabIndexOf(std::string_view name)
{
    for (std::size_t i = 0; i < designedControls.size(); ++i) {
        if (designedControls[i].name == name) {
            return i;
        }
    }
    throw std::out_of_range("no control of that name");
}

} // namespace tunecrate
