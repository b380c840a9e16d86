// The copy of one side of the pair that the result window recomposes its
// view from after each adjustment: the side drawn stretched into a bitmap of
// the given size. Kept to this one function so that a better reduction (a
// scaled decode for JPEG sides) can take its place.
#pragma once

#include "core/graphic.h"
#include "raster/bitmap.h"

#include <cstdint>
#include <memory>

namespace tremalu {

std::unique_ptr<TBitmap> ReducedSideCopy(TGraphic* side, int32_t width, int32_t height);

}  // namespace tremalu
