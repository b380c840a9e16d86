// Fitting a picture's natural size into a square box centred in a frame,
// as the previews (290-pixel box in a 305-pixel frame) and the result view
// (425-pixel box in a 441-pixel frame) show pictures.
//
// The aspect ratio r = height ÷ width is held as a 32-bit float and tested
// against 1.0: taller pictures get the box's height, wider ones its width,
// and the other side is Round(box ÷ r) or Round(r × box), computed in
// extended precision and rounded to nearest with ties to even. A side of 0
// makes the ratio a floating-point failure, never an infinity.
#pragma once

#include <cstdint>

namespace tremalu {

struct TFittedBounds {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    friend bool operator==(const TFittedBounds&, const TFittedBounds&) = default;
};

TFittedBounds FitIntoBox(int32_t naturalWidth, int32_t naturalHeight, int32_t box, int32_t frameWidth,
                         int32_t frameHeight);

inline constexpr int32_t PreviewBox = 290;
inline constexpr int32_t ResultBox = 425;

}  // namespace tremalu
