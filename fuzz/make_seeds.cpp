// Writes the seed corpus of the fuzz targets: small files of every layout
// the readers accept, made by the tests' own writers and, for JPEG, by our
// own encoder (and by the codec driven directly for the kinds of file the
// program never writes).
//   make_fuzz_seeds DIRECTORY     writes DIRECTORY/bmp/..., jpeg/..., mpo/... and the GIF targets' folders
#include "bmp_builder.h"
#include "core/streams.h"
#include "formats/gif/gif_image.h"
#include "gif_builder.h"
#include "icon_builder.h"
#include "metafile_builder.h"
#include "jpeg_fixtures.h"
#include "mpo_builder.h"

#include <cstdio>
#include <cstring>
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

// GIF files of every kind the reader meets, the same seeds for the three GIF
// targets.
void GifSeeds(const std::vector<std::filesystem::path>& dirs)
{
    using testing_support::GifWriter;
    using testing_support::LzwCodes;
    const std::vector<uint32_t> colors = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x808080};
    std::vector<uint8_t> pattern(48);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<uint8_t>((i * 7 + i / 8) % 6);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> seeds;

    seeds.emplace_back("one_frame.gif", GifWriter().Header(8, 6, colors).Image(0, 0, 8, 6, pattern).Trailer().Bytes());
    seeds.emplace_back("transparent_interlaced.gif",
                       GifWriter().Header(8, 6, colors).GraphicControl(0, 0, 2).Image(0, 0, 8, 6, pattern, {}, true).Bytes());
    GifWriter animated;
    animated.Header(8, 6, colors, 5).Loop(0);
    for (uint8_t disposal = 0; disposal < 4; ++disposal)
        animated.GraphicControl(disposal, static_cast<uint16_t>(disposal * 3), disposal % 2 == 0 ? 1 : -1)
            .Image(disposal, 1, 5, 4, std::vector<uint8_t>(pattern.begin(), pattern.begin() + 20));
    seeds.emplace_back("animated.gif", animated.Trailer().Bytes());
    seeds.emplace_back("local_tables.gif", GifWriter()
                                               .Header(6, 4)
                                               .Loop(2, "ANIMEXTS1.0")
                                               .Image(0, 0, 3, 2, {0, 1, 2, 3, 0, 1}, {0x102030, 0x405060, 0xA0B0C0})
                                               .Image(2, 1, 4, 3, std::vector<uint8_t>(12, 1), {0xFF00FF, 0x00FFFF})
                                               .Trailer()
                                               .Bytes());
    seeds.emplace_back("extensions.gif",
                       GifWriter()
                           .Header(4, 4, colors)
                           .Comment("seed")
                           .Raw({0x21, 0x01, 12, 0, 0, 0, 0, 4, 0, 4, 0, 1, 1, 1, 0, 2, 'h', 'i', 0})
                           .Raw({0x21, 0xFF, 11, 'X', 'M', 'P', ' ', 'D', 'a', 't', 'a', 'X', 'M', 'P', 2, 7, 7, 0})
                           .Image(0, 0, 0, 0, std::vector<uint8_t>(16, 4))
                           .Comment("end")
                           .Bytes());
    seeds.emplace_back("beyond_screen.gif",
                       GifWriter().Header(4, 3, colors).Image(2, 1, 6, 4, std::vector<uint8_t>(24, 3)).Image(5, 5, 1, 1, {1}).Bytes());
    seeds.emplace_back("clear_codes.gif",
                       GifWriter()
                           .Header(4, 2, colors)
                           .ImageData(0, 0, 4, 2, LzwCodes(3).Codes({1, 8, 8, 2, 10, 11, 8, 3, 12}).End().Data(2))
                           .Bytes());
    std::vector<uint8_t> cut = GifWriter().Header(8, 6, colors).Image(0, 0, 8, 6, pattern).Bytes();
    cut.resize(cut.size() - 12);
    seeds.emplace_back("truncated.gif", cut);
    // Real LZW compression (long strings, growing code widths), by our own
    // encoder: a larger picture read and written again.
    std::vector<uint8_t> big(40 * 30);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>((i / 7 + (i % 40) / 5) % 6);
    const std::vector<uint8_t> plain = GifWriter().Header(40, 30, colors).Image(0, 0, 40, 30, big).Bytes();
    tremalu::TGIFImage gif;
    tremalu::TReadOnlyMemoryStream in(plain.data(), plain.size());
    gif.ReadFromStream(in);
    tremalu::TMemoryStream out;
    gif.WriteToStream(out);
    seeds.emplace_back("compressed.gif", std::vector<uint8_t>(out.Memory(), out.Memory() + out.ByteCount()));

    for (const std::filesystem::path& dir : dirs) {
        std::filesystem::create_directories(dir);
        for (const auto& [name, bytes] : seeds)
            Save(dir / name, bytes);
    }
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

uint32_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void EmfSeeds(const std::filesystem::path& dir)
{
    using testing_support::EmfWriter;
    std::filesystem::create_directories(dir);
    const auto start = [] { return EmfWriter({0, 0, 1270, 1270}, 480, 480, 127, 127, 16); };
    Save(dir / "shapes.emf", start()
                                 .CreatePen(1, 0x10000 | 0x2000, 3, 0x0000FF)
                                 .CreateBrush(2, 0, 0x00FF00)
                                 .Select(1)
                                 .Select(2)
                                 .Rectangle(2, 2, 20, 20)
                                 .Ellipse(10, 10, 40, 30)
                                 .Record(44, {20, 20, 45, 45, 8, 8})               // round rectangle
                                 .Record(45, {0, 0, 40, 40, 40, 20, 20, 0})        // arc
                                 .Record(46, {5, 5, 35, 35, 35, 20, 5, 20})        // chord
                                 .Record(47, {5, 5, 35, 35, 20, 5, 35, 20})        // pie
                                 .Polygon16({{1, 1}, {40, 5}, {20, 40}})
                                 .Record(27, {3, 3})                               // move to
                                 .Record(54, {44, 30})                             // line to
                                 .Finish());
    Save(dir / "text.emf", start()
                               .CreateFont(1, -12, 700, u"Liberation Serif")
                               .Select(1)
                               .Record(22, {24})                        // baseline alignment
                               .Record(24, {0x0000FF})                  // text colour
                               .TextOut(5, 20, u"Fuzz", {6, 6, 6, 6})
                               .Record(18, {2})
                               .TextOut(5, 40, u"\u00e9t\u00e9")
                               .Finish());
    Save(dir / "bitmap.emf", start()
                                 .StretchDIBits(0, 0, 30, 20, 3, 2, {0xFF0000, 0x00FF00, 0x0000FF, 1, 2, 3})
                                 .Finish());
    Save(dir / "clip_paths.emf", start()
                                     .Record(33, {})
                                     .Record(30, {5, 5, 40, 40})
                                     .Record(29, {10, 10, 20, 20})
                                     .Record(59, {})  // begin path
                                     .Ellipse(0, 0, 30, 30)
                                     .Record(60, {})  // end path
                                     .Record(67, {1}) // clip to it
                                     .CreateBrush(1, 2, 0xFF0000, 5)
                                     .Select(1)
                                     .Rectangle(0, 0, 48, 48)
                                     .Record(34, {0xFFFFFFFF})
                                     .Record(59, {})
                                     .Polygon16({{0, 40}, {20, 48}, {40, 40}})
                                     .Record(60, {})
                                     .Record(63, {0, 0, 0, 0})  // stroke and fill
                                     .Finish());
    Save(dir / "mapping.emf", start()
                                  .Record(17, {8})
                                  .Record(9, {1000, 1000})
                                  .Record(11, {48, 48})
                                  .Record(10, {uint32_t(-100), uint32_t(-100)})
                                  .Record(35, {FloatBits(0.9f), FloatBits(0.3f), FloatBits(-0.3f), FloatBits(0.9f), 0, 0})
                                  .Record(20, {7})  // exclusive-or pen
                                  .Rectangle(0, 0, 600, 600)
                                  .Record(36, {FloatBits(1), 0, 0, FloatBits(1), 0, 0, 1})
                                  .Record(17, {2})  // tenths of a millimetre
                                  .Ellipse(0, 0, 100, -100)
                                  .Finish());
}

void WmfSeeds(const std::filesystem::path& dir)
{
    using testing_support::WmfWriter;
    using testing_support::Words32;
    std::filesystem::create_directories(dir);
    const auto start = [] {
        WmfWriter w(0, 0, 480, 480, 1440);
        w.Record(0x020B, {0, 0}).Record(0x020C, {480, 480});
        return w;
    };
    Save(dir / "shapes.wmf", start()
                                 .Record(0x02FA, {0, 3, 0, 0x00FF, 0})  // pen
                                 .Record(0x02FC, {0, 0xFF00, 0, 0})     // brush
                                 .Record(0x012D, {0})
                                 .Record(0x012D, {1})
                                 .Record(0x041B, {200, 200, 10, 10})
                                 .Record(0x0418, {400, 300, 100, 50})
                                 .Record(0x061C, {40, 40, 460, 460, 250, 250})
                                 .Record(0x0817, {0, 240, 240, 480, 480, 480, 0, 0})
                                 .Record(0x0324, {3, 10, 10, 300, 40, 100, 400})
                                 .Record(0x0538, {2, 3, 3, 0, 0, 50, 0, 0, 50, 100, 100, 150, 100, 100, 150})
                                 .Record(0x0214, {5, 5})
                                 .Record(0x0213, {470, 470})
                                 .Record(0x01F0, {0})
                                 .Finish());
    Save(dir / "text.wmf", start()
                               .Record(0x02FB, {uint16_t(-40), 0, 0, 0, 400, 0, 0, 0, 0, 'A' | ('r' << 8),
                                                'i' | ('a' << 8), 'l', 0})
                               .Record(0x012D, {0})
                               .Record(0x0209, Words32(0xFF0000))
                               .Record(0x0521, {5, 'H' | ('e' << 8), 'l' | ('l' << 8), 'o', 100, 20})
                               .Record(0x0A32, {200, 20, 3, 0, 'a' | ('b' << 8), 'c', 30, 30, 30})
                               .Finish());
    std::vector<uint16_t> dib = {40, 0, 2, 0, 2, 0, 1, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0xFF00, 0x00FF, 0xFF00, 0, 0xFF00, 0xFF00, 0x00FF, 0};
    std::vector<uint16_t> stretch = {0x0020, 0x00CC, 0, 2, 2, 0, 0, 200, 200, 10, 10};
    stretch.insert(stretch.end(), dib.begin(), dib.end());
    Save(dir / "bitmap.wmf", start()
                                 .Record(0x0F43, stretch)
                                 .Record(0x061D, {0x0021, 0x00F0, 50, 50, 300, 300})  // pattern fill
                                 .Finish());
    Save(dir / "clip.wmf", start()
                               .Record(0x001E, {})
                               .Record(0x0416, {300, 300, 100, 100})
                               .Record(0x0415, {200, 200, 150, 150})
                               .Record(0x02FC, {2, 0x00FF, 0, 3})  // hatched brush
                               .Record(0x012D, {0})
                               .Record(0x041B, {480, 480, 0, 0})
                               .Record(0x0127, {uint16_t(-1)})
                               .Record(0x0104, {7})  // exclusive-or pen
                               .Record(0x0418, {480, 480, 0, 0})
                               .Finish());
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
    GifSeeds({root / "gif", root / "gif_painter", root / "gif_threaded"});
    IconSeeds(root / "icon");
    EmfSeeds(root / "emf");
    WmfSeeds(root / "wmf");
    return 0;
}
