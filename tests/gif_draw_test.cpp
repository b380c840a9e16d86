// Drawing GIF pictures: what a picture drawn on a white bitmap gives (as the
// composition and the batch tool draw it), frame placement, transparency,
// the animation buffer, the palette and the dithered rendering.
#include "core/errors.h"
#include "stereo/draw_on_white.h"
#include "formats/gif/gif_dither.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_painter.h"
#include "formats/gif/gif_painter_timing.h"
#include "gif_builder.h"
#include "heap_peak.h"
#include "picture_bytes.h"

#include <gtest/gtest.h>

#include <set>

using namespace tremalu;
using testing_support::At;
using testing_support::GifWriter;
using testing_support::ReadAs;

namespace {

constexpr uint32_t White = 0xFFFFFF, Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF;
const std::vector<uint32_t> Colors4 = {0x000000, Red, Green, Blue};

// Every pixel that is not white, as (x, y, colour).
std::vector<std::tuple<int, int, uint32_t>> Marks(const TBitmap& bitmap)
{
    std::vector<std::tuple<int, int, uint32_t>> marks;
    for (int32_t y = 0; y < bitmap.PixelHeight(); ++y)
        for (int32_t x = 0; x < bitmap.PixelWidth(); ++x)
            if (At(bitmap, x, y) != White)
                marks.emplace_back(x, y, At(bitmap, x, y));
    return marks;
}

using Marked = std::vector<std::tuple<int, int, uint32_t>>;

struct DrawCase {
    const char* Name;
    std::vector<uint8_t> Gif;
    TGIFDrawOptions Options;
    TRect Into;  // drawn stretched into this rectangle of a white 6 x 4 bitmap
    Marked Expected;
};

class GifOnWhite : public ::testing::TestWithParam<DrawCase> {};

TEST_P(GifOnWhite, ChangesOnlyWhatTheFrameCovers)
{
    const DrawCase& c = GetParam();
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(c.Gif);
    gif->DrawOptions = c.Options;
    TBitmap white;
    white.SetPixelWidth(6);
    white.SetPixelHeight(4);
    white.Surface().DrawStretched(c.Into, gif.get());
    EXPECT_EQ(Marks(white), c.Expected);
}

const std::vector<uint8_t> Corner = GifWriter().Header(4, 2, Colors4).Image(1, 1, 2, 1, {1, 2}).Bytes();
const std::vector<uint8_t> Holed =
    GifWriter().Header(3, 1, Colors4).GraphicControl(0, 0, 0).Image(0, 0, 3, 1, {1, 0, 3}).Bytes();

INSTANTIATE_TEST_SUITE_P(
    Gif, GifOnWhite,
    ::testing::Values(
        DrawCase{"FrameAtItsOffset", Corner, DefaultDrawOptions, Rect(0, 0, 4, 2), {{1, 1, Red}, {2, 1, Green}}},
        // Screen 4 x 2 into 6 x 4: the frame's edges are scaled and rounded.
        DrawCase{"FrameScaledWithTheScreen", Corner, DefaultDrawOptions, Rect(0, 0, 6, 4),
                 {{2, 2, Red}, {3, 2, Red}, {4, 2, Green}, {2, 3, Red}, {3, 3, Red}, {4, 3, Green}}},
        DrawCase{"FrameBeyondTheSurfaceIsClipped", Corner, DefaultDrawOptions, Rect(4, 2, 8, 4), {{5, 3, Red}}},
        DrawCase{"TiledAtNaturalSize", Corner, DefaultDrawOptions | gdTile, Rect(0, 0, 6, 4),
                 {{1, 1, Red}, {2, 1, Green}, {5, 1, Red}, {1, 3, Red}, {2, 3, Green}, {5, 3, Red}}},
        DrawCase{"TransparentPixelsLeaveTheWhite", Holed, DefaultDrawOptions, Rect(1, 1, 4, 2),
                 {{1, 1, Red}, {3, 1, Blue}}},
        DrawCase{"TransparentAndStretched", Holed, DefaultDrawOptions, Rect(0, 0, 6, 1),
                 {{0, 0, Red}, {1, 0, Red}, {4, 0, Blue}, {5, 0, Blue}}},
        DrawCase{"OpaqueWithoutTheOption", Holed, DefaultDrawOptions & ~gdTransparent, Rect(0, 0, 3, 1),
                 {{0, 0, Red}, {1, 0, 0x000000}, {2, 0, Blue}}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(GifDraw, CompositionSeesOneFrameOverWhite)
{
    // 100 x 50 screen, 20 x 10 frame at (10, 10).
    std::unique_ptr<TGIFImage> gif =
        ReadAs<TGIFImage>(GifWriter().Header(100, 50, Colors4).Image(10, 10, 20, 10, std::vector<uint8_t>(200, 3)).Bytes());
    const std::unique_ptr<TBitmap> drawn = DrawOnWhite(gif.get(), 100, 50);
    const Marked marks = Marks(*drawn);
    ASSERT_EQ(marks.size(), 200u);
    EXPECT_EQ(marks.front(), std::make_tuple(10, 10, Blue));
    EXPECT_EQ(marks.back(), std::make_tuple(29, 19, Blue));
}

TEST(GifDraw, AsBitmapTransparentPixelsShowTheirTableColour)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(Holed);
    TBitmap bitmap;
    bitmap.CopyFrom(gif.get());
    ASSERT_EQ(bitmap.PixelWidth(), 3);
    EXPECT_EQ(At(bitmap, 0, 0), Red);
    EXPECT_EQ(At(bitmap, 1, 0), 0x000000u);
    EXPECT_EQ(At(bitmap, 2, 0), Blue);
}

TEST(GifDraw, BufferOfASmallFrameIsWhiteAround)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(Corner);
    TBitmap* buffer = gif->BufferAsBitmap();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(Marks(*buffer), (Marked{{1, 1, Red}, {2, 1, Green}}));
}

TEST(GifDraw, WithoutAnyColourTableTheFirstDrawFails)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(GifWriter().Header(2, 1).Image(0, 0, 2, 1, {0, 1}).Bytes());
    try {
        DrawOnWhite(gif.get(), 2, 1);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "No global or local color table defined");
    }
}

TEST(GifDraw, LocalTableServesWithoutGlobalOne)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(GifWriter().Header(2, 1).Image(0, 0, 2, 1, {0, 1}, {Green, Blue}).Bytes());
    EXPECT_EQ(Marks(*DrawOnWhite(gif.get(), 2, 1)), (Marked{{0, 0, Green}, {1, 0, Blue}}));
}

struct MemoryCase {
    const char* Name;
    std::vector<uint8_t> Gif;
    const char* Message;
};

class GifTooLarge : public ::testing::TestWithParam<MemoryCase> {};

TEST_P(GifTooLarge, RefusedWhenDrawn)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(GetParam().Gif);
    TBitmap small;
    small.SetPixelWidth(8);
    small.SetPixelHeight(8);
    try {
        small.Surface().DrawAt(0, 0, gif.get());
        FAIL();
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(e.message(), GetParam().Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gif, GifTooLarge,
    ::testing::Values(
        // Two frames: the animation buffer has the screen's size.
        MemoryCase{"AnimationBufferOfAHugeScreen",
                   GifWriter().Header(65535, 65535, Colors4).Image(0, 0, 1, 1, {1}).Image(0, 0, 1, 1, {2}).Bytes(),
                   "Mémoire insuffisante"},
        // A frame of width 0 takes the screen's size.
        MemoryCase{"FrameOfAHugeScreen",
                   GifWriter()
                       .Header(65535, 65535, Colors4)
                       .ImageData(0, 0, 0, 0, testing_support::PlainLzw({1}))
                       .Bytes(),
                   "Failed to allocate memory for GIF DIB"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(GifDraw, HugeScreenIsRefusedByTheComposition)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(GifWriter().Header(65535, 65535, Colors4).Image(0, 0, 1, 1, {1}).Bytes());
    try {
        DrawOnWhite(gif.get(), gif->PixelWidth(), gif->PixelHeight());
        FAIL();
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(e.message(), "Mémoire insuffisante");
    }
}

// ---------------------------------------------------------------- several frames

TEST(GifDraw, AnimatedPictureIsDrawnFromItsBufferAsItStands)
{
    // One image and a comment after it: two frames, so the animation path.
    // Drawn first onto red (a preview), then onto white (the composition):
    // the white one gets the buffer, opaque, red where the frame is
    // transparent.
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(
        GifWriter().Header(2, 1, Colors4).GraphicControl(0, 0, 0).Image(0, 0, 2, 1, {0, 3}).Comment("fin").Bytes());
    ASSERT_EQ(gif->Images.Count(), 2u);
    TBitmap red;
    red.SetPixelWidth(2);
    red.SetPixelHeight(1);
    red.Surface().Brush().SetColor(clRed);
    red.Surface().FillRectangle(Rect(0, 0, 2, 1));
    red.Surface().DrawAt(0, 0, gif.get());
    EXPECT_EQ(At(red, 0, 0), Red);
    EXPECT_EQ(At(red, 1, 0), Blue);
    const std::unique_ptr<TBitmap> composed = DrawOnWhite(gif.get(), 2, 1);
    EXPECT_EQ(Marks(*composed), (Marked{{0, 0, Red}, {1, 0, Blue}}));
    EXPECT_EQ(Marks(*DrawOnWhite(gif.get(), 2, 1)), Marks(*composed)) << "nothing painted in between";
}

// ---------------------------------------------------------------- dithering

TEST(GifDither, ErrorDiffusionKeepsTheAverage)
{
    // A flat colour between two levels comes out as a mix of both whose mean
    // is the colour.
    const int32_t width = 32;
    TFloydSteinbergDitherer ditherer(width);
    const std::vector<TGIFColor> row(width, TGIFColor{100, 100, 100});
    const std::vector<uint8_t> skip(width, 0);
    double sum = 0;
    std::set<int> levels;
    for (int y = 0; y < 32; ++y) {
        std::vector<uint8_t> out(width);
        ditherer.DitherRow(row.data(), skip.data(), out.data());
        for (uint8_t index : out) {
            levels.insert(index / 36);
            sum += 51.0 * (index / 36);
        }
    }
    EXPECT_EQ(levels, (std::set<int>{1, 2}));
    EXPECT_NEAR(sum / (32 * width), 100.0, 2.0);
}

TEST(GifDither, DitheredFrameUsesTheCubeAndKeepsItsMask)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(Holed);
    gif->DrawOptions = DefaultDrawOptions & ~gdAutoDither;  // dither whatever the display
    ASSERT_TRUE(gif->NeedsDither());
    TBitmap& frame = gif->Images[0].FrameBitmap();
    EXPECT_EQ(frame.PeekPixels()->ColorTable()[215], (TRGBQuad{255, 255, 255, 0}));
    EXPECT_EQ(frame.PeekPixels()->ScanLine(0)[0], CubeIndex(255, 0, 0));
    EXPECT_EQ(frame.PeekPixels()->ScanLine(0)[2], CubeIndex(0, 0, 255));
    EXPECT_EQ(Marks(*DrawOnWhite(gif.get(), 3, 1)), (Marked{{0, 0, Red}, {2, 0, Blue}}));
    EXPECT_EQ(gif->Palette(), ColorCubePalette());
}

}  // namespace

// ---------------------------------------------------------------- memory held for drawing

namespace {

// A clock that moves by exactly what is waited, for a painter without a
// thread that plays one pass inside the draw call.
std::shared_ptr<const TGIFPainterTiming> InstantTiming()
{
    auto now = std::make_shared<int64_t>(0);
    return std::make_shared<TGIFPainterTiming>(TGIFPainterTiming{
        [now] { return *now; },
        [now](TWakeUpEvent& event, int64_t ms) {
            if (event.TryTake())
                return true;
            *now += ms < 0 ? 0 : ms;
            return false;
        },
        [now](int64_t ms) { *now += ms; }});
}

// A screen of just under 2^28 pixels and two 1 x 1 frames (51 bytes with a
// disposal): the animation buffer alone is a whole bitmap cap's worth, and
// each disposal buffer another.
std::vector<uint8_t> TwoDotsOnAHugeScreen(uint8_t disposal, int transparent)
{
    return GifWriter()
        .Header(16384, 16383, Colors4)
        .GraphicControl(disposal, 0, transparent)
        .Image(0, 0, 1, 1, {1})
        .GraphicControl(disposal, 0, transparent)
        .Image(0, 0, 1, 1, {2})
        .Bytes();
}

struct BufferCase {
    const char* Name;
    std::vector<uint8_t> Gif;
};

}  // namespace

class GifDrawingBudget : public ::testing::TestWithParam<BufferCase> {};

TEST_P(GifDrawingBudget, RefusesBeforeMakingItsBuffers)
{
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(GetParam().Gif);
    TBitmap small;
    small.SetPixelWidth(16);
    small.SetPixelHeight(12);
    std::string failure;
    const bool within = testing_support::StaysWithin(uint64_t{16} << 20, [&] {
        try {
            small.Surface().DrawAt(0, 0, gif.get());
        } catch (const EOutOfMemory& e) {
            failure = e.message();
        }
    });
    EXPECT_TRUE(within);
    EXPECT_EQ(failure, "Mémoire insuffisante");
    EXPECT_EQ(gif->DrawingBytes(), 0u) << "nothing stays held";
    EXPECT_TRUE(Marks(small).empty()) << "the destination is left as it was";
}

INSTANTIATE_TEST_SUITE_P(Gif, GifDrawingBudget,
                         ::testing::Values(BufferCase{"RestoreTransparent", TwoDotsOnAHugeScreen(2, 0)},
                                           BufferCase{"RestoreOpaque", TwoDotsOnAHugeScreen(2, -1)},
                                           BufferCase{"KeepPrevious", TwoDotsOnAHugeScreen(3, -1)}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(GifDrawingMemory, LongAnimationPlaysWithinTheBudgetAndGivesItBack)
{
    // 150 frames of 800 x 600 that restore the background after them, each
    // with one pixel of data (the rest takes the fill): every frame is
    // rendered and kept, the buffers of disposal 2 are made.
    GifWriter writer;
    writer.Header(800, 600, Colors4);
    for (int i = 0; i < 150; ++i)
        writer.GraphicControl(2, 1).ImageData(0, 0, 800, 600, testing_support::PlainLzw({uint8_t(1 + i % 3)}));
    std::unique_ptr<TGIFImage> gif = ReadAs<TGIFImage>(writer.Bytes());
    ASSERT_EQ(gif->Images.Count(), 150u);
    gif->DrawOptions = DefaultDrawOptions & ~(gdThreaded | gdLoopForever);
    gif->PainterTiming = InstantTiming();
    int painted = 0;
    gif->OnAfterPaint = [&painted](TGIFPainter&) { ++painted; };
    TBitmap target;
    target.SetPixelWidth(800);
    target.SetPixelHeight(600);
    target.Surface().DrawAt(0, 0, gif.get());
    EXPECT_EQ(painted, 150);
    const uint64_t frames = 150 * GIFFrameBitmapBytes(800, 600);
    EXPECT_EQ(gif->DrawingBytes(), frames + GIFDeviceBitmapBytes(800, 600)) << "frames and the animation buffer";
    gif->StopAllPainters();
    EXPECT_EQ(gif->DrawingBytes(), frames);
    gif->Clear();
    EXPECT_EQ(gif->DrawingBytes(), 0u);
}
