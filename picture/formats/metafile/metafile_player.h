// Drawing a metafile: its records played into a rectangle of a target's
// pixels, the picture's frame stretched on each axis to fill it.
#pragma once

#include "core/geometry.h"
#include "formats/metafile/metafile_image.h"

#include <cstdint>

namespace tremalu {

class TPixelBuffer;

// What a playback did, as far as its bounds are concerned (player_surface.h).
struct TPlaybackWork {
    // Pixels combined with the output by the player's own loops.
    uint64_t RasterPixels = 0;
    // The raster budget the playback had.
    uint64_t RasterAllowed = 0;
};

// Plays the metafile into rect; what falls outside the target is dropped.
// A picture without records draws nothing. Says what the playback did
// against its bounds.
TPlaybackWork PlayMetafile(const TMetafileImage& image, TPixelBuffer& target, const TRect& rect);

}  // namespace tremalu
