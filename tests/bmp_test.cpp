// The BMP reader and writer, checked against files laid out field by field
// by the tests' own builder.
#include "raster/bitmap.h"
#include "bmp_builder.h"
#include "core/errors.h"
#include "core/streams.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace tremalu;
using testing_support::BmpFields;
using testing_support::BuildBmp;
using testing_support::Rows24;

namespace {

std::unique_ptr<TBitmap> Read(const std::vector<uint8_t>& file)
{
    auto b = std::make_unique<TBitmap>();
    TReadOnlyMemoryStream s(file.data(), file.size());
    b->ReadFromStream(s);
    return b;
}

std::vector<uint8_t> Write(TBitmap& b)
{
    TMemoryStream s;
    b.WriteToStream(s);
    return {s.Memory(), s.Memory() + s.Size()};
}

uint32_t U32At(const std::vector<uint8_t>& f, size_t at)
{
    uint32_t v;
    std::memcpy(&v, f.data() + at, 4);
    return v;
}

// The colour a pixel shows, as 0x00RRGGBB.
uint32_t Shown(const TBitmap& b, int32_t x, int32_t y) { return b.PeekPixels()->PixelAt(x, y); }

}  // namespace

TEST(BmpRead, TwentyFourBitFileRoundTripsToTheSameBytes)
{
    BmpFields f;
    f.Width = 25;
    f.Height = 25;
    f.XPelsPerMeter = 2835;
    f.YPelsPerMeter = 2835;
    std::vector<std::vector<uint32_t>> rows(25, std::vector<uint32_t>(25));
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x)
            rows[y][x] = static_cast<uint32_t>((x * 10) << 16 | (y * 10) << 8 | (x + y));
    f.Pixels = Rows24(25, rows);
    const std::vector<uint8_t> file = BuildBmp(f);
    ASSERT_EQ(file.size(), 1954u);
    auto b = Read(file);
    EXPECT_EQ(b->PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(b->PixelWidth(), 25);
    EXPECT_EQ(Shown(*b, 3, 7), rows[7][3]);
    EXPECT_EQ(Write(*b), file);
}

TEST(BmpRead, FourBitFileHasItsSixteenColours)
{
    BmpFields f;
    f.Width = 32;
    f.Height = 32;
    f.BitCount = 4;
    for (uint32_t c = 0; c < 16; ++c)
        f.Colors.push_back(c * 0x111111);
    f.Pixels.assign(512, 0x12);  // every row: colours 1, 2, 1, 2, ...
    const std::vector<uint8_t> file = BuildBmp(f);
    EXPECT_EQ(U32At(file, 10), 118u);
    auto b = Read(file);
    EXPECT_EQ(b->PixelFormat(), TPixelFormat::pf4bit);
    EXPECT_EQ(Shown(*b, 0, 0), 0x111111u);
    EXPECT_EQ(Shown(*b, 1, 31), 0x222222u);
    EXPECT_EQ(Write(*b), file);
}

TEST(BmpRead, SixteenBitWithoutMasksIs555)
{
    BmpFields f;
    f.Width = 520;
    f.Height = 200;
    f.BitCount = 16;
    f.Pixels.assign(208000, 0);
    f.Pixels[0] = 0x1F;  // bottom-left pixel: blue at full scale
    f.Pixels[1] = 0x7C;  // and red at full scale (bits 10-14)
    auto b = Read(BuildBmp(f));
    EXPECT_EQ(b->PixelFormat(), TPixelFormat::pf15bit);
    EXPECT_EQ(Shown(*b, 0, 199), 0xFF00FFu);
    EXPECT_EQ(Shown(*b, 1, 199), 0u);
}

TEST(BmpRead, SixteenBitWithStandardMasksIs565AndKeepsItsMasks)
{
    BmpFields f;
    f.Width = 2;
    f.Height = 1;
    f.BitCount = 16;
    f.Compression = BI_BITFIELDS;
    f.SeparateMasks = true;
    f.Masks[0] = 0xF800, f.Masks[1] = 0x07E0, f.Masks[2] = 0x001F;
    f.Pixels = {0xE0, 0x07, 0x00, 0xF8};  // pure green, pure red
    const std::vector<uint8_t> file = BuildBmp(f);
    auto b = Read(file);
    EXPECT_EQ(b->PixelFormat(), TPixelFormat::pf16bit);
    EXPECT_EQ(Shown(*b, 0, 0), 0x00FF00u);
    EXPECT_EQ(Shown(*b, 1, 0), 0xFF0000u);
    const std::vector<uint8_t> written = Write(*b);
    EXPECT_EQ(U32At(written, 10), 14u + 40 + 12);
    EXPECT_EQ(U32At(written, 54), 0xF800u);
    EXPECT_EQ(U32At(written, 58), 0x07E0u);
    EXPECT_EQ(U32At(written, 62), 0x001Fu);
    EXPECT_EQ(written, file);
}

struct MaskCase {
    const char* Name;
    uint32_t HeaderSize;
    uint16_t Bits;
    uint32_t Masks[4];
    uint32_t Pixel;     // raw pixel value
    uint32_t Expected;  // 0x00RRGGBB shown
};

class BmpMasks : public ::testing::TestWithParam<MaskCase> {};

TEST_P(BmpMasks, ChannelsAreShiftedDownAndScaledToEightBits)
{
    const MaskCase& c = GetParam();
    BmpFields f;
    f.HeaderSize = c.HeaderSize;
    f.Width = 1;
    f.Height = 1;
    f.BitCount = c.Bits;
    f.Compression = BI_BITFIELDS;
    f.SeparateMasks = c.HeaderSize == 40;
    std::copy(c.Masks, c.Masks + 4, f.Masks);
    for (int i = 0; i < 4; ++i)
        f.Pixels.push_back(static_cast<uint8_t>(c.Pixel >> (8 * i)));
    auto b = Read(BuildBmp(f));
    EXPECT_EQ(Shown(*b, 0, 0), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, BmpMasks,
    ::testing::Values(
        MaskCase{"TenBitChannels", 40, 32, {0x3FF00000, 0x000FFC00, 0x000003FF, 0}, 0x3FF00000 | 0x000003FF, 0xFF00FF},
        MaskCase{"FourBitChannels", 40, 16, {0x0F00, 0x00F0, 0x000F, 0}, 0x0F08, 0xFF0088},
        MaskCase{"ZeroStaysZero", 40, 16, {0x0F00, 0x00F0, 0x000F, 0}, 0x0000, 0x000000},
        MaskCase{"MasksInsideA52ByteHeader", 52, 32, {0x000000FF, 0x0000FF00, 0x00FF0000, 0}, 0x00332211, 0x112233},
        MaskCase{"AlphaOfA56ByteHeaderIgnored", 56, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
                 0x80102030, 0x102030},
        MaskCase{"MasksInsideAVersion4Header", 108, 16, {0x7C00, 0x03E0, 0x001F, 0}, 0x7C00, 0xFF0000},
        MaskCase{"MasksInsideAVersion5Header", 124, 32, {0xFF000000, 0x00FF0000, 0x0000FF00, 0}, 0xAABBCC00, 0xAABBCC}),
    [](const ::testing::TestParamInfo<MaskCase>& info) { return std::string(info.param.Name); });

TEST(BmpRead, TopDownFileLoadsFirstRowAtTheTopAndWritesBackTopDown)
{
    BmpFields f;
    f.Width = 1;
    f.Height = -2;
    f.Pixels = {0xFF, 0, 0, 0, 0, 0, 0xFF, 0};  // stored first: blue, then red
    const std::vector<uint8_t> file = BuildBmp(f);
    auto b = Read(file);
    EXPECT_EQ(Shown(*b, 0, 0), 0x0000FFu);
    EXPECT_EQ(Shown(*b, 0, 1), 0xFF0000u);
    const std::vector<uint8_t> written = Write(*b);
    EXPECT_EQ(static_cast<int32_t>(U32At(written, 22)), -2);
    EXPECT_EQ(written, file);
}

TEST(BmpRead, HeaderFieldsForSizeAndOffsetAreNotUsed)
{
    BmpFields f;
    f.Width = 1;
    f.Height = 1;
    f.Pixels = {1, 2, 3, 0};
    f.FileSizeField = 9999;
    f.OffsetField = 3;
    auto b = Read(BuildBmp(f));
    EXPECT_EQ(Shown(*b, 0, 0), 0x030201u);
}

TEST(BmpRead, GapBeforeThePixelsShiftsThem)
{
    BmpFields f;
    f.Width = 2;
    f.Height = 1;
    f.Gap = 3;
    f.Pixels = {10, 20, 30, 40, 50, 60, 0, 0};
    f.SizeImage = 8;
    auto b = Read(BuildBmp(f));
    // The three zero bytes of the gap are read as the first pixel.
    EXPECT_EQ(Shown(*b, 0, 0), 0u);
    EXPECT_EQ(Shown(*b, 1, 0), 0x1E140Au);
}

TEST(BmpRead, FileCutInsideItsPixelsLoadsWithTheMissingRowsZero)
{
    BmpFields f;
    f.Width = 2;
    f.Height = 4;
    std::vector<std::vector<uint32_t>> rows(4, std::vector<uint32_t>(2, 0xABCDEF));
    f.Pixels = Rows24(2, rows);
    std::vector<uint8_t> file = BuildBmp(f);
    file.resize(file.size() - 16);  // the top two rows of a bottom-up file
    auto b = Read(file);
    EXPECT_EQ(Shown(*b, 1, 0), 0u);
    EXPECT_EQ(Shown(*b, 1, 1), 0u);
    EXPECT_EQ(Shown(*b, 1, 2), 0xABCDEFu);
    EXPECT_EQ(Shown(*b, 0, 3), 0xABCDEFu);
}

TEST(BmpRead, EmptyStreamGivesAnEmptyBitmap)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelWidth(3);
    b->SetPixelHeight(3);
    TMemoryStream empty;
    b->ReadFromStream(empty);
    EXPECT_TRUE(b->IsEmpty());
    EXPECT_EQ(b->PixelWidth(), 0);
    EXPECT_TRUE(Write(*b).empty());
}

TEST(BmpRead, Os2FilesKeepTheirLayout)
{
    for (uint16_t bits : {uint16_t{8}, uint16_t{4}, uint16_t{1}}) {
        BmpFields f;
        f.HeaderSize = 12;
        f.Width = 3;
        f.Height = 2;
        f.BitCount = bits;
        for (uint32_t c = 0; c < (1u << bits); ++c)
            f.Colors.push_back(c * 0x010203);
        f.Pixels.assign(8, bits == 8 ? 1 : (bits == 4 ? 0x11 : 0x40));
        const std::vector<uint8_t> file = BuildBmp(f);
        auto b = Read(file);
        EXPECT_TRUE(b->Image().OS2Format);
        EXPECT_EQ(Shown(*b, bits == 1 ? 1 : 0, 0), 0x010203u) << bits;
        EXPECT_EQ(Write(*b), file) << bits;
    }
}

TEST(BmpRead, Os2LayoutSurvivesAChange)
{
    BmpFields f;
    f.HeaderSize = 12;
    f.Width = 2;
    f.Height = 2;
    f.BitCount = 24;
    f.Pixels.assign(16, 0x40);
    auto b = Read(BuildBmp(f));
    b->Surface().Brush().SetColor(clRed);
    b->Surface().FillRectangle({0, 0, 1, 1});
    const std::vector<uint8_t> written = Write(*b);
    EXPECT_EQ(U32At(written, 14), 12u);
    EXPECT_EQ(written.size(), 14u + 12 + 16);
}

TEST(BmpDraw, OneBitFileShowsItsOwnColoursAndAMonochromeDeviceBitmapTheSurfaceColours)
{
    BmpFields f;
    f.Width = 2;
    f.Height = 1;
    f.BitCount = 1;
    f.Colors = {0x0000FF, 0xFFFF00};  // blue, yellow
    f.Pixels = {0x40, 0, 0, 0};       // pixel 0: entry 0, pixel 1: entry 1
    auto b = Read(BuildBmp(f));
    TBitmap target;
    target.SetPixelWidth(2);
    target.SetPixelHeight(1);
    target.Surface().DrawAt(0, 0, b.get());
    EXPECT_EQ(Shown(target, 0, 0), 0x0000FFu);
    EXPECT_EQ(Shown(target, 1, 0), 0xFFFF00u);

    TBitmap mono;
    mono.AdoptHandle(TPixelBuffer::MakeMonochrome(2, 1), true);  // all 0 bits
    target.Surface().Font().SetColor(clRed);
    target.Surface().DrawAt(0, 0, &mono);
    EXPECT_EQ(Shown(target, 0, 0), 0xFF0000u);
}

namespace {

// An 8-bit file of 4 × 2 pixels whose run data fills the bottom row with
// colour 1 and the top row partly with colour 2.
std::vector<uint8_t> Rle8File(std::vector<uint8_t> runs)
{
    BmpFields f;
    f.Width = 4;
    f.Height = 2;
    f.BitCount = 8;
    f.Compression = BI_RLE8;
    f.Colors = {0x0000FF, 0xFF0000, 0x00FF00};
    f.Pixels = std::move(runs);
    return BuildBmp(f);
}

}  // namespace

TEST(BmpRle, Rle8DecodesToADeviceBitmapWithUnsetPixelsFromEntryZero)
{
    // 4 × colour 1, end of line, 2 × colour 2, end of bitmap.
    auto b = Read(Rle8File({4, 1, 0, 0, 2, 2, 0, 1}));
    EXPECT_EQ(b->PixelFormat(), TPixelFormat::pfDevice);
    EXPECT_EQ(Shown(*b, 3, 1), 0xFF0000u);
    EXPECT_EQ(Shown(*b, 1, 0), 0x00FF00u);
    EXPECT_EQ(Shown(*b, 2, 0), 0x0000FFu);  // never set: colour-table entry 0
    EXPECT_NE(b->Palette(), nullptr);
}

TEST(BmpRle, AbsoluteRunsDeltasAndClipping)
{
    // Absolute run of 3 (padded to 4 bytes), delta (1, 1), a run of 9 that
    // passes the end of the row, then data ending without an end marker.
    auto b = Read(Rle8File({0, 3, 2, 1, 2, 0, 0, 2, 0, 1, 9, 1}));
    EXPECT_EQ(Shown(*b, 0, 1), 0x00FF00u);
    EXPECT_EQ(Shown(*b, 1, 1), 0xFF0000u);
    EXPECT_EQ(Shown(*b, 2, 1), 0x00FF00u);
    EXPECT_EQ(Shown(*b, 3, 1), 0x0000FFu);
    EXPECT_EQ(Shown(*b, 2, 0), 0x0000FFu);
    EXPECT_EQ(Shown(*b, 3, 0), 0xFF0000u);
}

TEST(BmpRle, RunsPastThePictureAreIgnored)
{
    auto b = Read(Rle8File({0, 0, 0, 0, 0, 0, 4, 1, 0, 2, 200, 200, 4, 2}));
    EXPECT_EQ(Shown(*b, 0, 0), 0x0000FFu);
}

TEST(BmpRle, Rle4UsesBothNibblesAlternately)
{
    BmpFields f;
    f.Width = 5;
    f.Height = 1;
    f.BitCount = 4;
    f.Compression = BI_RLE4;
    f.Colors = {0x000000, 0x111111, 0x222222, 0x333333};
    f.Pixels = {3, 0x12, 0, 3, 0x30, 0x00, 0, 1};  // 1 2 1, then absolute 3 0 (padded)
    auto b = Read(BuildBmp(f));
    const uint32_t expected[5] = {0x111111, 0x222222, 0x111111, 0x333333, 0x000000};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(Shown(*b, x, 0), expected[x]) << x;
}

TEST(BmpRle, UnchangedFileIsWrittenBackAsItWasThenAs32BitAfterAChange)
{
    const std::vector<uint8_t> file = Rle8File({4, 1, 0, 0, 2, 2, 0, 1});
    auto b = Read(file);
    std::vector<uint8_t> written = Write(*b);
    EXPECT_EQ(written, file);

    TBitmap copy;
    copy.CopyFrom(b.get());
    copy.Surface().Brush().SetColor(clWhite);
    copy.Surface().FillRectangle({0, 0, 1, 1});
    written = Write(copy);
    // 32 bits per pixel, uncompressed, with the palette the runs were
    // decoded through as its colour table.
    EXPECT_EQ(written.size(), 54u + 3 * 4 + 4 * 4 * 2);
    EXPECT_EQ(written[28], 32);
    EXPECT_EQ(U32At(written, 30), BI_RGB);
    EXPECT_EQ(U32At(written, 46), 3u);
    // The original still holds its kept copy.
    EXPECT_EQ(Write(*b), file);
}

TEST(BmpWrite, AnaglyphSizedDeviceBitmapIsA32BitFile)
{
    TBitmap b;
    b.SetPixelWidth(400);
    b.SetPixelHeight(300);
    b.Surface().Brush().SetColor(RGB(10, 20, 30));
    b.Surface().FillRectangle({0, 0, 400, 1});  // the top row
    const std::vector<uint8_t> file = Write(b);
    ASSERT_EQ(file.size(), 480054u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(U32At(file, 2), 480054u);
    EXPECT_EQ(U32At(file, 6), 0u);
    EXPECT_EQ(U32At(file, 10), 54u);
    EXPECT_EQ(U32At(file, 14), 40u);
    EXPECT_EQ(U32At(file, 18), 400u);
    EXPECT_EQ(U32At(file, 22), 300u);
    EXPECT_EQ(file[26] | file[27] << 8, 1);
    EXPECT_EQ(file[28] | file[29] << 8, 32);
    EXPECT_EQ(U32At(file, 30), 0u);
    EXPECT_EQ(U32At(file, 34), 480000u);
    for (size_t at : {38u, 42u, 46u, 50u})
        EXPECT_EQ(U32At(file, at), 0u);
    // The bottom row comes first; the top row is last: blue, green, red, 0.
    EXPECT_EQ(U32At(file, 54), 0x00FFFFFFu);
    EXPECT_EQ(U32At(file, 480050), 0x000A141Eu);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
}

TEST(BmpStoredForm, LengthThenFileAndLengthZeroWhenEmpty)
{
    TBitmap empty;
    TMemoryStream stored;
    empty.WriteData(stored);
    EXPECT_EQ(stored.Size(), 4);
    EXPECT_EQ(U32At({stored.Memory(), stored.Memory() + 4}, 0), 0u);

    BmpFields f;
    f.Width = 1;
    f.Height = 1;
    f.Pixels = {1, 2, 3, 0};
    f.SizeImage = 2;  // the reader needs less than the file holds
    const std::vector<uint8_t> file = BuildBmp(f);
    TMemoryStream layout;
    layout.WriteU32(static_cast<uint32_t>(file.size()));
    layout.WriteBuffer(file.data(), file.size());
    layout.WriteU32(0xDEADBEEF);  // the next stored value
    layout.SetPosition(0);
    TBitmap b;
    b.ReadData(layout);
    EXPECT_EQ(Shown(b, 0, 0), 0x000201u);
    EXPECT_EQ(layout.ReadU32(), 0xDEADBEEFu);
}

struct RefusalCase {
    const char* Name;
    std::vector<uint8_t> File;
    const char* Message;
};

class BmpRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(BmpRefusal, GivesItsTextAndKeepsThePreviousImage)
{
    TBitmap b;
    b.SetPixelWidth(2);
    b.SetPixelHeight(2);
    const TBitmapImage* before = &b.Image();
    int changes = 0;
    b.OnChange = [&](TObject&) { ++changes; };
    TReadOnlyMemoryStream s(GetParam().File.data(), GetParam().File.size());
    try {
        b.ReadFromStream(s);
        FAIL() << "accepted";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), GetParam().Message);
    }
    EXPECT_EQ(&b.Image(), before);
    EXPECT_EQ(changes, 0);
}

namespace {

std::vector<uint8_t> With(void (*change)(BmpFields&))
{
    BmpFields f;
    f.Width = 2;
    f.Height = 2;
    f.Pixels.assign(16, 0);
    change(f);
    return BuildBmp(f);
}

std::vector<uint8_t> Truncated(size_t size)
{
    std::vector<uint8_t> file = With([](BmpFields&) {});
    file.resize(size);
    return file;
}

constexpr const char* Invalid = "Image bitmap incorrecte";
constexpr const char* ShortRead = "Erreur de lecture du flux";

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Files, BmpRefusal,
    ::testing::Values(
        RefusalCase{"SignatureBA", With([](BmpFields& f) { f.Signature[1] = 'A'; }), Invalid},
        RefusalCase{"SignatureMB", With([](BmpFields& f) { f.Signature[0] = 'M', f.Signature[1] = 'B'; }), Invalid},
        RefusalCase{"TwoPlanes", With([](BmpFields& f) { f.Planes = 2; }), Invalid},
        RefusalCase{"HeaderOf64Bytes", With([](BmpFields& f) { f.HeaderSize = 64; }), Invalid},
        RefusalCase{"TwoBitsPerPixel", With([](BmpFields& f) { f.BitCount = 2; }), Invalid},
        RefusalCase{"JpegCompression", With([](BmpFields& f) { f.Compression = 4; }), Invalid},
        RefusalCase{"Rle8WithFourBits", With([](BmpFields& f) { f.BitCount = 4, f.Compression = BI_RLE8; }), Invalid},
        RefusalCase{"MasksWithTwentyFourBits", With([](BmpFields& f) { f.Compression = BI_BITFIELDS; }), Invalid},
        RefusalCase{"TopDownRle", With([](BmpFields& f) { f.BitCount = 8, f.Compression = BI_RLE8, f.Height = -2; }),
                    Invalid},
        RefusalCase{"ZeroWidth", With([](BmpFields& f) { f.Width = 0; }), Invalid},
        RefusalCase{"NegativeWidth", With([](BmpFields& f) { f.Width = -3; }), Invalid},
        RefusalCase{"ZeroHeight", With([](BmpFields& f) { f.Height = 0; }), Invalid},
        RefusalCase{"SmallestHeight", With([](BmpFields& f) { f.Height = INT32_MIN; }), Invalid},
        RefusalCase{"ThreeHundredColours", With([](BmpFields& f) { f.BitCount = 24, f.ClrUsed = 300; }), Invalid},
        RefusalCase{"MoreColoursThanTheDepthAllows", With([](BmpFields& f) { f.BitCount = 4, f.ClrUsed = 17; }),
                    Invalid},
        RefusalCase{"HugeInAHundredBytes",
                    With([](BmpFields& f) { f.Width = 60000, f.Height = 60000, f.Pixels.assign(46, 0); }),
                    "Mémoire insuffisante"},
        RefusalCase{"EndsInFileHeader", Truncated(10), ShortRead},
        RefusalCase{"EndsInHeaderSize", Truncated(16), ShortRead},
        RefusalCase{"EndsInInfoHeader", Truncated(40), ShortRead},
        RefusalCase{"EndsInColourTable",
                    [] {
                        std::vector<uint8_t> f = With([](BmpFields& g) { g.BitCount = 8, g.Colors.assign(256, 1); });
                        f.resize(14 + 40 + 100);
                        return f;
                    }(),
                    ShortRead},
        RefusalCase{"EndsInMasks",
                    [] {
                        std::vector<uint8_t> f = With([](BmpFields& g) {
                            g.BitCount = 16, g.Compression = BI_BITFIELDS, g.SeparateMasks = true;
                        });
                        f.resize(14 + 40 + 6);
                        return f;
                    }(),
                    ShortRead}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.Name); });
