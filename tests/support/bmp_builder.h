// A small BMP writer of the tests' own, independent of the program's, so
// that the reader is checked against files laid out field by field.
#pragma once

#include <cstdint>
#include <vector>

namespace testing_support {

struct BmpFields {
    char Signature[2] = {'B', 'M'};
    uint32_t HeaderSize = 40;  // 12 writes the OS/2 core header
    int32_t Width = 1;
    int32_t Height = 1;
    uint16_t Planes = 1;
    uint16_t BitCount = 24;
    uint32_t Compression = 0;
    int64_t SizeImage = -1;  // -1: the pixel bytes' count
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    int64_t ClrUsed = -1;  // -1: the colour table's entry count
    uint32_t ClrImportant = 0;
    uint32_t Masks[4] = {0, 0, 0, 0};  // red, green, blue (alpha in headers of 56 bytes and more)
    bool SeparateMasks = false;        // 12 bytes of masks after a 40-byte header
    std::vector<uint32_t> Colors;      // 0x00RRGGBB, written 4 bytes each (3 for OS/2)
    uint32_t Gap = 0;                  // bytes of zeros between the colour table and the pixels
    std::vector<uint8_t> Pixels;       // written as given
    int64_t FileSizeField = -1;        // -1: the true size
    int64_t OffsetField = -1;          // -1: the true offset
};

std::vector<uint8_t> BuildBmp(const BmpFields& f);

// Rows of 24-bit pixels (0x00RRGGBB each), top row first, written bottom-up
// and padded as a file stores them.
std::vector<uint8_t> Rows24(int32_t width, const std::vector<std::vector<uint32_t>>& topDown);

}  // namespace testing_support
