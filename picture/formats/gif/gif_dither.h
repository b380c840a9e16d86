// Dithering of frames for displays of 256 colours or fewer: the 216-colour
// cube and Floyd-Steinberg error diffusion into it.
#pragma once

#include "core/palette.h"
#include "formats/gif/gif_items.h"

#include <cstdint>
#include <vector>

namespace tremalu {

// Entry r × 36 + g × 6 + b holds red 51r, green 51g, blue 51b (r, g, b from
// 0 to 5).
const std::vector<TRGBQuad>& ColorCubeTable();
HPALETTE ColorCubePalette();

// The cube level of a channel value, as the Netscape colour lookup rounds.
constexpr uint8_t CubeLevel(int value) { return static_cast<uint8_t>((value + 3) / 51); }
constexpr uint8_t CubeIndex(int red, int green, int blue)
{
    return static_cast<uint8_t>(CubeLevel(red) * 36 + CubeLevel(green) * 6 + CubeLevel(blue));
}

// Error diffusion over rows given from the top down, serpentine: even rows
// left to right, odd rows right to left. Each pixel's quantisation error
// goes 7/16 to the next pixel in the row, and 3/16, 5/16 and 1/16 to the
// pixels below, behind, under and ahead of it.
class TFloydSteinbergDitherer {
public:
    explicit TFloydSteinbergDitherer(int32_t width);

    // Dithers the next row. Pixels whose skip byte is not 0 are left out: nothing is
    // written for them, and they neither take nor pass on any error.
    void DitherRow(const TGIFColor* colors, const uint8_t* skip, uint8_t* out);

private:
    struct Error {
        int Red = 0;
        int Green = 0;
        int Blue = 0;
    };
    int32_t Width;
    int32_t Row = 0;
    // Errors for the current and the next row, with one spare entry at each
    // end so that the neighbours of the edge pixels need no test.
    std::vector<Error> Current;
    std::vector<Error> Next;
};

}  // namespace tremalu
