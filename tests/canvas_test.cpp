#include "raster/bitmap.h"
#include "raster/drawing.h"
#include "core/errors.h"

#include <gtest/gtest.h>

using namespace tremalu;

namespace {

// A device bitmap of the given size with every pixel set to one colour.
std::unique_ptr<TBitmap> Filled(int32_t w, int32_t h, TColor color)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelWidth(w);
    b->SetPixelHeight(h);
    b->Surface().Brush().SetColor(color);
    b->Surface().FillRectangle({0, 0, w, h});
    return b;
}

TColor At(const TBitmap& b, int32_t x, int32_t y) { return ColorOfDevicePixel(b.PeekPixels()->PixelAt(x, y)); }

}  // namespace

TEST(Brush, ColourAndStyleAreCoupled)
{
    TBrush brush;
    EXPECT_EQ(brush.Color(), clWhite);
    EXPECT_EQ(brush.Style(), TBrushStyle::bsSolid);
    brush.SetColor(clRed);
    brush.SetStyle(TBrushStyle::bsClear);
    EXPECT_EQ(brush.Color(), clWhite);
    brush.SetColor(clAqua);
    EXPECT_EQ(brush.Style(), TBrushStyle::bsSolid);
    brush.SetStyle(TBrushStyle::bsCross);
    brush.SetColor(clRed);
    EXPECT_EQ(brush.Style(), TBrushStyle::bsCross);
}

TEST(Brush, NotifiesOnlyWhenSomethingChanges)
{
    TBrush brush;
    int changes = 0;
    brush.OnChange = [&] { ++changes; };
    brush.SetColor(clWhite);
    brush.SetStyle(TBrushStyle::bsSolid);
    EXPECT_EQ(changes, 0);
    brush.SetColor(clRed);
    brush.SetColor(clRed);
    EXPECT_EQ(changes, 1);
    brush.SetStyle(TBrushStyle::bsClear);  // colour and style change together: one notification
    EXPECT_EQ(changes, 2);
}

TEST(Canvas, SolidFillCoversExactlyTheRectangle)
{
    auto b = Filled(4, 4, clWhite);
    b->Surface().Brush().SetColor(clRed);
    b->Surface().FillRectangle({1, 1, 3, 3});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(*b, x, y), (x >= 1 && x < 3 && y >= 1 && y < 3) ? clRed : clWhite) << x << "," << y;
    b->Surface().FillRectangle({-5, -5, 50, 50});
    EXPECT_EQ(At(*b, 0, 0), clRed);
    EXPECT_EQ(At(*b, 3, 3), clRed);
}

TEST(Canvas, ClearBrushFillsNothingAndHatchesLeaveTheBackground)
{
    auto b = Filled(16, 16, clWhite);
    b->Surface().Brush().SetStyle(TBrushStyle::bsClear);
    b->Surface().FillRectangle({0, 0, 16, 16});
    EXPECT_EQ(At(*b, 5, 5), clWhite);

    const TBrushStyle hatches[] = {TBrushStyle::bsHorizontal, TBrushStyle::bsVertical, TBrushStyle::bsFDiagonal,
                                   TBrushStyle::bsBDiagonal,  TBrushStyle::bsCross,    TBrushStyle::bsDiagCross};
    for (TBrushStyle style : hatches) {
        auto h = Filled(16, 16, clWhite);
        h->Surface().Brush().SetStyle(style);
        h->Surface().Brush().SetColor(clRed);
        h->Surface().FillRectangle({0, 0, 16, 16});
        int red = 0, white = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const TColor c = At(*h, x, y);
                red += c == clRed;
                white += c == clWhite;
            }
        EXPECT_GT(red, 0) << static_cast<int>(style);
        EXPECT_GT(white, red) << static_cast<int>(style);
        EXPECT_EQ(red + white, 256) << static_cast<int>(style);
        // The pattern repeats every 8 pixels.
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(At(*h, x, y), At(*h, x + 8, y + 8));
    }
}

TEST(Canvas, DrawAtCombinesPerChannel)
{
    auto picture = Filled(1, 1, RGB(200, 100, 50));
    auto onRed = Filled(1, 1, clRed);
    onRed->Surface().CopyMode = SRCAND;
    onRed->Surface().DrawAt(0, 0, picture.get());
    EXPECT_EQ(At(*onRed, 0, 0), RGB(200, 0, 0));
    auto onAqua = Filled(1, 1, clAqua);
    onAqua->Surface().CopyMode = SRCAND;
    onAqua->Surface().DrawAt(0, 0, picture.get());
    EXPECT_EQ(At(*onAqua, 0, 0), RGB(0, 100, 50));
    onAqua->Surface().CopyMode = SRCPAINT;
    onAqua->Surface().DrawAt(0, 0, onRed.get());
    EXPECT_EQ(At(*onAqua, 0, 0), RGB(200, 100, 50));
}

TEST(Canvas, DrawAtClipsToTheTargetAndLeavesTheRest)
{
    auto big = std::make_unique<TBitmap>();
    big->SetPixelWidth(5);
    big->SetPixelHeight(5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            const_cast<TPixelBuffer*>(big->PeekPixels())->SetPixelAt(x, y, DevicePixel(RGB(x, y, 7)));
    auto small = Filled(3, 3, clBlack);
    small->Surface().DrawAt(0, 0, big.get());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(At(*small, x, y), RGB(x, y, 7));

    auto tiny = Filled(2, 2, clRed);
    auto target = Filled(3, 3, clBlack);
    target->Surface().DrawAt(0, 0, tiny.get());
    EXPECT_EQ(At(*target, 1, 1), clRed);
    EXPECT_EQ(At(*target, 2, 1), clBlack);
    EXPECT_EQ(At(*target, 1, 2), clBlack);

    // Partly outside on every side.
    auto middle = Filled(3, 3, clBlack);
    middle->Surface().DrawAt(-4, -4, big.get());
    EXPECT_EQ(At(*middle, 0, 0), RGB(4, 4, 7));
    EXPECT_EQ(At(*middle, 1, 0), clBlack);
}

TEST(Canvas, StretchedDrawingRepeatsAndDropsWholePixelsNeverBlending)
{
    auto source = std::make_unique<TBitmap>();
    source->SetPixelWidth(2);
    source->SetPixelHeight(1);
    auto* p = const_cast<TPixelBuffer*>(source->PeekPixels());
    p->SetPixelAt(0, 0, DevicePixel(clRed));
    p->SetPixelAt(1, 0, DevicePixel(clAqua));
    auto wide = Filled(5, 2, clBlack);
    wide->Surface().DrawStretched({0, 0, 5, 2}, source.get());
    // Column ⌊i × 2 ÷ 5⌋: 0, 0, 0, 1, 1.
    const TColor expected[5] = {clRed, clRed, clRed, clAqua, clAqua};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(At(*wide, x, 0), expected[x]);
        EXPECT_EQ(At(*wide, x, 1), expected[x]);
    }
    auto narrow = Filled(1, 1, clBlack);
    narrow->Surface().DrawStretched({0, 0, 1, 1}, wide.get());
    EXPECT_EQ(At(*narrow, 0, 0), clRed);
}

TEST(Canvas, DrawingNothingNotifiesNothing)
{
    auto target = Filled(2, 2, clWhite);
    int changes = 0;
    target->OnChange = [&](TObject&) { ++changes; };
    TBitmap empty;
    empty.SetPixelWidth(3);  // a width alone makes no pixels
    target->Surface().DrawAt(0, 0, &empty);
    target->Surface().DrawAt(0, 0, nullptr);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(At(*target, 0, 0), clWhite);
}

TEST(Canvas, CopyRectangleScalesWithTheCopyMode)
{
    auto source = Filled(2, 2, RGB(10, 20, 30));
    auto target = Filled(4, 4, RGB(255, 0, 255));
    target->Surface().CopyMode = SRCPAINT;
    target->Surface().CopyRectangle({0, 0, 4, 4}, source->Surface(), {0, 0, 2, 2});
    EXPECT_EQ(At(*target, 3, 3), RGB(255, 20, 255));
}

TEST(Canvas, SurfaceLockCountsNestAndTryLockRespectsThem)
{
    TBitmap b;
    TCanvas& c = b.Surface();
    EXPECT_TRUE(c.TryLockSurface());
    EXPECT_FALSE(c.TryLockSurface());
    c.UnlockSurface();
    c.LockSurface();
    c.LockSurface();
    EXPECT_FALSE(c.TryLockSurface());
    c.UnlockSurface();
    c.UnlockSurface();
    EXPECT_TRUE(c.TryLockSurface());
    c.UnlockSurface();
}

TEST(ResolveColor, SystemColoursComeFromTheClassicTable)
{
    EXPECT_EQ(ResolveColor(clRed), clRed);
    EXPECT_EQ(ResolveColor(clBtnFace), RGB(192, 192, 192));
    EXPECT_EQ(ResolveColor(clWindowText), clBlack);
    EXPECT_EQ(ResolveColor(clWindow), clWhite);
}
