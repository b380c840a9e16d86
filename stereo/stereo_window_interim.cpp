// Interim body of EstimateAutomaticAdjustment, so that the windows build
// before the stereo window's own estimate joins this library: it gives the
// vertical alignment of the batch tool and finds no stereo window. The file
// goes when stereo_window.cpp arrives.
#include "stereo/stereo_window.h"

#include "stereo/stereo_compose.h"

#include <string>
#include <vector>

namespace tremalu {

TAutomaticAdjustment EstimateAutomaticAdjustment(const TStereoView& left, const TStereoView& right, bool align,
                                                 bool /*window*/)
{
    TAutomaticAdjustment result;
    if (!align)
        return result;
    TStereoPair pair;
    pair.Left = left;
    pair.Right = right;
    TStereoOptions options;
    options.Align = true;
    std::vector<std::string> notes;
    // With no horizontal shift the frame's rows differ by the estimate.
    const TStereoFrame frame = PlanStereoFrame(pair, options, notes);
    result.VerticalOffset = (frame.RightY - right.Y) - (frame.LeftY - left.Y);
    return result;
}

}  // namespace tremalu
