// Saving the anaglyph of two pictures straight to a file, composing it row
// by row: the batch tool's way, which never holds the whole anaglyph (a BMP
// file's rows, stored bottom-up, are each written in their place). The file is byte for byte the one the result window's save
// button writes for the composed picture.
#pragma once

#include "stereo/anaglyph.h"
#include "core/graphic.h"

#include <string>

namespace tremalu {

// Raises Exception(NothingSavedText) for a name that ends neither in .jpg
// nor in .bmp, before anything is composed.
void SaveAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height, const std::string& fileName);
// Any frame and mix.
void SaveAnaglyph(TAnaglyphSource left, TAnaglyphSource right, const TStereoFrame& frame, const TAnaglyphMix& mix,
                  const std::string& fileName);

}  // namespace tremalu
