// Decoding a JPEG file at a fraction of its size, for drawing it small.
//
// The codec can run its inverse DCT at 1/2, 1/4 or 1/8 of a block's size
// (scale_num / scale_denom): the entropy decoding stays, but the transform,
// the colour conversion and the rows written shrink with the square of the
// scale, and no full-size pixels are ever made. A picture drawn into a
// rectangle much smaller than itself (a preview) is drawn from such a decode,
// stretched as usual; it is a drawing aid only, never the picture's pixels.
#pragma once

#include "formats/jpeg/jpeg_settings.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tremalu {

class TBitmap;

// The length a decode at reduction gives of a side of the picture: divided
// by 1, 2, 4 or 8, rounded up, as the codec computes it.
int32_t ScaledLength(int32_t length, TJPEGReduction reduction);

// The reduction whose result is the smallest that still covers a
// rectWidth × rectHeight rectangle (sizes taken without their sign):
// ReduceEighth, ReduceQuarter or ReduceHalf, or ReduceNone when only the
// full size covers it or the rectangle is empty.
TJPEGReduction CoveringReduction(int32_t pictureWidth, int32_t pictureHeight, int32_t rectWidth,
                                 int32_t rectHeight);

// A decode made at a reduction: its rows, and what it was made with.
struct TScaledDecode {
    std::unique_ptr<TBitmap> Bitmap;  // the rows decoded; those never reached are white
    TJPEGReduction Reduction = TJPEGReduction::ReduceNone;
    JpegSettings Settings;  // those the decode ran with
};

// Whether two settings decode the same bytes into the same pixels.
bool SameDecode(const JpegSettings& a, const JpegSettings& b);

// Decodes the JPEG file in bytes at the reduction, with the decode settings
// of a picture (gray mode, depth, speed, block smoothing; no scan-by-scan
// passes: nobody watches this decode). Reads the whole file as a full decode
// does, so that a damaged file fails with the codec's own text, EJPEG, and
// refuses a full size over the bitmap limit as the full decode does. On
// failure the bitmap is kept in `into` with its undecoded rows white (empty
// when the failure came before the rows, as the full decode leaves it), then
// the failure goes on. Reports no progress and touches nothing
// but its arguments: it may run on any thread.
void DecodeScaled(const uint8_t* bytes, size_t count, const JpegSettings& settings, TJPEGReduction reduction,
                  TScaledDecode& into);

}  // namespace tremalu
