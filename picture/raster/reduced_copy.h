// A reduced copy of a picture: for views that show a picture small and
// redraw it often (the live view of the result window), so that they work
// on a few hundred thousand pixels rather than on the full-size sides.
#pragma once

#include "raster/bitmap.h"

#include <memory>

namespace tremalu {

class TGraphic;

// A new width × height bitmap (32-bit device pixels) showing the graphic
// stretched into its whole area with the copy mode, over white where the
// graphic leaves pixels undrawn. The graphic draws itself as into any
// rectangle of that size: a JPEG picture without a bitmap from its reduced
// copy (TJPEGImage::ScaledBitmap: a decode at 1/2, 1/4 or 1/8 of its size,
// kept with the picture), every other kind by the usual stretch. The
// graphic's size and pixels stay as they were. Raises what drawing raises
// (a damaged JPEG file: the codec's failure); sizes of 0 or less give an
// empty bitmap.
std::unique_ptr<TBitmap> ReducedCopy(TGraphic& graphic, int32_t width, int32_t height);

}  // namespace tremalu
