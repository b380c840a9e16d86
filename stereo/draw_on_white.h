// A picture as the composition sees it: drawn at (0, 0) with the copy mode
// on a new white bitmap of a given size.
#pragma once

#include "raster/bitmap.h"

#include <memory>

namespace tremalu {

std::unique_ptr<TBitmap> DrawOnWhite(TGraphic* graphic, int32_t width, int32_t height);

}  // namespace tremalu
