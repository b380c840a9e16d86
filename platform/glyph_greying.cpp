#include "glyph_greying.h"

#include <vector>

namespace tremalu {

uint8_t Luminance(uint8_t red, uint8_t green, uint8_t blue)
{
    return static_cast<uint8_t>((red * 30 + green * 59 + blue * 11 + 50) / 100);
}

void GreyPixels(TPixelBuffer& pixels, const TRect& area, TColor face)
{
    const TRect clipped = Intersect(area, {0, 0, pixels.Width(), pixels.Height()});
    if (clipped.IsEmpty())
        return;
    const TColor rgb = ResolveColor(face);
    const int faceLuminance = Luminance(RedOf(rgb), GreenOf(rgb), BlueOf(rgb));
    std::vector<uint32_t> row(static_cast<size_t>(clipped.Width()));
    for (int32_t y = clipped.Top; y < clipped.Bottom; ++y) {
        pixels.ReadRow(y, clipped.Left, clipped.Width(), row.data());
        for (uint32_t& p : row) {
            const int lum = Luminance(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p));
            const auto grey = static_cast<uint32_t>((lum + 2 * faceLuminance) / 3);
            p = (grey << 16) | (grey << 8) | grey;
        }
        pixels.WriteRow(y, clipped.Left, clipped.Width(), row.data());
    }
}

}  // namespace tremalu
