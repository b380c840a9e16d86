// Drawing a metafile: its records played into a rectangle of a target's
// pixels, the picture's frame stretched on each axis to fill it.
#pragma once

#include "core/geometry.h"
#include "formats/metafile/metafile_image.h"

namespace tremalu {

class TPixelBuffer;

// Plays the metafile into rect; what falls outside the target is dropped.
// A picture without records draws nothing.
void PlayMetafile(const TMetafileImage& image, TPixelBuffer& target, const TRect& rect);

}  // namespace tremalu
