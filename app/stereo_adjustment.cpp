#include "stereo_adjustment.h"

#include "fitting.h"
#include "raster/reduced_copy.h"
#include "core/checked_math.h"
#include "core/errors.h"
#include "stereo/anaglyph_file.h"
#include "stereo/stereo_window.h"

#include <algorithm>
#include <cmath>

namespace tremalu {

namespace {

// A signed number as the French texts write it: a true minus sign.
std::string SignedText(int64_t value)
{
    return value < 0 ? "\u2212" + std::to_string(-value) : std::to_string(value);
}

// One decimal, with the French decimal comma.
int32_t ScaledLength(int64_t length, double scale)
{
    return static_cast<int32_t>(std::max<int64_t>(1, std::llround(static_cast<double>(length) * scale)));
}

}  // namespace

TStereoFrame ReducedFrame(const TStereoFrame& frame, double scaleX, double scaleY, int32_t leftWidth,
                          int32_t leftHeight, int32_t rightWidth, int32_t rightHeight)
{
    // Each length and origin is rounded on its own; the size is then kept
    // within both copies and each origin moved back inside its copy, so a
    // rounding never reads beyond a side (which would show white).
    const auto place = [](int32_t length, double scale, int32_t origin, int32_t limit) {
        const int32_t at = static_cast<int32_t>(std::llround(origin * scale));
        return std::clamp(at, 0, limit - length);
    };
    TStereoFrame reduced;
    reduced.Width = std::min({ScaledLength(frame.Width, scaleX), leftWidth, rightWidth});
    reduced.Height = std::min({ScaledLength(frame.Height, scaleY), leftHeight, rightHeight});
    reduced.LeftX = place(reduced.Width, scaleX, frame.LeftX, leftWidth);
    reduced.LeftY = place(reduced.Height, scaleY, frame.LeftY, leftHeight);
    reduced.RightX = place(reduced.Width, scaleX, frame.RightX, rightWidth);
    reduced.RightY = place(reduced.Height, scaleY, frame.RightY, rightHeight);
    return reduced;
}

TStereoAdjustment::TStereoAdjustment(const TStereoSides& sides) : Sides(sides)
{
    const std::optional<double>& parallax = Sides.ParallaxPercent;
    // Beyond a whole width the value cannot be a parallax: the batch tool
    // takes it as unreadable, and so does the window.
    if (parallax && std::abs(*parallax) <= 100) {
        const TStereoOffset camera{Round(static_cast<Extended>(Sides.LeftWidth) * *parallax / 100), 0};
        if (Overlaps(camera, false)) {
            FStart = camera;
            FromCamera = true;
        } else {
            FStartNote = adjustment_texts::CameraTooLarge;
        }
    }
    FOffset = FStart;
    FCropped = FromCamera;
}

bool TStereoAdjustment::Overlaps(const TStereoOffset& offset, bool swapped) const
{
    const int64_t lw = swapped ? Sides.RightWidth : Sides.LeftWidth;
    const int64_t lh = swapped ? Sides.RightHeight : Sides.LeftHeight;
    const int64_t rw = swapped ? Sides.LeftWidth : Sides.RightWidth;
    const int64_t rh = swapped ? Sides.LeftHeight : Sides.RightHeight;
    // The overlap of ShiftedFrame, in LEFT columns: max(0, -d) to min(l, r - d).
    const auto overlaps = [](int64_t l, int64_t r, int64_t d) { return std::min(l, r - d) > std::max<int64_t>(0, -d); };
    return overlaps(lw, rw, offset.X) && overlaps(lh, rh, offset.Y);
}

bool TStereoAdjustment::MoveBy(int64_t dx, int64_t dy)
{
    const TStereoOffset moved{FOffset.X + dx, FOffset.Y + dy};
    if (!Overlaps(moved, FSwapped))
        return false;
    FOffset = moved;
    FCropped = true;
    return true;
}

bool TStereoAdjustment::Swap()
{
    if (FCropped && !Overlaps(FOffset, !FSwapped))
        return false;
    FSwapped = !FSwapped;
    return true;
}

void TStereoAdjustment::ReturnToStart()
{
    FOffset = FStart;
    FCropped = FromCamera;
}

TStereoView TStereoAdjustment::ViewOf(TGraphic* side) const
{
    const bool left = side == Sides.Left;
    return {side, 0, 0, left ? Sides.LeftWidth : Sides.RightWidth, left ? Sides.LeftHeight : Sides.RightHeight,
            nullptr};
}

bool TStereoAdjustment::ApplyAutomaticAdjustment()
{
    const TAutomaticAdjustment found =
        EstimateAutomaticAdjustment(ViewOf(LeftSide()), ViewOf(RightSide()), true, true);
    const TStereoOffset offset{found.Window.ShiftX, found.VerticalOffset};
    if (!found.Window.Found || !Overlaps(offset, FSwapped))
        return false;
    FOffset = offset;
    FCropped = true;
    FDepthNote = FormatMessage(DepthText, {std::to_string(found.Window.DepthPixels),
                                           FrenchPercent(found.Window.DepthPercent)});
    return true;
}

TStereoFrame TStereoAdjustment::Frame() const
{
    const int32_t lw = FSwapped ? Sides.RightWidth : Sides.LeftWidth;
    const int32_t lh = FSwapped ? Sides.RightHeight : Sides.LeftHeight;
    if (!FCropped)
        return WholeLeftFrame(lw, lh);
    const int32_t rw = FSwapped ? Sides.LeftWidth : Sides.RightWidth;
    const int32_t rh = FSwapped ? Sides.LeftHeight : Sides.RightHeight;
    return ShiftedFrame(lw, lh, rw, rh, FOffset.X, FOffset.Y);
}

std::unique_ptr<TBitmap> TStereoAdjustment::ComposeFullSize() const
{
    return ComposeAnaglyph(LeftSide(), RightSide(), Frame(), Sides.Mix);
}

void TStereoAdjustment::SaveFullSize(const std::string& fileName) const
{
    SaveAnaglyph(LeftSide(), RightSide(), Frame(), Sides.Mix, fileName);
}

std::unique_ptr<TBitmap> TStereoAdjustment::ComposeReduced(int32_t box)
{
    if (!ReducedLeft) {
        // A picture smaller than the box is composed at its own size: the
        // view stretches it as it stretches the program's own anaglyph.
        TFittedBounds fit = FitIntoBox(Sides.LeftWidth, Sides.LeftHeight, box, box, box);
        if (fit.Width > Sides.LeftWidth || fit.Height > Sides.LeftHeight)
            fit = {0, 0, Sides.LeftWidth, Sides.LeftHeight};
        const double scaleX = static_cast<double>(fit.Width) / Sides.LeftWidth;
        const double scaleY = static_cast<double>(fit.Height) / Sides.LeftHeight;
        std::unique_ptr<TBitmap> left = ReducedCopy(*Sides.Left, fit.Width, fit.Height);
        std::unique_ptr<TBitmap> right = ReducedCopy(*Sides.Right, ScaledLength(Sides.RightWidth, scaleX),
                                                     ScaledLength(Sides.RightHeight, scaleY));
        ReducedLeft = std::move(left);
        ReducedRight = std::move(right);
        ScaleX = scaleX;
        ScaleY = scaleY;
    }
    TBitmap* left = FSwapped ? ReducedRight.get() : ReducedLeft.get();
    TBitmap* right = FSwapped ? ReducedLeft.get() : ReducedRight.get();
    const TStereoFrame reduced = ReducedFrame(Frame(), ScaleX, ScaleY, left->PixelWidth(), left->PixelHeight(),
                                              right->PixelWidth(), right->PixelHeight());
    return ComposeAnaglyph(left, right, reduced, Sides.Mix);
}

std::string TStereoAdjustment::StatusText(const std::string& note) const
{
    std::string text = adjustment_texts::Offset + SignedText(FOffset.X) + " ; " + SignedText(FOffset.Y);
    if (FromCamera && FOffset == FStart)
        text += std::string("\n") + adjustment_texts::FromCamera;
    if (FSwapped)
        text += std::string("\n") + adjustment_texts::Swapped;
    if (!note.empty())
        text += "\n" + note;
    return text;
}

}  // namespace tremalu
