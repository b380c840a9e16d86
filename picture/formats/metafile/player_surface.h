// The output of a metafile's playback: the part of a target's pixels that
// the picture's rectangle covers, held as a cairo image while the records
// draw on it, and the budget of work that bounds a playback.
#pragma once

#include "core/geometry.h"

#include <cairo.h>

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

// The work a playback may do, counted in pixels touched and records read: a
// file of millions of records, or of shapes painted over and over, stops
// once it has done as much as painting the output a few hundred times.
class TPlayerBudget {
public:
    explicit TPlayerBudget(uint64_t outputPixels);
    // Takes the cost; false (and nothing more from then on) when the budget
    // is spent.
    bool Spend(uint64_t cost);
    bool Spent() const { return Left == 0; }

private:
    uint64_t Left;
};

}  // namespace tremalu
