// The automatic adjustment of a stereo pair: the vertical alignment, then
// the stereo window (the horizontal shift that puts the nearest significant
// part of the scene on the screen plane).
#pragma once

#include "stereo/stereo_pair.h"

#include <cstdint>

namespace tremalu {

struct TStereoWindowEstimate { bool Found = false; int32_t ShiftX = 0; int32_t DepthPixels = 0; double DepthPercent = 0; };
struct TAutomaticAdjustment { int32_t VerticalOffset = 0; TStereoWindowEstimate Window; };
// Vertical alignment when `align`, then the stereo window when `window`; views need Graphic set.
TAutomaticAdjustment EstimateAutomaticAdjustment(const TStereoView& left, const TStereoView& right, bool align, bool window);
// "Aucun appui trouvé : décalage inchangé." when Window.Found is false.

}  // namespace tremalu
