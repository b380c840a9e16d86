// What the program takes the screen to be, whatever the real display is:
// 32 bits per pixel (bytes blue, green, red, unused), 96 pixels per inch,
// and system icons of 32 × 32 pixels. The picture subsystem's drawing and
// the windows' sizes in pixels rest on these.
#pragma once

#include "core/color.h"

#include <QColor>

namespace tremalu {

inline constexpr int ScreenBitsPerPixel = 32;
inline constexpr int ScreenPixelsPerInch = 96;
inline constexpr int SystemIconSize = 32;

// A colour value, system colours resolved from the program's own table.
QColor ToQColor(TColor color);

}  // namespace tremalu
