// Writes the seed corpus of the fuzz targets: small files of every layout
// the readers accept, made by the tests' own writers.
//   make_fuzz_seeds DIRECTORY     writes DIRECTORY/bmp/...
#include "bmp_builder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using testing_support::BmpFields;
using testing_support::BuildBmp;

namespace {

void Save(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Pattern(size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(i * 37 + 11);
    return bytes;
}

std::vector<uint32_t> Palette(int entries)
{
    std::vector<uint32_t> colors;
    for (int i = 0; i < entries; ++i)
        colors.push_back(static_cast<uint32_t>(i * 0x010305));
    return colors;
}

void BmpSeeds(const std::filesystem::path& dir)
{
    std::filesystem::create_directories(dir);
    const int width = 5, height = 3;
    for (uint32_t headerSize : {12u, 40u, 52u, 56u, 108u, 124u}) {
        for (uint16_t bits : {uint16_t{1}, uint16_t{4}, uint16_t{8}, uint16_t{16}, uint16_t{24}, uint16_t{32}}) {
            BmpFields f;
            f.HeaderSize = headerSize;
            f.Width = width;
            f.Height = height;
            f.BitCount = bits;
            if (bits <= 8)
                f.Colors = Palette(1 << bits);
            const size_t stride = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
            f.Pixels = Pattern(stride * height);
            Save(dir / ("h" + std::to_string(headerSize) + "_" + std::to_string(bits) + "bit.bmp"), BuildBmp(f));
            if (headerSize != 12 && (bits == 16 || bits == 32)) {
                f.Compression = 3;
                f.SeparateMasks = headerSize == 40;
                if (bits == 16)
                    f.Masks[0] = 0xF800, f.Masks[1] = 0x07E0, f.Masks[2] = 0x001F;
                else
                    f.Masks[0] = 0x3FF00000, f.Masks[1] = 0x000FFC00, f.Masks[2] = 0x000003FF;
                Save(dir / ("h" + std::to_string(headerSize) + "_" + std::to_string(bits) + "bit_masks.bmp"),
                     BuildBmp(f));
            }
            if (headerSize == 40) {
                f.Compression = bits == 16 || bits == 32 ? 3 : 0;
                f.Height = -height;
                Save(dir / ("topdown_" + std::to_string(bits) + "bit.bmp"), BuildBmp(f));
            }
        }
    }
    BmpFields rle8;
    rle8.Width = 6;
    rle8.Height = 4;
    rle8.BitCount = 8;
    rle8.Compression = 1;
    rle8.Colors = Palette(4);
    rle8.Pixels = {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 2, 1, 1, 2, 2, 0, 0, 9, 3, 0, 1};
    Save(dir / "rle8.bmp", BuildBmp(rle8));
    BmpFields rle4 = rle8;
    rle4.BitCount = 4;
    rle4.Compression = 2;
    rle4.Pixels = {5, 0x12, 0, 0, 0, 5, 0x12, 0x30, 0x40, 0, 0, 2, 1, 0, 4, 0x33, 0, 1};
    Save(dir / "rle4.bmp", BuildBmp(rle4));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds DIRECTORY\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    BmpSeeds(root / "bmp");
    return 0;
}
