// The automatic stereo window: where the nearest part of the scene lies
// between the two pictures, so that the RIGHT picture can be moved until it
// sits on the screen plane and everything else behind it.
//
// Disparities are measured as the LEFT column minus the RIGHT column of the
// same scene point: a near object of a pair taken with parallel lenses lies
// further left in the RIGHT picture than in the LEFT one (positive), a far
// one hardly moves. Moving the RIGHT picture D pixels to the left (the
// batch tool's --decalage D) adds D to every disparity; the nearest part of
// the scene lies on the screen plane when its disparity becomes 0, so the
// shift applied is minus the nearest disparity.
//
// The disparities are matched on reduced grey copies of both pictures,
// block by block, by normalised correlation (which ignores a difference of
// gain and offset between the two exposures); blocks without texture, and
// matches that are not unique or not found back from the RIGHT picture, are
// left out. The answer is then refined at full resolution on the blocks that
// decide it.
#pragma once

#include "stereo/stereo_pair.h"
#include "stereo/vertical_alignment.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tremalu {

// What the automatic stereo window found.
struct TStereoWindowEstimate {
    bool Found = false;       // false: nothing to match (flat picture, unrelated pictures)
    int32_t ShiftX = 0;       // the DX to add (RIGHT moved this far to the left), --decalage's convention
    int32_t DepthPixels = 0;  // the depth that remains behind the window, in pixels
    double DepthPercent = 0;  // ... in percent of the width
};

// The automatic adjustment that both the batch tool (--aligner and/or
// --fenetre-auto) and the result window's A key use.
struct TAutomaticAdjustment {
    int32_t VerticalOffset = 0;    // the alignment's estimate (0 when not asked)
    TStereoWindowEstimate Window;  // Found false when not asked or nothing matched
};

// The stereo window of two views of pixels, the RIGHT view read
// verticalOffset rows lower than the LEFT one (what row y of the LEFT view
// shows is at row y + verticalOffset of the RIGHT view, as
// EstimateVerticalOffset answers).
TStereoWindowEstimate EstimateStereoWindow(const TPixelView& left, const TPixelView& right, int32_t verticalOffset);

// Reads both views' pixels as the composition sees them (two JPEG pictures
// decoded on two threads at once), estimates the vertical offset when
// `align` (EstimateVerticalOffset), then, when `window`, the stereo window
// on the pair with that vertical offset applied. The views need Graphic set
// (a pair read as pictures).
TAutomaticAdjustment EstimateAutomaticAdjustment(const TStereoView& left, const TStereoView& right, bool align,
                                                 bool window);

// The window's estimate, %d filled in with the shift applied.
inline constexpr const char* StereoWindowText = "Fenêtre stéréo estimée : %d pixels";
// The depth behind the window: pixels, then the percent of the width.
inline constexpr const char* DepthText = "Profondeur : %d pixels (%s % de la largeur)";
// Said when nothing could be matched: the shift stays as it was.
inline constexpr const char* NoMatchText = "Aucun appui trouvé : décalage inchangé.";

// The lines the user is told about a window estimate: StereoWindowText with
// the horizontal shift finally applied (the estimate plus any shift asked
// for besides, so that --decalage with that value gives the same picture)
// and DepthText when found, NoMatchText otherwise.
std::vector<std::string> StereoWindowNotes(const TStereoWindowEstimate& estimate, int64_t appliedShiftX);

// A percentage with one decimal and a decimal comma, as French writes it
// ("1,8", "-0,5", "12,0").
std::string FrenchPercent(double percent);

}  // namespace tremalu
