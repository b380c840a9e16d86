#include "gif_builder.h"

#include <stdexcept>

namespace testing_support {

LzwCodes::LzwCodes(int minCodeSize)
    : MinCodeSize(minCodeSize), Next((1u << minCodeSize) + 2), Limit(2u << minCodeSize), Width(minCodeSize + 1)
{
}

LzwCodes& LzwCodes::Code(uint16_t code)
{
    Written.emplace_back(code, Width);
    const uint32_t clear = 1u << MinCodeSize;
    if (code == clear) {
        Next = clear + 2;
        Limit = 2 * clear;
        Width = MinCodeSize + 1;
        AfterClear = true;
    } else if (code == clear + 1) {
        // the end code changes nothing
    } else if (AfterClear) {
        AfterClear = false;
    } else if (Next <= 4095) {
        ++Next;
        if (Next >= Limit && Limit <= 4095) {
            Limit *= 2;
            ++Width;
        }
    }
    return *this;
}

LzwCodes& LzwCodes::Codes(const std::vector<uint16_t>& codes)
{
    for (uint16_t c : codes)
        Code(c);
    return *this;
}

std::vector<uint8_t> LzwCodes::Data(size_t blockSize, bool terminator) const
{
    std::vector<uint8_t> packed;
    uint32_t bits = 0;
    int count = 0;
    for (const auto& [code, width] : Written) {
        bits |= uint32_t{code} << count;
        count += width;
        while (count >= 8) {
            packed.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0)
        packed.push_back(static_cast<uint8_t>(bits));
    std::vector<uint8_t> data{static_cast<uint8_t>(MinCodeSize)};
    for (size_t at = 0; at < packed.size(); at += blockSize) {
        const size_t n = std::min(blockSize, packed.size() - at);
        data.push_back(static_cast<uint8_t>(n));
        data.insert(data.end(), packed.begin() + static_cast<long>(at), packed.begin() + static_cast<long>(at + n));
    }
    if (terminator)
        data.push_back(0);
    return data;
}

std::vector<uint8_t> PlainLzw(const std::vector<uint8_t>& pixels, int minCodeSize)
{
    LzwCodes codes(minCodeSize);
    // After a clear, the first code adds no entry and each later one adds
    // one; the width grows once clear - 2 entries are added.
    const size_t perClear = (size_t{1} << minCodeSize) - 1;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % perClear == 0)
            codes.Clear();
        codes.Code(pixels[i]);
    }
    codes.End();
    return codes.Data();
}

std::vector<uint8_t> ExpandingLzw(uint64_t pixels)
{
    LzwCodes codes(8);
    codes.Clear().Code(0);
    uint64_t made = 1;
    for (uint16_t code = 258; code <= 4095; ++code) {
        codes.Code(code);
        made += code - 256u;
    }
    if (pixels < made)
        throw std::invalid_argument("ExpandingLzw: fewer pixels than its opening gives");
    const uint64_t longest = 4095 - 256;
    for (; pixels - made >= longest; made += longest)
        codes.Code(4095);
    const uint64_t rest = pixels - made;
    if (rest == 1)
        codes.Code(0);
    else if (rest > 1)
        codes.Code(static_cast<uint16_t>(256 + rest));
    return codes.End().Data();
}

uint8_t GifWriter::SizeField(size_t count)
{
    uint8_t size = 0;
    while ((size_t{2} << size) < count)
        ++size;
    return size;
}

void GifWriter::U16(uint16_t value)
{
    Out.push_back(static_cast<uint8_t>(value));
    Out.push_back(static_cast<uint8_t>(value >> 8));
}

void GifWriter::ColorTable(const std::vector<uint32_t>& colors)
{
    const size_t entries = size_t{2} << SizeField(colors.size());
    for (size_t i = 0; i < entries; ++i) {
        const uint32_t c = i < colors.size() ? colors[i] : 0;
        Out.push_back(static_cast<uint8_t>(c >> 16));
        Out.push_back(static_cast<uint8_t>(c >> 8));
        Out.push_back(static_cast<uint8_t>(c));
    }
}

GifWriter& GifWriter::Header(uint16_t width, uint16_t height, const std::vector<uint32_t>& globalColors,
                             uint8_t background, const std::string& signature)
{
    Out.insert(Out.end(), signature.begin(), signature.end());
    U16(width);
    U16(height);
    Out.push_back(globalColors.empty() ? 0x70 : static_cast<uint8_t>(0xF0 | SizeField(globalColors.size())));
    Out.push_back(background);
    Out.push_back(0);  // aspect
    if (!globalColors.empty())
        ColorTable(globalColors);
    return *this;
}

GifWriter& GifWriter::GraphicControl(uint8_t disposal, uint16_t delay, int transparentIndex)
{
    Out.insert(Out.end(), {0x21, 0xF9, 4});
    Out.push_back(static_cast<uint8_t>((disposal << 2) | (transparentIndex >= 0 ? 1 : 0)));
    U16(delay);
    Out.push_back(static_cast<uint8_t>(transparentIndex >= 0 ? transparentIndex : 0));
    Out.push_back(0);
    return *this;
}

GifWriter& GifWriter::Loop(uint16_t count, const std::string& identifier)
{
    Out.insert(Out.end(), {0x21, 0xFF, 11});
    Out.insert(Out.end(), identifier.begin(), identifier.end());
    Out.insert(Out.end(), {3, 1});
    U16(count);
    Out.push_back(0);
    return *this;
}

GifWriter& GifWriter::Comment(const std::string& text)
{
    Out.insert(Out.end(), {0x21, 0xFE});
    Out.push_back(static_cast<uint8_t>(text.size()));
    Out.insert(Out.end(), text.begin(), text.end());
    Out.push_back(0);
    return *this;
}

GifWriter& GifWriter::ImageData(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                                const std::vector<uint8_t>& data, const std::vector<uint32_t>& localColors,
                                bool interlaced)
{
    Out.push_back(0x2C);
    U16(left);
    U16(top);
    U16(width);
    U16(height);
    uint8_t packed = interlaced ? 0x40 : 0;
    if (!localColors.empty())
        packed = static_cast<uint8_t>(packed | 0x80 | SizeField(localColors.size()));
    Out.push_back(packed);
    if (!localColors.empty())
        ColorTable(localColors);
    Out.insert(Out.end(), data.begin(), data.end());
    return *this;
}

GifWriter& GifWriter::Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                            const std::vector<uint8_t>& pixels, const std::vector<uint32_t>& localColors,
                            bool interlaced)
{
    std::vector<uint8_t> stored;
    if (!interlaced) {
        stored = pixels;
    } else {
        for (const auto& [first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
            for (int y = first; y < height; y += step)
                stored.insert(stored.end(), pixels.begin() + y * width, pixels.begin() + (y + 1) * width);
    }
    return ImageData(left, top, width, height, PlainLzw(stored), localColors, interlaced);
}

GifWriter& GifWriter::Raw(const std::vector<uint8_t>& bytes)
{
    Out.insert(Out.end(), bytes.begin(), bytes.end());
    return *this;
}

}  // namespace testing_support
