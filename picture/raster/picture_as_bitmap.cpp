// TPicture's conversion to a bitmap. The container lives in core/, which
// knows no bitmap; the conversion is defined here, beside TBitmap, so that
// core/ includes nothing from the floors above it.
#include "core/graphic.h"
#include "raster/bitmap.h"

#include <memory>

namespace tremalu {

TBitmap& TPicture::AsBitmap()
{
    if (FGraphic && FGraphic->InheritsFrom(TBitmap::StaticClass()))
        return static_cast<TBitmap&>(*FGraphic);
    auto bitmap = std::make_unique<TBitmap>();
    TBitmap& result = *bitmap;
    Install(std::move(bitmap));
    return result;
}

}  // namespace tremalu
