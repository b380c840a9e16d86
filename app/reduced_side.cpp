#include "reduced_side.h"

namespace tremalu {

std::unique_ptr<TBitmap> ReducedSideCopy(TGraphic* side, int32_t width, int32_t height)
{
    auto copy = std::make_unique<TBitmap>();
    copy->SetPixelWidth(width);
    copy->SetPixelHeight(height);
    copy->Surface().DrawStretched({0, 0, width, height}, side);
    return copy;
}

}  // namespace tremalu
