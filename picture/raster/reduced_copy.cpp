#include "raster/reduced_copy.h"

#include "core/graphic.h"

namespace tremalu {

std::unique_ptr<TBitmap> ReducedCopy(TGraphic& graphic, int32_t width, int32_t height)
{
    auto bitmap = std::make_unique<TBitmap>();
    if (width <= 0 || height <= 0)
        return bitmap;
    bitmap->SetPixelWidth(width);
    bitmap->SetPixelHeight(height);
    TCanvas& surface = bitmap->Surface();
    surface.CopyMode = SRCCOPY;
    surface.DrawStretched({0, 0, width, height}, &graphic);
    return bitmap;
}

}  // namespace tremalu
