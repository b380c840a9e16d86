#include "stereo/stereo_compose.h"

#include "stereo/anaglyph_file.h"
#include "core/checked_math.h"
#include "core/errors.h"
#include "stereo/stereo_window.h"

#include <cmath>

namespace tremalu {

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
        if (options.Align || options.AutoWindow) {
            const TAutomaticAdjustment adjustment =
                EstimateAutomaticAdjustment(pair.Left, pair.Right, options.Align, options.AutoWindow);
            if (options.Align) {
                notes.push_back(FormatMessage(AlignmentText, {std::to_string(adjustment.VerticalOffset)}));
                dy += adjustment.VerticalOffset;
            }
            if (options.AutoWindow) {
                // Nothing matched: the shift stays as it was asked for.
                if (adjustment.Window.Found)
                    dx += adjustment.Window.ShiftX;
                for (const std::string& line : StereoWindowNotes(adjustment.Window, dx))
                    notes.push_back(line);
            }
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
