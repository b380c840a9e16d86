// The greyed look of a disabled button's glyph.
#pragma once

#include "core/color.h"
#include "core/geometry.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

// Turns the device pixels of area (clipped to the buffer) into greys that
// keep the picture's shapes but wash it out towards the face colour: each
// pixel becomes (its luminance + 2 × the face's luminance) ÷ 3. A pixel of
// the face colour itself stays as it is when the face is a grey.
void GreyPixels(TPixelBuffer& pixels, const TRect& area, TColor face);

// Luminance of an RGB colour, 0 to 255 (weights 30, 59, 11 in hundredths).
uint8_t Luminance(uint8_t red, uint8_t green, uint8_t blue);

}  // namespace tremalu
