#include "stereo/draw_on_white.h"

namespace tremalu {

std::unique_ptr<TBitmap> DrawOnWhite(TGraphic* graphic, int32_t width, int32_t height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelWidth(width);
    bitmap->SetPixelHeight(height);
    bitmap->Surface().CopyMode = SRCCOPY;
    bitmap->Surface().DrawAt(0, 0, graphic);
    return bitmap;
}

}  // namespace tremalu
