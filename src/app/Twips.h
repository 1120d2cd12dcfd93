#pragma once

#include <QRect>
#include <QSize>

namespace tunecrate {

// The window's design is measured in twips, 15 to a pixel at 96 dots per inch.
// Qt's logical pixels are 96-dpi pixels that it scales for the screen, so the
// layout keeps its proportions on high-DPI screens. Rounds to the nearest pixel.
[[nodiscard]] constexpr int twipsToPixels(int twips)
{
    constexpr int twipsPerPixel = 15;
    return (twips >= 0 ? twips + twipsPerPixel / 2 : twips - twipsPerPixel / 2) / twipsPerPixel;
}

[[nodiscard]] constexpr QSize twipsSize(int width, int height)
{
    return {twipsToPixels(width), twipsToPixels(height)};
}

[[nodiscard]] constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

} // namespace tunecrate
