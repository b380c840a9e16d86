#include "stereo/stereo_compose.h"

#include "stereo/anaglyph_file.h"
#include "core/checked_math.h"
#include "core/errors.h"
#include "core/second_thread.h"
#include "stereo/draw_on_white.h"
#include "formats/jpeg/jpeg_image.h"
#include "stereo/vertical_alignment.h"

#include <cmath>
#include <stdexcept>

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

// The alignment's estimate for the pair; both pictures are decoded at once
// when they are two JPEG pictures not decoded yet.
int32_t EstimatePairOffset(TStereoPair& pair)
{
    if (pair.Left.Graphic == nullptr || pair.Right.Graphic == nullptr)
        throw std::logic_error("the alignment needs a pair read as pictures");
    std::unique_ptr<TBitmap> leftDrawn, rightDrawn;
    const TPixelBuffer* leftPixels = nullptr;
    auto* leftJpeg = dynamic_cast<TJPEGImage*>(pair.Left.Graphic);
    auto* rightJpeg = dynamic_cast<TJPEGImage*>(pair.Right.Graphic);
    if (leftJpeg != nullptr && rightJpeg != nullptr && leftJpeg != rightJpeg && !leftJpeg->HasBitmap() &&
        !rightJpeg->HasBitmap()) {
        RunOnTwoThreads([rightJpeg] { rightJpeg->DecodedBitmap(); },
                        [&] { leftPixels = &PixelsOf(pair.Left.Graphic, leftDrawn); });
    } else {
        leftPixels = &PixelsOf(pair.Left.Graphic, leftDrawn);
    }
    const TPixelBuffer& rightPixels = PixelsOf(pair.Right.Graphic, rightDrawn);
    const TStereoView& l = pair.Left;
    const TStereoView& r = pair.Right;
    return EstimateVerticalOffset({leftPixels, l.X, l.Y, l.Width, l.Height},
                                  {&rightPixels, r.X, r.Y, r.Width, r.Height});
}

}  // namespace

TStereoFrame PlanStereoFrame(TStereoPair& pair, const TStereoOptions& options, std::vector<std::string>& notes)
{
    if (options.Swap)
        std::swap(pair.Left, pair.Right);
    const TStereoView& l = pair.Left;
    const TStereoView& r = pair.Right;
    if (l.Width != r.Width || l.Height != r.Height)
        notes.push_back(DifferentSizesText);

    TStereoFrame frame = WholeLeftFrame(l.Width, l.Height);
    if (options.Crops()) {
        int64_t dx = options.ShiftX, dy = options.ShiftY;
        if (options.Parallax) {
            // Beyond a whole width the value cannot be a parallax: taken as
            // unreadable.
            if (pair.ParallaxPercent && std::abs(*pair.ParallaxPercent) <= 100)
                dx += Round(static_cast<Extended>(l.Width) * *pair.ParallaxPercent / 100);
            else
                notes.push_back(NoParallaxText);
        }
        if (options.Align) {
            const int32_t estimate = EstimatePairOffset(pair);
            notes.push_back(FormatMessage(AlignmentText, {std::to_string(estimate)}));
            dy += estimate;
        }
        frame = ShiftedFrame(l.Width, l.Height, r.Width, r.Height, dx, dy);
    }
    frame.LeftX += l.X;
    frame.LeftY += l.Y;
    frame.RightX += r.X;
    frame.RightY += r.Y;
    return frame;
}

void SaveStereoAnaglyph(TStereoPair& pair, const TStereoOptions& options, const std::string& fileName,
                        std::vector<std::string>& notes)
{
    const TStereoFrame frame = PlanStereoFrame(pair, options, notes);
    SaveAnaglyph(pair.Left.Source(), pair.Right.Source(), frame, options.Mix, fileName);
}

}  // namespace tremalu
