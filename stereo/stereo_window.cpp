#include "stereo/stereo_window.h"

#include "core/errors.h"
#include "formats/jpeg/jpeg_image.h"
#include "stereo/draw_on_white.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace tremalu {

namespace {

// Every pixel of a view's picture, as composing it would see them: a JPEG
// picture decoded, a bitmap as it is when drawing it is a plain copy, any
// other picture drawn on white (kept in `drawn`).
const TPixelBuffer& PixelsOf(TGraphic* graphic, std::unique_ptr<TBitmap>& drawn)
{
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic))
        graphic = &jpeg->DecodedBitmap();
    const auto* bitmap = dynamic_cast<const TBitmap*>(graphic);
    if (bitmap != nullptr && !bitmap->Transparent() && !bitmap->IsEmpty() &&
        !(bitmap->Image().DeviceDependent && bitmap->PeekPixels()->IsMonochrome()))
        return *bitmap->PeekPixels();
    drawn = DrawOnWhite(graphic, graphic->PixelWidth(), graphic->PixelHeight());
    return *drawn->PeekPixels();
}

}  // namespace

TStereoWindowEstimate EstimateStereoWindow(const TPixelView& left, const TPixelView& right, int32_t verticalOffset)
{
    (void)left;
    (void)right;
    (void)verticalOffset;
    return {};  // the matching comes in the next change
}

TAutomaticAdjustment EstimateAutomaticAdjustment(const TStereoView& left, const TStereoView& right, bool align,
                                                 bool window)
{
    if (left.Graphic == nullptr || right.Graphic == nullptr)
        throw std::logic_error("the automatic adjustment needs a pair read as pictures");
    TAutomaticAdjustment adjustment;
    if (!align && !window)
        return adjustment;
    // Both pictures are decoded at once when they are two JPEG pictures not
    // decoded yet.
    std::unique_ptr<TBitmap> leftDrawn, rightDrawn;
    const TPixelBuffer* leftPixels = nullptr;
    auto* leftJpeg = dynamic_cast<TJPEGImage*>(left.Graphic);
    auto* rightJpeg = dynamic_cast<TJPEGImage*>(right.Graphic);
    if (leftJpeg != nullptr && rightJpeg != nullptr && leftJpeg != rightJpeg && !leftJpeg->HasBitmap() &&
        !rightJpeg->HasBitmap()) {
        std::exception_ptr failure;
        std::thread other([&] {
            try {
                rightJpeg->DecodedBitmap();
            } catch (...) {
                failure = std::current_exception();  // raised below, on this thread
            }
        });
        try {
            leftPixels = &PixelsOf(left.Graphic, leftDrawn);
        } catch (...) {
            other.join();
            throw;
        }
        other.join();
        if (failure)
            std::rethrow_exception(failure);
    } else {
        leftPixels = &PixelsOf(left.Graphic, leftDrawn);
    }
    const TPixelBuffer& rightPixels = PixelsOf(right.Graphic, rightDrawn);
    const TPixelView l{leftPixels, left.X, left.Y, left.Width, left.Height};
    const TPixelView r{&rightPixels, right.X, right.Y, right.Width, right.Height};
    if (align)
        adjustment.VerticalOffset = EstimateVerticalOffset(l, r);
    if (window)
        adjustment.Window = EstimateStereoWindow(l, r, adjustment.VerticalOffset);
    return adjustment;
}

std::string FrenchPercent(double percent)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", percent);
    std::string out = text;
    if (out == "-0.0")
        out = "0.0";
    for (char& c : out)
        if (c == '.')
            c = ',';
    return out;
}

std::vector<std::string> StereoWindowNotes(const TStereoWindowEstimate& estimate, int64_t appliedShiftX)
{
    if (!estimate.Found)
        return {NoMatchText};
    return {FormatMessage(StereoWindowText, {std::to_string(appliedShiftX)}),
            FormatMessage(DepthText, {std::to_string(estimate.DepthPixels), FrenchPercent(estimate.DepthPercent)})};
}

}  // namespace tremalu
