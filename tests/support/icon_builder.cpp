#include "icon_builder.h"

#include <png.h>

#include <cstring>
#include <stdexcept>

namespace testing_support {

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

void Pad32(std::vector<uint8_t>& row)
{
    while (row.size() % 4 != 0)
        row.push_back(0);
}

}  // namespace

std::vector<uint8_t> BuildIconFile(const std::vector<IconEntryFields>& entries, uint16_t type)
{
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, type);
    Put16(out, static_cast<uint16_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const IconEntryFields& e : entries) {
        out.push_back(e.WidthByte);
        out.push_back(e.HeightByte);
        Put16(out, e.ColorCount);
        Put16(out, 1);   // planes
        Put16(out, 32);  // bit count (not read)
        Put32(out, e.SizeField >= 0 ? static_cast<uint32_t>(e.SizeField) : static_cast<uint32_t>(e.Data.size()));
        Put32(out, e.OffsetField >= 0 ? static_cast<uint32_t>(e.OffsetField) : offset);
        offset += static_cast<uint32_t>(e.Data.size());
    }
    for (const IconEntryFields& e : entries)
        out.insert(out.end(), e.Data.begin(), e.Data.end());
    return out;
}

std::vector<uint8_t> DibIconImage(int32_t width, int32_t height, const std::vector<uint32_t>& pixels,
                                  const std::vector<uint8_t>& mask, const std::vector<uint32_t>& palette16)
{
    const bool indexed = !palette16.empty();
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height * 2));  // colour rows and mask rows
    Put16(out, 1);
    Put16(out, indexed ? 4 : 32);
    for (int k = 0; k < 6; ++k)
        Put32(out, 0);  // compression, image size, resolutions, colours used and important
    if (indexed) {
        for (int i = 0; i < 16; ++i)
            Put32(out, i < static_cast<int>(palette16.size()) ? palette16[static_cast<size_t>(i)] : 0);
    }
    // Rows bottom-up, padded to 32 bits.
    for (int32_t y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y * width + x)];
            if (indexed) {
                if (x % 2 == 0)
                    row.push_back(static_cast<uint8_t>(p << 4));
                else
                    row.back() |= static_cast<uint8_t>(p & 0xF);
            } else {
                Put32(row, p);
            }
        }
        Pad32(row);
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int32_t y = height - 1; y >= 0; --y) {
        std::vector<uint8_t> row((static_cast<size_t>(width) + 7) / 8, 0);
        for (int32_t x = 0; x < width; ++x)
            if (mask[static_cast<size_t>(y * width + x)] != 0)
                row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
        Pad32(row);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> PngImage(int32_t width, int32_t height, const std::vector<uint32_t>& pixels)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr) == 0)
        throw std::runtime_error("PNG size");
    std::vector<uint8_t> out(size);
    if (png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr) == 0)
        throw std::runtime_error("PNG write");
    out.resize(size);
    return out;
}

}  // namespace testing_support
