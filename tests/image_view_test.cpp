#include "raster/bitmap.h"
#include "core/errors.h"
#include "raster/image_view.h"
#include "core/ole_graphic.h"

#include <gtest/gtest.h>

using namespace tremalu;

namespace {
void Load(TImage& view, int32_t w, int32_t h, TColor c = clRed)
{
    TBitmap b;
    b.SetPixelWidth(w);
    b.SetPixelHeight(h);
    b.Surface().Brush().SetColor(c);
    b.Surface().FillRectangle({0, 0, w, h});
    view.Picture().SetGraphic(&b);
}
}  // namespace

TEST(ImageView, NewViewIs105Square)
{
    TImage view;
    EXPECT_EQ(view.Width(), 105);
    EXPECT_EQ(view.Height(), 105);
}

TEST(ImageView, TargetRectCentresOrStretches)
{
    TImage view;
    view.SetBounds(0, 0, 10, 10);
    Load(view, 3, 3);
    EXPECT_EQ(view.TargetRect(), (TRect{0, 0, 3, 3}));
    view.SetCenter(true);
    EXPECT_EQ(view.TargetRect(), (TRect{3, 3, 6, 6}));
    view.SetBounds(0, 0, 3, 3);
    Load(view, 10, 10);
    EXPECT_EQ(view.TargetRect(), (TRect{-3, -3, 7, 7}));
    view.SetStretch(true);
    EXPECT_EQ(view.TargetRect(), (TRect{0, 0, 3, 3}));
}

TEST(ImageView, AutoSizeFollowsThePicture)
{
    TImage view;
    view.SetBounds(8, 8, 289, 289);
    view.SetAutoSize(true);
    EXPECT_EQ(view.BoundsRect(), Bounds(8, 8, 0, 0));
    Load(view, 640, 480);
    EXPECT_EQ(view.BoundsRect(), Bounds(8, 8, 640, 480));
    view.SetBounds(1, 2, 30, 40);
    EXPECT_EQ(view.BoundsRect(), Bounds(1, 2, 640, 480));
    // A picture of no size leaves the bounds as they are.
    TOleGraphic nothing;
    view.Picture().SetGraphic(&nothing);
    EXPECT_EQ(view.BoundsRect(), Bounds(1, 2, 640, 480));
    view.SetAutoSize(false);
    view.SetBounds(1, 2, 30, 40);
    EXPECT_EQ(view.Width(), 30);
}

TEST(ImageView, AlignedViewsKeepTheSidesTheirAlignmentFixes)
{
    TImage view;
    view.Align = TAlign::alClient;
    view.SetBounds(0, 0, 50, 60);
    view.SetAutoSize(true);
    Load(view, 7, 8);
    view.SetBounds(0, 0, 50, 60);
    EXPECT_EQ(view.Width(), 50);
    EXPECT_EQ(view.Height(), 60);
    view.Align = TAlign::alTop;
    view.SetBounds(0, 0, 50, 60);
    EXPECT_EQ(view.Width(), 50);
    EXPECT_EQ(view.Height(), 8);
}

TEST(ImageView, EveryPictureChangeAsksForARepaint)
{
    TImage view;
    int repaints = 0;
    view.OnInvalidate = [&] { ++repaints; };
    Load(view, 2, 2);
    const int afterLoad = repaints;
    EXPECT_GE(afterLoad, 1);
    view.Surface().Brush().SetColor(clAqua);
    view.Surface().FillRectangle({0, 0, 1, 1});
    EXPECT_GT(repaints, afterLoad);
}

TEST(ImageView, PaintDrawsThePictureStretchedIntoTheView)
{
    TImage view;
    view.SetBounds(0, 0, 4, 2);
    view.SetStretch(true);
    Load(view, 2, 1, clAqua);
    auto target = TPixelBuffer::MakeDevice(4, 2);
    TPixelCanvas canvas(*target);
    canvas.CopyMode = SRCAND;  // painting always copies
    view.Paint(canvas);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(target->PixelAt(x, y), DevicePixel(clAqua));
    EXPECT_FALSE(view.IsPainting());
}

TEST(ImageView, SurfaceMakesAWhiteBitmapOfTheViewSizeOrRefusesOtherKinds)
{
    TImage view;
    view.SetBounds(0, 0, 6, 5);
    TCanvas& surface = view.Surface();
    ASSERT_NE(view.Picture().Graphic(), nullptr);
    EXPECT_EQ(view.Picture().PixelWidth(), 6);
    EXPECT_EQ(view.Picture().PixelHeight(), 5);
    EXPECT_EQ(surface.Pixels()->PixelAt(5, 4), 0x00FFFFFFu);

    TOleGraphic ole;
    view.Picture().SetGraphic(&ole);
    try {
        view.Surface();
        FAIL();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Ne peut modifier une image que si elle contient un bitmap");
    }
}

TEST(ImageView, OpaqueUnlessTransparentOrSmallerWithoutStretch)
{
    TImage view;
    view.SetBounds(0, 0, 10, 10);
    Load(view, 10, 10);
    EXPECT_TRUE(view.Opaque());
    Load(view, 5, 10);
    EXPECT_FALSE(view.Opaque());
    view.SetStretch(true);
    EXPECT_TRUE(view.Opaque());
    view.SetTransparent(true);
    EXPECT_TRUE(view.Picture().Graphic()->Transparent());
    EXPECT_FALSE(view.Opaque());
}
