// The eight settings of a JPEG picture and the process-wide defaults that
// every new picture copies.
//
// Each setting is one byte. In the program only EncodeQuality and GrayMode are
// ever set on a picture (when the result is saved), besides WriteProgressive,
// which reading a file sets; every decode therefore runs with the defaults.
#pragma once

#include <cstdint>

namespace tremalu {

// Decoder trade-off: the accurate inverse DCT and Floyd–Steinberg dithering,
// or the fast DCT and ordered dithering.
enum class TJPEGDecodeSpeed : uint8_t { FavourQuality = 0, FavourSpeed = 1 };

// Bits per pixel of the decoded bitmap: 24 (colour rows) or 8 (a palette of at
// most 236 colours chosen by the codec).
enum class TJPEGBitmapDepth : uint8_t { Depth24 = 0, Depth8 = 1 };

// Decoding at 1/1, 1/2, 1/4 or 1/8 of the full size.
enum class TJPEGReduction : uint8_t { ReduceNone = 0, ReduceHalf = 1, ReduceQuarter = 2, ReduceEighth = 3 };

// Stored in this order.
struct JpegSettings {
    bool BlockSmoothing = true;
    bool GrayMode = false;
    TJPEGBitmapDepth BitmapDepth = TJPEGBitmapDepth::Depth24;
    uint8_t EncodeQuality = 90;  // 1 to 100; 0 acts as 1 and above 100 as 100
    bool ScanByScanDisplay = false;
    bool WriteProgressive = false;
    TJPEGDecodeSpeed DecodeSpeed = TJPEGDecodeSpeed::FavourQuality;
    TJPEGReduction ReduceBy = TJPEGReduction::ReduceNone;
};

// The defaults. The JPEG module sets BitmapDepth at start-up from the screen;
// pictures read the rest as they are.
JpegSettings& DefaultJpegSettings();

// The decoding depth for a screen of the given bits per pixel times colour
// planes: a palette screen (8 or fewer) gets 8-bit bitmaps, any other 24-bit.
TJPEGBitmapDepth JpegDepthForScreen(int bitsTimesPlanes);

}  // namespace tremalu
