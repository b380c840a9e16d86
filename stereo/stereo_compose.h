// Composing a stereo pair with the batch tool's choices: the method and
// glasses, a shift of the RIGHT picture (the stereo window, given or
// estimated), the vertical alignment, the parallax a camera recorded, LEFT
// and RIGHT swapped.
#pragma once

#include "stereo/anaglyph.h"
#include "stereo/anaglyph_methods.h"
#include "stereo/stereo_pair.h"

#include <string>
#include <vector>

namespace tremalu {

struct TStereoOptions {
    TAnaglyphMix Mix;
    bool Shift = false;  // a shift was asked for: the result is the overlap
    int64_t ShiftX = 0;  // the RIGHT picture moved this far to the left
    int64_t ShiftY = 0;  // ... and this far up
    bool Align = false;
    bool AutoWindow = false;  // the stereo window set on the nearest part of the scene
    bool Parallax = false;
    bool Swap = false;

    // Whether the result is cropped to the overlap rather than made at the
    // LEFT picture's size.
    bool Crops() const { return Shift || Align || AutoWindow || Parallax; }
};

// Said when --parallaxe finds nothing to use.
inline constexpr const char* NoParallaxText =
    "Parallaxe absente ou illisible dans le fichier : aucun décalage horizontal n'est appliqué.";
// The alignment's estimate, %d filled in.
inline constexpr const char* AlignmentText = "Décalage vertical estimé : %d pixels";

// The frame of the pair with the options (views' own offsets included); the
// lines worth telling the user (different sizes, the alignment's estimate,
// the stereo window's, a parallax not found) are added to notes. The
// alignment and the automatic window need every pixel of both pictures
// (EstimateAutomaticAdjustment), so they need a pair read as pictures
// (TPairReading::Pictures).
// Raises Exception(NoOverlapText) for a shift that leaves nothing.
TStereoFrame PlanStereoFrame(TStereoPair& pair, const TStereoOptions& options, std::vector<std::string>& notes);

// Composes the pair and saves it by name, as SaveAnaglyph does (nothing is
// written on failure).
void SaveStereoAnaglyph(TStereoPair& pair, const TStereoOptions& options, const std::string& fileName,
                        std::vector<std::string>& notes);

}  // namespace tremalu
