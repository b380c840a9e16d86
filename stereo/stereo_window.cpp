#include "stereo/stereo_window.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/second_thread.h"
#include "stereo/block_disparities.h"
#include "formats/jpeg/jpeg_image.h"
#include "stereo/draw_on_white.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
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

// The reduced copies are about this many columns wide: enough blocks for a
// steady statistic, small enough to match in a few tens of milliseconds.
constexpr int32_t ReducedColumns = 512;
// Disparities are looked for within this share of the width either way.
constexpr double ReachShare = 0.12;
// "Significant": the nearest part of the scene is the disparity that this
// share of the matched blocks lie at or behind. A few blocks always match
// wrongly (an edge seen by one eye only, a pattern that repeats); the
// largest disparities are where such mistakes show, and a twig or a speck
// covering less than a fiftieth of the picture does not break the window
// for the eyes either, so the top fiftieth is left out. The far end of the
// depth is taken the same way from the other side.
constexpr double SignificantShare = 0.98;
// Nothing matched: fewer blocks than this, or fewer than this share of the
// textured blocks. Two unrelated pictures match hardly any block once a
// match must be unique and found back; a scene full of repeated patterns
// (grass, stripes) still matches a tenth of its blocks.
constexpr size_t MinMatches = 12;
constexpr double MinMatchedShare = 0.02;
// The refinement at full size: an area of at most this many pixels square
// in the middle of each block, at most this many blocks per end of the depth.
constexpr int32_t FullSizeArea = 64;
constexpr size_t MaxRefinedBlocks = 48;

// The disparity, in full-size pixels, that `share` of the matches lie at or
// below (sign 1), or at or above (sign -1). It is first read from the
// reduced matches; the blocks within two reduced columns of it may lie on
// either side of the answer, so a sample of them (evenly spread in order) is
// measured again at full size, each standing for its share of that band.
double RefinedQuantile(const std::vector<TBlockMatch>& matches, int32_t factor, int sign,
                       const std::function<double(const TBlockMatch&)>& fullSize)
{
    std::vector<std::pair<double, const TBlockMatch*>> ordered;
    for (const TBlockMatch& m : matches)
        ordered.push_back({sign * m.Disparity * factor, &m});
    std::sort(ordered.begin(), ordered.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    const double wanted = SignificantShare * static_cast<double>(ordered.size());
    const size_t rank = static_cast<size_t>(std::ceil(wanted)) - 1;
    const double coarse = ordered[rank].first;
    if (factor == 1)
        return sign * coarse;
    const double band = 2.0 * factor;
    size_t begin = rank, end = rank + 1;
    while (begin > 0 && ordered[begin - 1].first >= coarse - band)
        --begin;
    while (end < ordered.size() && ordered[end].first <= coarse + band)
        ++end;
    const size_t bandSize = end - begin;
    const size_t samples = std::min(bandSize, MaxRefinedBlocks);
    std::vector<double> refined;
    for (size_t k = 0; k < samples; ++k)
        refined.push_back(sign * fullSize(*ordered[begin + k * bandSize / samples].second));
    std::sort(refined.begin(), refined.end());
    const double weight = static_cast<double>(bandSize) / static_cast<double>(samples);
    for (size_t k = 0; k < refined.size(); ++k)
        if (static_cast<double>(begin) + weight * static_cast<double>(k + 1) >= wanted - 1e-9)
            return sign * refined[k];
    return sign * refined.back();
}

}  // namespace

TStereoWindowEstimate EstimateStereoWindow(const TPixelView& left, const TPixelView& right, int32_t verticalOffset)
{
    // The rows both show once the RIGHT view is read verticalOffset rows
    // lower.
    const int64_t top = std::max<int64_t>(0, -int64_t{verticalOffset});
    const int64_t bottom = std::min<int64_t>(left.Height, int64_t{right.Height} - verticalOffset);
    if (bottom - top < 1 || left.Width < 1 || right.Width < 1)
        return {};
    TPixelView l = left, r = right;
    l.Y += static_cast<int32_t>(top);
    r.Y += static_cast<int32_t>(top + verticalOffset);
    l.Height = r.Height = static_cast<int32_t>(bottom - top);

    const int32_t factor = std::max(1, (l.Width + ReducedColumns - 1) / ReducedColumns);
    if (l.Height / factor < MatchBlockSize || std::min(l.Width, r.Width) / factor < 2 * MatchBlockSize)
        return {};
    const TGreyPlane leftPlane = ReduceToGrey(l, 0, 0, l.Width, l.Height, factor);
    const TGreyPlane rightPlane = ReduceToGrey(r, 0, 0, r.Width, r.Height, factor);
    const int32_t reach = static_cast<int32_t>(std::ceil(ReachShare * leftPlane.Width));
    const TBlockMatches found = MatchBlocks(leftPlane, rightPlane, reach);
    const size_t matched = found.Matches.size();
    if (matched < MinMatches || static_cast<double>(matched) < MinMatchedShare * found.TexturedBlocks)
        return {};

    // A block measured again at full size, in the middle of its area; its
    // reduced value stands when the full-size match is not certain.
    const auto fullSize = [&](const TBlockMatch& m) {
        const int32_t side = MatchBlockSize * factor;
        const int32_t area = std::min(side, FullSizeArea);
        const double reduced = m.Disparity * factor;
        const std::optional<double> d =
            MatchAreaFullSize(l, r, m.X * factor + (side - area) / 2, m.Y * factor + (side - area) / 2, area, area,
                              static_cast<int32_t>(std::floor(reduced + 0.5)), factor + 1);
        return d ? *d : reduced;
    };
    const double nearest = RefinedQuantile(found.Matches, factor, 1, fullSize);
    const double farthest = RefinedQuantile(found.Matches, factor, -1, fullSize);

    TStereoWindowEstimate estimate;
    estimate.Found = true;
    estimate.ShiftX = -Round(nearest);
    estimate.DepthPixels = std::max(0, Round(nearest) - Round(farthest));
    estimate.DepthPercent = 100.0 * estimate.DepthPixels / left.Width;
    return estimate;
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
        RunOnTwoThreads([rightJpeg] { rightJpeg->DecodedBitmap(); },
                        [&] { leftPixels = &PixelsOf(left.Graphic, leftDrawn); });
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
    // std::to_chars writes the same whatever the process's locale (the
    // windows run in the user's).
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, percent, std::chars_format::fixed, 1);
    std::string out = error == std::errc() ? std::string(text, end) : std::string("0.0");
    if (out == "-0.0")
        out = "0.0";
    std::replace(out.begin(), out.end(), '.', ',');
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
