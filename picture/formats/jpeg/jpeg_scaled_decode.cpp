#include "formats/jpeg/jpeg_scaled_decode.h"

#include "core/checked_math.h"
#include "core/streams.h"
#include "formats/jpeg/jpeg_codec_glue.h"
#include "formats/jpeg/jpeg_decode_target.h"
#include "raster/bitmap.h"

#include <cstdlib>

namespace tremalu {

namespace {

int32_t Denominator(TJPEGReduction reduction) { return int32_t{1} << (static_cast<unsigned>(reduction) & 3); }

}  // namespace

int32_t ScaledLength(int32_t length, TJPEGReduction reduction)
{
    const int32_t d = Denominator(reduction);
    return length <= 0 ? 0 : static_cast<int32_t>((int64_t{length} + d - 1) / d);
}

TJPEGReduction CoveringReduction(int32_t pictureWidth, int32_t pictureHeight, int32_t rectWidth,
                                 int32_t rectHeight)
{
    const int64_t w = std::llabs(rectWidth), h = std::llabs(rectHeight);
    if (w == 0 || h == 0)
        return TJPEGReduction::ReduceNone;
    for (TJPEGReduction r : {TJPEGReduction::ReduceEighth, TJPEGReduction::ReduceQuarter, TJPEGReduction::ReduceHalf})
        if (ScaledLength(pictureWidth, r) >= w && ScaledLength(pictureHeight, r) >= h)
            return r;
    return TJPEGReduction::ReduceNone;
}

bool SameDecode(const JpegSettings& a, const JpegSettings& b)
{
    return a.GrayMode == b.GrayMode && a.BitmapDepth == b.BitmapDepth && a.DecodeSpeed == b.DecodeSpeed &&
           a.BlockSmoothing == b.BlockSmoothing;
}

void DecodeScaled(const uint8_t* bytes, size_t count, const JpegSettings& settings, TJPEGReduction reduction,
                  TScaledDecode& into)
{
    into.Bitmap = std::make_unique<TBitmap>();
    into.Reduction = reduction;
    into.Settings = settings;
    JpegSettings scaled = settings;
    scaled.ReduceBy = reduction;
    scaled.ScanByScanDisplay = false;
    // A stream of this decode's own over the bytes: a decode of the same
    // bytes elsewhere keeps its own position.
    TReadOnlyMemoryStream stream(bytes, count);
    TCodecContext context;
    OpenConfiguredDecoder(context, nullptr, stream, scaled);
    jpeg_decompress_struct& codec = context.Decompress;
    const bool eightBit = codec.quantize_colors != 0;
    // A picture whose full decode is refused for its size is refused here
    // too, with the same failure at the same draw: the reduced copy never
    // shows what the picture itself cannot be.
    CheckedBitmapBytes(codec.image_width, codec.image_height, eightBit ? 8 : 24);
    jpeg_calc_output_dimensions(&codec);

    TJpegDecodeTarget target(*into.Bitmap, codec, scaled.GrayMode);
    try {
        jpeg_start_decompress(&codec);
        target.Create(eightBit, eightBit && codec.colormap != nullptr ? PaletteFromColorMap(codec) : nullptr);
        target.ReadPass();
        // Up to the end of the file, as the full decode reads it: damage
        // after the last row fails here too.
        jpeg_finish_decompress(&codec);
    } catch (...) {
        target.WhitenUndecodedRows();
        throw;
    }
}

}  // namespace tremalu
