// Horizontal disparities between the two pictures of a stereo pair, block by
// block: how far to the left each textured block of the LEFT picture lies in
// the RIGHT one, along the same rows.
//
// Blocks are compared by zero-mean normalised correlation, which gives the
// same score whatever the gain and offset of each exposure. A block is
// matched only when it has texture across its rows (a flat sky or a plain
// wall matches everywhere and nowhere), when the best score is high, when no
// other peak of the score along the row comes close to it (a repeated
// pattern has several), and when the RIGHT block found leads back to the
// same place in the LEFT picture (what one eye sees behind an edge, the
// other does not).
#pragma once

#include "stereo/vertical_alignment.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tremalu {

// A rectangle of a picture reduced to grey values: each the mean of blue,
// green and red over Factor × Factor pixels.
struct TGreyPlane {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Factor = 1;
    std::vector<float> Values;
    const float* Row(int32_t y) const { return Values.data() + static_cast<size_t>(y) * static_cast<size_t>(Width); }
};

// The rectangle (x, y, width, height) of the view, in the view's own
// coordinates, reduced by `factor` in both directions (the last columns and
// rows that do not fill a whole factor are left out). The rectangle lies
// inside the view.
TGreyPlane ReduceToGrey(const TPixelView& view, int32_t x, int32_t y, int32_t width, int32_t height, int32_t factor);

// The side of a square block, in plane pixels, and the step between blocks.
inline constexpr int32_t MatchBlockSize = 16;
inline constexpr int32_t MatchBlockStep = 8;

// One block of the LEFT plane found in the RIGHT one.
struct TBlockMatch {
    int32_t X = 0;          // the block's top left corner in the LEFT plane
    int32_t Y = 0;
    double Disparity = 0;  // LEFT column minus RIGHT column, in plane pixels, to a fraction of one
};

struct TBlockMatches {
    int32_t TexturedBlocks = 0;  // the blocks that had texture enough to be looked for
    std::vector<TBlockMatch> Matches;
};

// Every textured block of the LEFT plane looked for in the RIGHT plane, at
// disparities within ±reach; the planes show the same rows.
TBlockMatches MatchBlocks(const TGreyPlane& left, const TGreyPlane& right, int32_t reach);

// The disparity, in full-size pixels to a fraction of one, of the area
// (x, y, width, height) of the LEFT view, looked for in the RIGHT view along
// the same rows at disparities within [centre - radius, centre + radius];
// none when the area has no texture or the match is not certain.
std::optional<double> MatchAreaFullSize(const TPixelView& left, const TPixelView& right, int32_t x, int32_t y,
                                        int32_t width, int32_t height, int32_t centre, int32_t radius);

}  // namespace tremalu
