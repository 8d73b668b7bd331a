#pragma once

#include <QRect>
#include <cmath>

namespace qvset::app {

// The window is laid out in twips: 1,440 to the logical inch, so 15 to a pixel at 96 dpi. Every
// conversion goes through here and follows the screen's logical dpi.
inline constexpr int kTwipsPerInch = 1440;

inline int TwipsToPixels(int twips, int logicalDpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * logicalDpi / kTwipsPerInch));
}

// Left, top, width and height in twips to a pixel rectangle, each edge converted on its own.
inline QRect TwipsRect(int left, int top, int width, int height, int dpiX, int dpiY) {
    return {TwipsToPixels(left, dpiX), TwipsToPixels(top, dpiY), TwipsToPixels(width, dpiX),
            TwipsToPixels(height, dpiY)};
}

}  // namespace qvset::app
