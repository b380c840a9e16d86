// A small icon-file writer of the tests' own: the directory written field by
// field, images as device-independent bitmaps (colour rows, then the AND
// mask) or as PNG files.
#pragma once

#include <cstdint>
#include <vector>

namespace testing_support {

struct IconEntryFields {
    uint8_t WidthByte = 32;
    uint8_t HeightByte = 32;
    uint16_t ColorCount = 16;      // the count byte and the reserved byte after it
    std::vector<uint8_t> Data;     // the image data
    int64_t OffsetField = -1;      // -1: where the data is written
    int64_t SizeField = -1;        // -1: the data's size
};

std::vector<uint8_t> BuildIconFile(const std::vector<IconEntryFields>& entries, uint16_t type = 1);

// An icon image as a DIB of width × height pixels: 32 bits per pixel with
// the given 0xAARRGGBB pixels (top row first), or 4 bits per pixel when
// palette16 is not empty (pixels then hold indices). mask holds one 0/1 per
// pixel, top row first (1 keeps the surface).
std::vector<uint8_t> DibIconImage(int32_t width, int32_t height, const std::vector<uint32_t>& pixels,
                                  const std::vector<uint8_t>& mask, const std::vector<uint32_t>& palette16 = {});

// A PNG file of width × height pixels, 0xAARRGGBB, top row first.
std::vector<uint8_t> PngImage(int32_t width, int32_t height, const std::vector<uint32_t>& pixels);

}  // namespace testing_support
