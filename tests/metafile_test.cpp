// Metafile pictures: reading both forms, their sizes, their refusals, and
// the record player's drawing onto white bitmaps, checked on fixtures made
// by the tests' own writers.
#include "core/errors.h"
#include "formats/metafile/metafile.h"
#include "formats/metafile/metafile_player.h"
#include "heap_peak.h"
#include "metafile_builder.h"
#include "picture_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace tremalu;
using testing_support::At;
using testing_support::EmfWriter;
using testing_support::ReadAs;
using testing_support::WhiteBitmap;
using testing_support::WmfWriter;
using testing_support::Words32;

namespace {

// A picture of 100 × 100 reference pixels on a device of 100 pixels per
// 25.4 mm... kept simple: 1000 pixels over 254 mm, so one pixel is 0.254 mm
// and the frame of 99 pixels (inclusive) is 2514.6 hundredths: 2515.
EmfWriter Emf100()
{
    return EmfWriter({0, 0, 2515, 2515}, 1000, 1000, 254, 254);
}

constexpr uint32_t White32 = 0xFFFFFF;
constexpr uint32_t Red = 0xFF0000;     // 0x00RRGGBB
constexpr uint32_t Blue = 0x0000FF;
constexpr uint32_t RedRef = 0x0000FF;  // COLORREF 0x00BBGGRR
constexpr uint32_t BlueRef = 0xFF0000;
constexpr uint32_t GreenRef = 0x00FF00;

std::unique_ptr<TBitmap> Drawn(const std::vector<uint8_t>& file, int32_t w = 100, int32_t h = 100)
{
    auto m = ReadAs<TMetafile>(file);
    auto b = WhiteBitmap(w, h);
    b->Surface().DrawStretched({0, 0, w, h}, m.get());
    return b;
}

}  // namespace

// ---------------------------------------------------------------- sizes

struct SizeCase {
    const char* Name;
    std::function<std::vector<uint8_t>()> File;
    int32_t Width, Height;            // pixels
    int32_t HundredthsW, HundredthsH; // the picture's own size
    bool Enhanced;
};

class MetafileSize : public ::testing::TestWithParam<SizeCase> {};

TEST_P(MetafileSize, ComesFromTheHeaders)
{
    const SizeCase& c = GetParam();
    auto m = ReadAs<TMetafile>(c.File());
    EXPECT_EQ(m->PixelWidth(), c.Width);
    EXPECT_EQ(m->PixelHeight(), c.Height);
    EXPECT_EQ(m->Image().Width, c.HundredthsW);
    EXPECT_EQ(m->Image().Height, c.HundredthsH);
    EXPECT_EQ(m->Enhanced(), c.Enhanced);
    EXPECT_FALSE(m->IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MetafileSize,
    ::testing::Values(
        SizeCase{"PlaceableAt1440UnitsPerInch", [] { return WmfWriter(0, 0, 1440, 720, 1440).Finish(); }, 96, 48,
                 2540, 1270, false},
        SizeCase{"PlaceableWithZeroUnitsCountsAs96", [] { return WmfWriter(10, 20, 106, 68, 0).Finish(); }, 96, 48,
                 2540, 1270, false},
        SizeCase{"EnhancedByItsReferenceDevice",
                 [] { return EmfWriter({0, 0, 5080, 2540}, 1024, 768, 320, 240).Finish(); }, 163, 81, 5080, 2540,
                 true},
        SizeCase{"EnhancedFrameNotAtTheOrigin",
                 [] { return EmfWriter({1000, 500, 6080, 3040}, 1024, 768, 320, 240).Finish(); }, 163, 81, 5080,
                 2540, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MetafileSize, SetSizeConvertsBackOrIsPendingAndNeverChangesACopy)
{
    TMetafile fresh;
    fresh.SetPixelWidth(40);
    fresh.SetPixelHeight(30);
    EXPECT_EQ(fresh.PixelWidth(), 40);
    EXPECT_EQ(fresh.PixelHeight(), 30);

    auto m = ReadAs<TMetafile>(WmfWriter(0, 0, 1440, 720, 1440).Finish());
    TMetafile copy;
    copy.CopyFrom(m.get());
    EXPECT_EQ(&copy.Image(), &m->Image());
    copy.SetPixelWidth(192);
    EXPECT_EQ(copy.PixelWidth(), 192);
    EXPECT_EQ(copy.Image().Width, 5080);
    EXPECT_EQ(m->PixelWidth(), 96);  // the shared image was copied first
    EXPECT_NE(&copy.Image(), &m->Image());
}

// ---------------------------------------------------------------- refusals

struct RefusalCase {
    const char* Name;
    std::function<std::vector<uint8_t>()> File;
    bool ReadFailure;  // EReadError rather than EInvalidGraphic
    const char* Text;
};

class MetafileRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(MetafileRefusal, LeavesThePictureAsItWas)
{
    const RefusalCase& c = GetParam();
    auto m = ReadAs<TMetafile>(WmfWriter(0, 0, 1440, 720, 1440).Finish());
    const std::vector<uint8_t> file = c.File();
    TReadOnlyMemoryStream s(file.data(), file.size());
    try {
        m->ReadFromStream(s);
        FAIL() << "accepted";
    } catch (const EReadError& e) {
        EXPECT_TRUE(c.ReadFailure);
        EXPECT_EQ(e.message(), c.Text);
    } catch (const EInvalidGraphic& e) {
        EXPECT_FALSE(c.ReadFailure);
        EXPECT_EQ(e.message(), c.Text);
    }
    EXPECT_EQ(m->PixelWidth(), 96);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MetafileRefusal,
    ::testing::Values(
        RefusalCase{"WindowsMetafileWithoutPlaceableHeader",
                    [] {
                        auto f = WmfWriter(0, 0, 100, 100, 96).Finish();
                        return std::vector<uint8_t>(f.begin() + 22, f.end());
                    },
                    false, "MetaFichier incorrect"},
        RefusalCase{"WrongChecksum", [] { return WmfWriter(0, 0, 100, 100, 96).WrongChecksum().Finish(); }, false,
                    "MetaFichier incorrect"},
        RefusalCase{"NotAWindowsMetafileAfterTheHeader",
                    [] {
                        auto f = WmfWriter(0, 0, 100, 100, 96).Finish();
                        f[22] = 7;  // type
                        return f;
                    },
                    false, "MetaFichier incorrect"},
        RefusalCase{"EnhancedOf100BytesIsTakenForAWindowsOne",
                    [] {
                        auto f = EmfWriter({0, 0, 100, 100}, 100, 100, 10, 10).Finish();
                        f.resize(100);
                        return f;
                    },
                    false, "MetaFichier incorrect"},
        RefusalCase{"EnhancedShorterThanItsTotalSize",
                    [] {
                        auto f = EmfWriter({0, 0, 100, 100}, 100, 100, 10, 10).Rectangle(0, 0, 5, 5).Finish();
                        f.resize(f.size() - 4);
                        return f;
                    },
                    true, "Erreur de lecture du flux"},
        RefusalCase{"EnhancedHeaderRecordTooSmall",
                    [] {
                        auto f = EmfWriter({0, 0, 100, 100}, 100, 100, 10, 10).Finish();
                        f[4] = 40;
                        return f;
                    },
                    false, "MetaFichier incorrect"}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- drawing

struct PixelCheck {
    int32_t X, Y;
    uint32_t Color;
};

struct DrawCase {
    const char* Name;
    std::function<std::vector<uint8_t>()> File;
    std::vector<PixelCheck> Checks;
};

class MetafileDrawing : public ::testing::TestWithParam<DrawCase> {};

TEST_P(MetafileDrawing, OnAWhiteBitmap)
{
    const DrawCase& c = GetParam();
    auto b = Drawn(c.File());
    for (const PixelCheck& p : c.Checks)
        EXPECT_EQ(At(*b, p.X, p.Y), p.Color) << "at " << p.X << ", " << p.Y;
}

// Interiors are checked exactly, edges on the pixel inside and outside.
INSTANTIATE_TEST_SUITE_P(
    Cases, MetafileDrawing,
    ::testing::Values(
        DrawCase{"RectangleWithNullPenFillsItsBox",
                 [] {
                     return Emf100()
                         .CreateBrush(1, 0, RedRef)
                         .Select(1)
                         .Select(0x80000008)  // the null pen
                         .Rectangle(10, 20, 30, 40)
                         .Finish();
                 },
                 {{10, 20, Red}, {29, 39, Red}, {20, 30, Red}, {9, 20, White32}, {30, 30, White32}, {20, 41, White32}}},
        DrawCase{"PenOutlinesAndBrushFills",
                 [] {
                     return Emf100()
                         .CreateBrush(1, 0, RedRef)
                         .CreatePen(2, 0, 1, BlueRef)
                         .Select(1)
                         .Select(2)
                         .Rectangle(10, 10, 50, 50)
                         .Finish();
                 },
                 {{10, 30, Blue}, {49, 30, Blue}, {30, 10, Blue}, {30, 49, Blue}, {30, 30, Red}, {11, 11, Red},
                  {50, 30, White32}, {9, 30, White32}}},
        DrawCase{"EllipseAndPolygon",
                 [] {
                     return Emf100()
                         .CreateBrush(1, 0, GreenRef)
                         .Select(1)
                         .Select(0x80000008)
                         .Ellipse(0, 0, 40, 40)
                         .Polygon16({{50, 50}, {90, 50}, {90, 90}})
                         .Finish();
                 },
                 {{20, 20, 0x00FF00}, {1, 1, White32}, {38, 38, White32}, {2, 20, 0x00FF00}, {85, 60, 0x00FF00},
                  {60, 85, White32}}},
        // Only the low four bits of a mixing mode less one count, however
        // far out of range the mode is: 0x80000000 acts as R2_WHITE.
        DrawCase{"MixingModeOutOfRangeKeepsItsLowBits",
                 [] {
                     return Emf100()
                         .CreateBrush(1, 0, RedRef)
                         .Select(1)
                         .Select(0x80000008)
                         .Rectangle(0, 0, 30, 30)
                         .Record(20, {0x80000000})  // SETROP2
                         .Rectangle(10, 10, 20, 20)
                         .Finish();
                 },
                 {{5, 5, Red}, {15, 15, White32}, {25, 25, Red}}},
        DrawCase{"XorPenInvertsWhatItCovers",
                 [] {
                     return Emf100()
                         .CreateBrush(1, 0, 0xFFFFFF)
                         .Select(1)
                         .Select(0x80000008)
                         .Record(20, {7})  // R2_XORPEN
                         .Rectangle(0, 0, 20, 20)
                         .Rectangle(10, 10, 30, 30)
                         .Finish();
                 },
                 {{5, 5, 0x000000}, {15, 15, White32}, {25, 25, 0x000000}, {35, 35, White32}}},
        DrawCase{"ClipRectangleAndSaveRestore",
                 [] {
                     return Emf100()
                         .CreateBrush(1, 0, RedRef)
                         .Select(1)
                         .Select(0x80000008)
                         .Record(33, {})                // save
                         .Record(30, {20, 20, 40, 40})  // intersect clip
                         .Rectangle(0, 0, 100, 100)
                         .Record(34, {0xFFFFFFFF})  // restore the saved state
                         .Rectangle(60, 60, 70, 70)
                         .Finish();
                 },
                 {{20, 20, Red}, {39, 39, Red}, {19, 30, White32}, {40, 30, White32}, {65, 65, Red}}},
        DrawCase{"AnisotropicWindowOntoViewport",
                 [] {
                     return Emf100()
                         .Record(17, {8})        // anisotropic
                         .Record(9, {10, 10})    // window extent
                         .Record(11, {100, 50})  // viewport extent
                         .CreateBrush(1, 0, BlueRef)
                         .Select(1)
                         .Select(0x80000008)
                         .Rectangle(0, 0, 5, 5)
                         .Finish();
                 },
                 {{0, 0, Blue}, {49, 24, Blue}, {50, 10, White32}, {10, 25, White32}}},
        DrawCase{"WorldTransformScales",
                 [] {
                     const float two = 2;
                     uint32_t bits;
                     std::memcpy(&bits, &two, 4);
                     return Emf100()
                         .Record(35, {bits, 0, 0, bits, 0, 0})
                         .CreateBrush(1, 0, BlueRef)
                         .Select(1)
                         .Select(0x80000008)
                         .Rectangle(5, 5, 10, 10)
                         .Finish();
                 },
                 {{10, 10, Blue}, {19, 19, Blue}, {9, 15, White32}, {20, 15, White32}}},
        DrawCase{"HatchedBrushLeavesTheGapsOnATransparentBackground",
                 [] {
                     return Emf100()
                         .Record(18, {1})  // transparent background
                         .CreateBrush(1, 2, RedRef, 0)
                         .Select(1)
                         .Select(0x80000008)
                         .Rectangle(0, 0, 16, 16)
                         .Finish();
                 },
                 {{5, 3, Red}, {5, 11, Red}, {5, 4, White32}, {5, 0, White32}}},
        DrawCase{"DibPatternBrushTilesOnTheOutputGrid",
                 [] {
                     // 2 x 2, top row red and green, bottom row blue and
                     // black: a 24-bit DIB stored bottom row first.
                     return Emf100()
                         .Record(94, {1, 0, 32, 40, 72, 16,                           // slot, usage, offsets
                                      40, 2, 2, 1 | 24 << 16, 0, 0, 0, 0, 0, 0,       // header
                                      0x000000FF, 0x00000000, 0x00FF0000, 0x000000FF})  // bits
                         .Select(1)
                         .Select(0x80000008)
                         .Rectangle(0, 0, 10, 10)
                         .Finish();
                 },
                 {{0, 0, Red}, {1, 0, 0x00FF00}, {0, 1, Blue}, {1, 1, 0x000000}, {8, 4, Red}, {9, 9, 0x000000},
                  {10, 10, White32}}},
        DrawCase{"BitmapStretchedIntoItsRectangle",
                 [] {
                     return Emf100()
                         .StretchDIBits(10, 10, 20, 20, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000})
                         .Finish();
                 },
                 {{10, 10, Red}, {19, 19, Red}, {20, 10, 0x00FF00}, {10, 20, Blue}, {29, 29, 0x000000},
                  {30, 30, White32}}},
        DrawCase{"BitmapInvertingWhatItCoversInsideTheClip",
                 [] {
                     return Emf100()
                         .Record(30, {0, 0, 20, 100})  // intersect clip
                         .StretchDIBits(10, 10, 20, 20, 2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0x000000},
                                        0x00660046)  // source XOR destination
                         .Finish();
                 },
                 {{10, 10, 0x00FFFF}, {19, 19, 0x00FFFF}, {10, 20, 0xFFFF00}, {25, 10, White32}, {19, 29, 0xFFFF00},
                  {30, 30, White32}}},
        DrawCase{"ObjectsOutsideTheTableAreIgnored",
                 [] {
                     return Emf100()
                         .CreateBrush(1, 0, RedRef)
                         .Select(1)
                         .Select(0x80000008)
                         .CreateBrush(500, 0, BlueRef)
                         .Select(500)
                         .Select(0x80000063)  // no such stock object
                         .Rectangle(0, 0, 10, 10)
                         .Finish();
                 },
                 {{5, 5, Red}}},
        DrawCase{"ARecordClaimingMoreThanTheFileEndsThePlayback",
                 [] {
                     auto f = Emf100()
                                  .CreateBrush(1, 0, RedRef)
                                  .Select(1)
                                  .Select(0x80000008)
                                  .Rectangle(0, 0, 10, 10)
                                  .Record(43, {20, 20, 30, 30})
                                  .Rectangle(40, 40, 50, 50)
                                  .Finish();
                     // The second rectangle's size now runs past the end.
                     const size_t second = f.size() - 20 - 24 - 24;
                     f[second + 4] = 0xF0;
                     f[second + 5] = 0xFF;
                     return f;
                 },
                 {{5, 5, Red}, {25, 25, White32}, {45, 45, White32}}},
        DrawCase{"WindowsMetafileRecordsPlayThroughTheWindow",
                 [] {
                     // A box of 0..200 units onto 100 pixels: half scale.
                     return WmfWriter(0, 0, 200, 200, 192)
                         .Record(0x020B, {0, 0})      // window origin
                         .Record(0x020C, {200, 200})  // window extent
                         .Record(0x02FC, {0, uint16_t(RedRef & 0xFFFF), uint16_t(RedRef >> 16), 0})
                         .Record(0x012D, {0})                       // select it (slot 0)
                         .Record(0x02FA, {5, 0, 0, 0, 0})           // a null pen (slot 1)
                         .Record(0x012D, {1})
                         .Record(0x041B, {120, 120, 40, 40})        // rectangle: bottom, right, top, left
                         .Finish();
                 },
                 {{20, 20, Red}, {59, 59, Red}, {19, 40, White32}, {61, 40, White32}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MetafileDrawing, FillsARectangleOfOtherProportionsOnEachAxis)
{
    const auto file = Emf100()
                          .CreateBrush(1, 0, RedRef)
                          .Select(1)
                          .Select(0x80000008)
                          .Rectangle(0, 0, 50, 100)
                          .CreateBrush(2, 0, BlueRef)
                          .Select(2)
                          .Rectangle(50, 0, 100, 100)
                          .Finish();
    auto b = WhiteBitmap(120, 60);
    auto m = ReadAs<TMetafile>(file);
    b->Surface().DrawStretched({10, 5, 110, 55}, m.get());
    // 100 × 50 at (10, 5): the left half red, the right half blue, the rest white.
    EXPECT_EQ(At(*b, 10, 5), Red);
    EXPECT_EQ(At(*b, 59, 54), Red);
    EXPECT_EQ(At(*b, 60, 5), Blue);
    EXPECT_EQ(At(*b, 109, 54), Blue);
    EXPECT_EQ(At(*b, 9, 30), White32);
    EXPECT_EQ(At(*b, 110, 30), White32);
    EXPECT_EQ(At(*b, 50, 4), White32);
    EXPECT_EQ(At(*b, 50, 55), White32);
}

TEST(MetafileDrawing, EmptyMetafileDrawsNothing)
{
    TMetafile empty;
    auto b = WhiteBitmap(4, 4);
    b->Surface().DrawStretched({0, 0, 4, 4}, &empty);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(At(*b, x, y), White32);
}

// Text: a bold capital line 40 pixels high on the page (character height),
// drawn from its top-left corner; its ink lies at that place and spans the
// height of a capital letter.
TEST(MetafileText, IsDrawnAtItsPlaceAndSize)
{
    const auto file = Emf100()
                          .CreateFont(1, -40, 400, u"Liberation Sans")
                          .Select(1)
                          .Record(18, {1})  // transparent background
                          .TextOut(20, 30, u"HH", {30, 30})
                          .Finish();
    auto b = Drawn(file);
    int32_t left = 100, top = 100, right = -1, bottom = -1;
    for (int32_t y = 0; y < 100; ++y)
        for (int32_t x = 0; x < 100; ++x)
            if ((At(*b, x, y) & 0xFF) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    // Liberation Sans: ascent 0.905 em, capital height 0.729 em; the H's
    // stems sit about 0.08 em in from the pen position.
    EXPECT_NEAR(top, 30 + (0.905 - 0.729) * 40, 2);
    EXPECT_NEAR(bottom, 30 + 0.905 * 40, 2);
    EXPECT_NEAR(left, 20 + 0.08 * 40, 2);
    // The second letter starts 30 units after the first.
    EXPECT_NEAR(right, 50 + (0.722 - 0.08) * 40, 3);
}

// ---------------------------------------------------------------- work and memory bounds

// A hundred whole-picture operations of a few bytes each: the player's own
// pixel loops do at most their raster budget (a few whole pictures) and skip
// the rest, the records after them are still drawn, and the scratch images
// stay small beside the output's cairo copy. Counted in pixels, not timed.
struct BoundCase {
    const char* Name;
    testing_support::WholePictureOperation Operation;
};

class MetafileRasterBound : public ::testing::TestWithParam<BoundCase> {};

TEST_P(MetafileRasterBound, SkipsWhatIsPastTheBudgetAndDrawsTheRest)
{
    constexpr int16_t Size = 4096;
    auto metafile = ReadAs<TMetafile>(testing_support::RepeatedWholePicture(GetParam().Operation, Size, 100));
    auto target = WhiteBitmap(Size, Size);
    const uint64_t output = uint64_t{Size} * Size;
    TPlaybackWork work;
    // The cairo copy of the output (4 bytes a pixel), and room for bands.
    const bool within = testing_support::StaysWithin(output * 4 + (uint64_t{32} << 20), [&] {
        work = PlayMetafile(metafile->Image(), *target->Surface().Pixels(), {0, 0, Size, Size});
    });
    EXPECT_TRUE(within);
    EXPECT_LE(work.RasterPixels, work.RasterAllowed);
    EXPECT_GT(work.RasterPixels + output + 2 * Size + 1, work.RasterAllowed) << "spent up to the budget";
    EXPECT_EQ(At(*target, 5, 5), Red) << "the records after the skipped ones are drawn";
}

INSTANTIATE_TEST_SUITE_P(
    Metafile, MetafileRasterBound,
    ::testing::Values(BoundCase{"InvertPatBlt", testing_support::WholePictureOperation::InvertPatBlt},
                      BoundCase{"XorRectangle", testing_support::WholePictureOperation::XorRectangle},
                      BoundCase{"XorStretchDIBits", testing_support::WholePictureOperation::XorStretchDIBits}),
    [](const auto& info) { return std::string(info.param.Name); });
