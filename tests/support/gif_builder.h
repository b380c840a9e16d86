// A small GIF writer of the tests' own, independent of the program's, so
// that the reader is checked against files laid out field by field. Blocks
// are appended in the order the calls are made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// LZW codes as a GIF decoder reads them: the width of each code follows the
// table that the codes before it have filled (a clear code resets it).
class LzwCodes {
public:
    explicit LzwCodes(int minCodeSize);
    LzwCodes& Code(uint16_t code);
    LzwCodes& Codes(const std::vector<uint16_t>& codes);
    LzwCodes& Clear() { return Code(ClearCode()); }
    LzwCodes& End() { return Code(static_cast<uint16_t>(ClearCode() + 1)); }
    uint16_t ClearCode() const { return static_cast<uint16_t>(1u << MinCodeSize); }
    // The minimum code size byte, the packed codes in sub-blocks of at most
    // blockSize bytes, and (with terminator) the 0-length sub-block.
    std::vector<uint8_t> Data(size_t blockSize = 255, bool terminator = true) const;

private:
    int MinCodeSize;
    std::vector<std::pair<uint16_t, int>> Written;
    uint32_t Next;
    uint32_t Limit;
    int Width;
    bool AfterClear = true;
};

// Pixels as root codes only, with a clear code before the width would grow:
// plain LZW that any decoder reads, ending with the end code.
std::vector<uint8_t> PlainLzw(const std::vector<uint8_t>& pixels, int minCodeSize = 8);

// Data (minimum code size 8) that a few bytes per million pixels expand to
// exactly pixels indices, at least 7 370 880: code 0, then 258, 259, ...,
// 4095, each one longer than the one before (code k stands for k - 256
// zeros), then 4095 again and again with the table full, and one last code
// for the rest.
std::vector<uint8_t> ExpandingLzw(uint64_t pixels);

class GifWriter {
public:
    // Signature and version, logical screen, global colour table (colours
    // 0xRRGGBB; its size field is the smallest power of two that holds them).
    GifWriter& Header(uint16_t width, uint16_t height, const std::vector<uint32_t>& globalColors = {},
                      uint8_t background = 0, const std::string& signature = "GIF89a");
    GifWriter& GraphicControl(uint8_t disposal, uint16_t delay, int transparentIndex = -1);
    GifWriter& Loop(uint16_t count, const std::string& identifier = "NETSCAPE2.0");
    GifWriter& Comment(const std::string& text);
    // Descriptor, local table and the pixels (rows top down), plain LZW;
    // interlaced frames are stored in their four passes.
    GifWriter& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height, const std::vector<uint8_t>& pixels,
                     const std::vector<uint32_t>& localColors = {}, bool interlaced = false);
    // Descriptor (and local table) followed by the given data bytes as they
    // are (minimum code size and sub-blocks).
    GifWriter& ImageData(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                         const std::vector<uint8_t>& data, const std::vector<uint32_t>& localColors = {},
                         bool interlaced = false);
    GifWriter& Raw(const std::vector<uint8_t>& bytes);
    GifWriter& Trailer() { return Raw({0x3B}); }
    const std::vector<uint8_t>& Bytes() const { return Out; }

private:
    void ColorTable(const std::vector<uint32_t>& colors);
    static uint8_t SizeField(size_t count);
    void U16(uint16_t value);

    std::vector<uint8_t> Out;
};

}  // namespace testing_support
