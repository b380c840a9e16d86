// The output of a metafile's playback: the part of a target's pixels that
// the picture's rectangle covers, held as a cairo image while the records
// draw on it, and the budget of work that bounds a playback.
#pragma once

#include "core/geometry.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>

namespace tremalu {

class TPixelBuffer;

// Copies the covered pixels into a cairo image on creation and back into
// the target with Finish. Cairo's user space is the target's pixel space.
class TPlayerSurface {
public:
    TPlayerSurface(TPixelBuffer& target, const TRect& area);
    ~TPlayerSurface();
    TPlayerSurface(const TPlayerSurface&) = delete;
    TPlayerSurface& operator=(const TPlayerSurface&) = delete;

    cairo_t* Context() const { return Cairo; }
    cairo_surface_t* Surface() const { return Image; }
    // The covered pixels of the target, in target coordinates.
    const TRect& Area() const { return Covered; }
    // Writes the drawn pixels back into the target.
    void Finish();

private:
    TPixelBuffer& Target;
    TRect Covered;
    cairo_surface_t* Image = nullptr;
    cairo_t* Cairo = nullptr;
};

// The work a playback may do, counted in pixels touched and records read.
// Two of them bound a playback:
// - the work budget: a file of millions of records, or of shapes painted
//   over and over, stops once it has done as much as cairo painting the
//   output a few hundred times;
// - the raster budget: the pixels that the player's own loops combine with
//   the output (raster operations other than a copy, mixing modes other
//   than the pen's colour), each several times slower than a cairo fill and
//   each needing scratch images. A file of a few hundred bytes repeating an
//   inversion of the whole picture would otherwise cost a second a record
//   on a large picture; past a few whole-picture operations such records are
//   skipped and the rest of the picture is still drawn.
class TPlayerBudget {
public:
    static TPlayerBudget Work(uint64_t outputPixels);
    static TPlayerBudget Raster(uint64_t outputPixels);
    // paintings times the output's pixels, and never less than minimum.
    TPlayerBudget(uint64_t outputPixels, uint64_t paintings, uint64_t minimum);
    // Takes the cost; false (and nothing more from then on) when the budget
    // is spent.
    bool Spend(uint64_t cost);
    bool Spent() const { return Left == 0; }
    // What it granted in all, at its start.
    uint64_t Allowed() const { return Granted; }

private:
    uint64_t Granted;
    uint64_t Left;
};

// The scratch images of the player's own pixel loops are made a band of rows
// at a time, of at most this many pixels: they stay small whatever part of
// the output an operation covers, and the playback holds little beyond the
// output and its cairo copy.
inline constexpr int64_t RasterBandPixels = int64_t{1} << 22;

// Rows of a band of the given width.
inline int32_t RasterBandRows(int32_t width)
{
    return static_cast<int32_t>(std::max<int64_t>(1, RasterBandPixels / std::max<int32_t>(width, 1)));
}

}  // namespace tremalu
