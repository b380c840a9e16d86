// Writes the seed corpus of the fuzz targets: small files of every layout
// the readers accept, made by the tests' own writers and, for JPEG, by our
// own encoder (and by the codec driven directly for the kinds of file the
// program never writes).
//   make_fuzz_seeds DIRECTORY     writes DIRECTORY/bmp/..., DIRECTORY/jpeg/... and DIRECTORY/mpo/...
#include "bmp_builder.h"
#include "icon_builder.h"
#include "jpeg_fixtures.h"
#include "mpo_builder.h"

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

uint32_t SeedPixel(int32_t x, int32_t y)
{
    return static_cast<uint32_t>(((x * 29 + y * 3) & 0xFF) << 16 | ((y * 17) & 0xFF) << 8 | ((x * y + 40) & 0xFF));
}

void JpegSeeds(const std::filesystem::path& dir)
{
    using testing_support::CodecFileFields;
    using testing_support::DeviceBitmap;
    using testing_support::EncodeJpeg;
    using testing_support::EncodeWithCodec;
    std::filesystem::create_directories(dir);

    // Our encoder: baseline at several qualities and odd sizes, gray,
    // progressive.
    struct Ours {
        const char* Name;
        int32_t Width, Height;
        int Quality;
        bool Gray, Progressive;
    };
    for (const Ours& o : {Ours{"baseline_q90_16x16", 16, 16, 90, false, false},
                          Ours{"baseline_q100_24x16", 24, 16, 100, false, false},
                          Ours{"baseline_q50_1x1", 1, 1, 50, false, false},
                          Ours{"baseline_q75_17x9", 17, 9, 75, false, false},
                          Ours{"baseline_q90_33x7", 33, 7, 90, false, false},
                          Ours{"gray_q90_20x13", 20, 13, 90, true, false},
                          Ours{"progressive_q80_40x24", 40, 24, 80, false, true},
                          Ours{"progressive_q90_23x17", 23, 17, 90, false, true},
                          Ours{"progressive_gray_q85_19x21", 19, 21, 85, true, true}}) {
        Save(dir / (std::string(o.Name) + ".jpg"),
             EncodeJpeg(*DeviceBitmap(o.Width, o.Height, SeedPixel), o.Quality, o.Gray, o.Progressive));
    }

    // The codec driven directly: restart intervals, arithmetic coding, other
    // samplings, four components, long segments.
    const auto rgb = [](int32_t x, int32_t y, uint8_t* s) {
        const uint32_t c = SeedPixel(x, y);
        s[0] = static_cast<uint8_t>(c >> 16);
        s[1] = static_cast<uint8_t>(c >> 8);
        s[2] = static_cast<uint8_t>(c);
    };
    const auto ink = [](int32_t x, int32_t y, uint8_t* s) {
        s[0] = static_cast<uint8_t>(x * 9);
        s[1] = static_cast<uint8_t>(y * 11);
        s[2] = static_cast<uint8_t>(x + y);
        s[3] = static_cast<uint8_t>(x * y);
    };
    struct Codec {
        const char* Name;
        CodecFileFields Fields;
    };
    std::vector<Codec> codecFiles;
    CodecFileFields f;
    f.Width = 27, f.Height = 19;
    f.RestartInterval = 1;
    codecFiles.push_back({"restart_every_mcu", f});
    f.RestartInterval = 3;
    f.Progressive = true;
    codecFiles.push_back({"restart_progressive", f});
    f = {};
    f.Width = 21, f.Height = 14;
    f.Arithmetic = true;
    codecFiles.push_back({"arithmetic", f});
    f.Progressive = true;
    codecFiles.push_back({"arithmetic_progressive", f});
    f = {};
    f.Width = 18, f.Height = 10;
    f.LumaSampling = 1;
    codecFiles.push_back({"sampling_444", f});
    f.LumaSampling = 2, f.LumaSamplingV = 1;
    codecFiles.push_back({"sampling_422", f});
    f = {};
    f.Width = 12, f.Height = 12;
    f.Markers = {{0xE0 + 2, std::vector<uint8_t>(300, 0x11)}, {0xFE, {'s', 'e', 'e', 'd'}}};
    codecFiles.push_back({"with_segments", f});
    for (const Codec& c : codecFiles)
        Save(dir / (std::string(c.Name) + ".jpg"), EncodeWithCodec(c.Fields, rgb));
    CodecFileFields four;
    four.Width = 14, four.Height = 9;
    four.Components = 4;
    four.FileColorSpace = JCS_CMYK;
    Save(dir / "cmyk_adobe.jpg", EncodeWithCodec(four, ink));
    four.AdobeMarker = false;
    Save(dir / "cmyk_plain.jpg", EncodeWithCodec(four, ink));
    four.AdobeMarker = true;
    four.FileColorSpace = JCS_YCCK;
    Save(dir / "ycck.jpg", EncodeWithCodec(four, ink));

    // A truncated file and one with bytes after its end.
    std::vector<uint8_t> file = EncodeJpeg(*DeviceBitmap(32, 32, SeedPixel), 90);
    Save(dir / "truncated.jpg", std::vector<uint8_t>(file.begin(), file.begin() + static_cast<long>(file.size() * 3 / 4)));
    file.insert(file.end(), {0x00, 0xFF, 0xD9, 't', 'a', 'i', 'l'});
    Save(dir / "trailing_bytes.jpg", file);
}

// MPO files of our own writer: both byte orders, three images, a Fujifilm
// parallax; a JPEG file with only the parallax.
void MpoSeeds(const std::filesystem::path& dir)
{
    using namespace testing_support;
    std::filesystem::create_directories(dir);
    const std::vector<uint8_t> a = EncodeJpeg(*DeviceBitmap(16, 8, SeedPixel), 80);
    const std::vector<uint8_t> b = EncodeJpeg(*DeviceBitmap(16, 8, [](int32_t x, int32_t y) { return SeedPixel(y, x); }), 80);
    MpoFields f;
    f.Images = {a, b};
    Save(dir / "two_big_endian.mpo", BuildMpo(f));
    f.BigEndian = false;
    f.Parallax = std::pair{-35, 10};
    Save(dir / "two_little_endian_parallax.mpo", BuildMpo(f));
    f.Images = {a, b, a};
    Save(dir / "three.mpo", BuildMpo(f));
    f.Images = {a};
    f.Parallax.reset();
    Save(dir / "one.mpo", BuildMpo(f));
    Save(dir / "parallax_only.jpg", WithSegment(a, 0xE1, FujifilmExif(12, 5)));
}

void IconSeeds(const std::filesystem::path& dir)
{
    using testing_support::BuildIconFile;
    using testing_support::DibIconImage;
    using testing_support::IconEntryFields;
    using testing_support::PngImage;
    std::filesystem::create_directories(dir);
    const auto image = [](int32_t size, bool indexed, bool alpha) {
        std::vector<uint32_t> pixels;
        std::vector<uint8_t> mask;
        for (int32_t y = 0; y < size; ++y)
            for (int32_t x = 0; x < size; ++x) {
                const uint32_t c = SeedPixel(x, y);
                pixels.push_back(indexed ? (x + y) % 16 : (alpha ? (uint32_t((x * 16) & 0xFF) << 24) | c : c));
                mask.push_back((x + y) % 3 == 0);
            }
        return DibIconImage(size, size, pixels, mask, indexed ? Palette(16) : std::vector<uint32_t>{});
    };
    IconEntryFields small{16, 16, 16, image(16, true, false)};
    IconEntryFields middle{32, 32, 0, image(32, false, false)};
    IconEntryFields alpha{8, 8, 0, image(8, false, true)};
    std::vector<uint32_t> pngPixels;
    for (int32_t i = 0; i < 12 * 12; ++i)
        pngPixels.push_back((uint32_t(i * 7) << 24) | SeedPixel(i % 12, i / 12));
    IconEntryFields png{12, 12, 0, PngImage(12, 12, pngPixels)};
    Save(dir / "three_sizes.ico", BuildIconFile({small, middle, alpha}));
    Save(dir / "four_bit.ico", BuildIconFile({small}));
    Save(dir / "alpha.ico", BuildIconFile({alpha}));
    Save(dir / "png.ico", BuildIconFile({png, small}));
    Save(dir / "cursor.cur", BuildIconFile({small}, 2));
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
    JpegSeeds(root / "jpeg");
    MpoSeeds(root / "mpo");
    IconSeeds(root / "icon");
    return 0;
}
