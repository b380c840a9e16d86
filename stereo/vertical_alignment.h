// Estimating how far one picture of a stereo pair sits lower than the other.
//
// Horizontal parallax moves things sideways by different amounts for near
// and far objects, but never up or down; so the pictures are compared
// through vertical profiles: for upright strips of the picture, the mean
// brightness of each row, taken as its change from row to row (which an
// exposure difference barely alters) and compared by normalised correlation
// (which ignores a difference of contrast). Each RIGHT strip may lie a little
// sideways of its LEFT strip (the parallax), so every strip also looks for
// its best sideways position.
//
// The search runs first on a reduced copy (rows and columns averaged), then
// again around its answer at full vertical resolution.
#pragma once

#include "raster/pixel_buffer.h"

#include <cstdint>

namespace tremalu {

// A rectangle of a picture's pixels.
struct TPixelView {
    const TPixelBuffer* Pixels = nullptr;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The offset N such that what row y of the LEFT view shows is at row y + N
// of the RIGHT view: moving the RIGHT picture N pixels up aligns the pair.
// Searched at least within ±5 % of the height (6 % and a row); 0 for
// pictures too small to compare.
int32_t EstimateVerticalOffset(const TPixelView& left, const TPixelView& right);

}  // namespace tremalu
