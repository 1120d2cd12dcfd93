#pragma once

#include <windows.h>

namespace tunecrate::win32 {

// The window's design is measured in twips, 1440 to the inch: 15 to a pixel at
// 96 dots per inch, fewer on a denser screen. Rounds to the nearest pixel.
[[nodiscard]] constexpr int pixelsFromTwips(int twips, unsigned dpi)
{
    constexpr long long twipsPerInch = 1440;
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = twipsPerInch / 2;
    return static_cast<int>((scaled >= 0 ? scaled + half : scaled - half) / twipsPerInch);
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

[[nodiscard]] constexpr RECT pixelsFromTwips(const TwipsRect& twips, unsigned dpi)
{
    const int left = pixelsFromTwips(twips.left, dpi);
    const int top = pixelsFromTwips(twips.top, dpi);
    return {left, top, left + pixelsFromTwips(twips.width, dpi),
            top + pixelsFromTwips(twips.height, dpi)};
}

} // namespace tunecrate::win32
