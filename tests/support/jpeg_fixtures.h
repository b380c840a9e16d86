// JPEG files and bitmaps for the tests, made by our own encoder or by the
// codec driven directly (for the kinds of file the program never writes).
#pragma once

#include "raster/bitmap.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <jpeglib.h>

namespace testing_support {

// A pixel of a test picture, as 0x00RRGGBB, from its position.
using PixelAt = std::function<uint32_t(int32_t x, int32_t y)>;

// A bitmap made by size alone (32-bit device format, bytes B, G, R, 0),
// then painted pixel by pixel.
std::unique_ptr<tremalu::TBitmap> DeviceBitmap(int32_t width, int32_t height, const PixelAt& pixel);
// The same picture in a 24-bit bitmap, whose rows are padded to 4 bytes.
std::unique_ptr<tremalu::TBitmap> Bitmap24(int32_t width, int32_t height, const PixelAt& pixel);

// A file made by the program's encoder from the bitmap.
std::vector<uint8_t> EncodeJpeg(const tremalu::TBitmap& bitmap, int quality, bool gray = false,
                                bool progressive = false);

// The file with its frame header once more just before its end-of-image
// marker: it reads, and its decode fails once the rows are done.
std::vector<uint8_t> WithSecondFrameHeader(std::vector<uint8_t> file);

// What the codec is asked to write when driven directly.
struct CodecFileFields {
    int32_t Width = 16;
    int32_t Height = 16;
    int Components = 3;               // 1 gray, 3 RGB, 4 CMYK samples
    J_COLOR_SPACE FileColorSpace = JCS_UNKNOWN;  // JCS_UNKNOWN: the codec's default for the input
    int Quality = 90;
    bool Progressive = false;
    bool Arithmetic = false;
    unsigned RestartInterval = 0;     // in MCUs; 0 for none
    bool AdobeMarker = true;          // written by the codec for CMYK and YCCK unless turned off
    int LumaSampling = 2;             // horizontal sampling of the first component
    int LumaSamplingV = 0;            // its vertical sampling; 0: the same as horizontal
    std::vector<std::pair<int, std::vector<uint8_t>>> Markers;  // extra APPn/COM segments after the header
};

// Fills the samples of one pixel: R, G, B; the gray level; or C, M, Y, K as
// the file stores them.
using SamplesAt = std::function<void(int32_t x, int32_t y, uint8_t* samples)>;

std::vector<uint8_t> EncodeWithCodec(const CodecFileFields& fields, const SamplesAt& samples);

// The colour a bitmap shows at (x, y), as 0x00RRGGBB.
uint32_t Shown(const tremalu::TBitmap& bitmap, int32_t x, int32_t y);

// The largest difference of one channel between two colours.
int ChannelDistance(uint32_t a, uint32_t b);

}  // namespace testing_support
