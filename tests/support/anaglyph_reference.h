// The anaglyph made the long way, with white working bitmaps, fills and the
// AND and OR raster operations, as the reference the fast composition must
// match pixel for pixel.
#pragma once

#include "raster/bitmap.h"

#include <memory>

namespace testing_support {

std::unique_ptr<tremalu::TBitmap> ComposeWithRasterOps(tremalu::TGraphic* left, tremalu::TGraphic* right,
                                                       int32_t width, int32_t height);

}  // namespace testing_support
