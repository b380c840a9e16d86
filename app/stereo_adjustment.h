// The stereo adjustment of the result window and the full-size view: where
// the RIGHT picture sits against the LEFT one, moved by the arrow keys, set
// by the automatic adjustment, swapped with the LEFT, back to where it
// started. Qt-free, so that the batch tool's composition and this one can be
// compared in tests and timed in bench/.
//
// The offset is the batch tool's `--decalage DX,DY`: the RIGHT picture moved
// DX pixels to the left and DY pixels up. Until the first adjustment (and
// again after returning to a start that was not the camera's) the anaglyph
// is the program's own, at the LEFT picture's size; once adjusted it is the
// overlap of the two pictures, exactly as `--decalage` crops it.
#pragma once

#include "stereo/anaglyph.h"
#include "stereo/anaglyph_methods.h"
#include "stereo/stereo_pair.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tremalu {

// Texts over the view.
namespace adjustment_texts {
inline constexpr const char* Offset = "Décalage : ";
inline constexpr const char* FromCamera = "Parallaxe de l'appareil";
inline constexpr const char* CameraTooLarge = "Parallaxe de l'appareil trop grande : non appliquée.";
inline constexpr const char* Swapped = "Gauche et droite inversées";
}  // namespace adjustment_texts

// What the image-choice window hands over: the two sides as their previews
// hold them, their natural sizes, the mix, and the parallax the camera
// recorded when both came from one MPO file.
struct TStereoSides {
    TGraphic* Left = nullptr;
    TGraphic* Right = nullptr;
    int32_t LeftWidth = 0;
    int32_t LeftHeight = 0;
    int32_t RightWidth = 0;
    int32_t RightHeight = 0;
    TAnaglyphMix Mix;
    std::optional<double> ParallaxPercent;
};

struct TStereoOffset {
    int64_t X = 0;
    int64_t Y = 0;
    friend bool operator==(const TStereoOffset&, const TStereoOffset&) = default;
};

class TStereoAdjustment {
public:
    // Starts at the camera's parallax when there is one that leaves an
    // overlap (rounded as `--parallaxe` rounds it), otherwise at (0, 0).
    explicit TStereoAdjustment(const TStereoSides& sides);

    const TStereoOffset& Offset() const { return FOffset; }
    const TStereoOffset& Start() const { return FStart; }
    bool Swapped() const { return FSwapped; }
    // Whether the anaglyph is the overlap rather than the program's own.
    bool Cropped() const { return FCropped; }
    const TAnaglyphMix& Mix() const { return Sides.Mix; }
    void SetMix(const TAnaglyphMix& mix) { Sides.Mix = mix; }

    // Each returns false, changing nothing, when the two pictures would no
    // longer overlap.
    bool MoveBy(int64_t dx, int64_t dy);
    bool Swap();
    void ReturnToStart();
    // The vertical alignment and the stereo window of the batch tool's
    // `--aligner --fenetre-auto`, computed on the sides as they are (swapped
    // or not), unshifted: the offset becomes (window, vertical). A start
    // at the camera's parallax is replaced, not added to: the estimate
    // measures the scene itself, the camera's value only guesses it; Home
    // still returns to the camera's. Returns false, changing nothing, when
    // nothing was found to match.
    bool ApplyAutomaticAdjustment();

    // The frame of the composition with the current settings.
    TStereoFrame Frame() const;
    TGraphic* LeftSide() const { return FSwapped ? Sides.Right : Sides.Left; }
    TGraphic* RightSide() const { return FSwapped ? Sides.Left : Sides.Right; }

    // The full-size anaglyph, and the same written straight to a file by
    // name (as the batch tool writes it, never held whole).
    std::unique_ptr<TBitmap> ComposeFullSize() const;
    void SaveFullSize(const std::string& fileName) const;

    // The anaglyph at about the size of a box × box view, made from copies
    // of both sides reduced once, on the first call, to the scale at which
    // the LEFT picture fits the box (never enlarged).
    std::unique_ptr<TBitmap> ComposeReduced(int32_t box);

    // Where things stand, a line each: the offset, then where it came from
    // or what is swapped, then note when not empty.
    std::string StatusText(const std::string& note = std::string()) const;
    // What was said about the start (a camera parallax too large), if anything.
    const std::string& StartNote() const { return FStartNote; }
    // The depth behind the window found by the last automatic adjustment.
    const std::string& DepthNote() const { return FDepthNote; }

private:
    bool Overlaps(const TStereoOffset& offset, bool swapped) const;
    TStereoView ViewOf(TGraphic* side) const;

    TStereoSides Sides;
    TStereoOffset FStart;
    TStereoOffset FOffset;
    bool FSwapped = false;
    bool FCropped = false;
    bool FromCamera = false;
    std::string FStartNote;
    std::string FDepthNote;
    // The reduced copies and their scale (reduced pixels per pixel).
    std::unique_ptr<TBitmap> ReducedLeft;
    std::unique_ptr<TBitmap> ReducedRight;
    double ScaleX = 0;
    double ScaleY = 0;
};

// A frame of full-size pixels in the pixels of copies reduced by scaleX,
// scaleY: at least one pixel each way, inside both copies.
TStereoFrame ReducedFrame(const TStereoFrame& frame, double scaleX, double scaleY, int32_t leftWidth,
                          int32_t leftHeight, int32_t rightWidth, int32_t rightHeight);

}  // namespace tremalu
