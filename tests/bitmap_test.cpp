#include "raster/bitmap.h"
#include "core/errors.h"

#include <gtest/gtest.h>

using namespace tremalu;

namespace {

TColor At(const TBitmap& b, int32_t x, int32_t y) { return ColorOfDevicePixel(b.PeekPixels()->PixelAt(x, y)); }

std::unique_ptr<TBitmap> Sized(int32_t w, int32_t h)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelWidth(w);
    b->SetPixelHeight(h);
    return b;
}

void Fill(TBitmap& b, TColor c)
{
    b.Surface().Brush().SetColor(c);
    b.Surface().FillRectangle({0, 0, b.PixelWidth(), b.PixelHeight()});
}

}  // namespace

TEST(BitmapSize, WidthThenHeightMakesAWhiteDeviceBitmap)
{
    TBitmap b;
    EXPECT_TRUE(b.IsEmpty());
    b.SetPixelWidth(3);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.PixelWidth(), 3);
    b.SetPixelHeight(2);
    ASSERT_FALSE(b.IsEmpty());
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pfDevice);
    EXPECT_EQ(b.StorageKind(), TStorageKind::DeviceDependent);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.PeekPixels()->PixelAt(x, y), 0x00FFFFFFu);
    // Getting a surface afterwards does not change the pixels.
    b.Surface();
    EXPECT_EQ(At(b, 2, 1), clWhite);
}

TEST(BitmapSize, SettingTheCurrentWidthDoesNothing)
{
    auto b = Sized(4, 4);
    int changes = 0;
    b->OnChange = [&](TObject&) { ++changes; };
    b->SetPixelWidth(4);
    b->SetPixelHeight(4);
    EXPECT_EQ(changes, 0);
    b->SetPixelWidth(5);
    EXPECT_EQ(changes, 1);
}

TEST(BitmapSize, GrowingBeforeASurfaceFillsWhiteAndAfterWithTheBrush)
{
    auto black = Sized(2, 2);
    Fill(*black, clBlack);
    TBitmap noSurface;
    noSurface.CopyFrom(black.get());  // shares the black pixels, has no surface of its own
    noSurface.SetPixelWidth(3);
    noSurface.SetPixelHeight(3);
    EXPECT_EQ(At(noSurface, 1, 1), clBlack);
    EXPECT_EQ(At(noSurface, 2, 0), clWhite);
    EXPECT_EQ(At(noSurface, 0, 2), clWhite);

    black->Surface().Brush().SetColor(clRed);
    black->SetPixelWidth(3);
    black->SetPixelHeight(3);
    EXPECT_EQ(At(*black, 1, 1), clBlack);
    EXPECT_EQ(At(*black, 2, 0), clRed);
    EXPECT_EQ(At(*black, 2, 2), clRed);
}

TEST(BitmapSize, ShrinkingKeepsTheTopLeft)
{
    auto b = Sized(3, 3);
    const_cast<TPixelBuffer*>(b->PeekPixels())->SetPixelAt(1, 1, DevicePixel(clRed));
    b->SetPixelWidth(2);
    b->SetPixelHeight(2);
    EXPECT_EQ(At(*b, 1, 1), clRed);
    EXPECT_EQ(At(*b, 0, 0), clWhite);
}

TEST(BitmapSize, MoreThanTwoToThe28PixelsIsRefusedAndTheOldImageKept)
{
    auto b = Sized(2, 2);
    Fill(*b, clRed);
    try {
        b->SetPixelWidth(1 << 20);
        b->SetPixelHeight(1 << 20);
        FAIL();
    } catch (const EOutOfMemory& e) {
        EXPECT_STREQ(e.what(), "Mémoire insuffisante");
    }
    ASSERT_FALSE(b->IsEmpty());
    EXPECT_EQ(b->PixelHeight(), 2);
    EXPECT_EQ(At(*b, 0, 1), clRed);
}

TEST(BitmapSharing, CopyFromSharesUntilTheFirstChange)
{
    auto a = Sized(2, 2);
    Fill(*a, clRed);
    TBitmap b;
    b.CopyFrom(a.get());
    EXPECT_EQ(&a->Image(), &b.Image());
    EXPECT_EQ(a->ImageShareCount(), 2);
    Fill(b, clAqua);
    EXPECT_NE(&a->Image(), &b.Image());
    EXPECT_EQ(a->ImageShareCount(), 1);
    EXPECT_EQ(b.ImageShareCount(), 1);
    EXPECT_EQ(At(*a, 0, 0), clRed);
    EXPECT_EQ(At(b, 0, 0), clAqua);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pfDevice);
}

TEST(BitmapSharing, SharedImageOutlivesTheBitmapThatMadeIt)
{
    TBitmap copy;
    {
        auto original = Sized(2, 1);
        Fill(*original, clRed);
        copy.CopyFrom(original.get());
    }
    EXPECT_EQ(copy.ImageShareCount(), 1);
    EXPECT_EQ(At(copy, 1, 0), clRed);
}

TEST(BitmapSharing, RowAndDetachMakeAPrivateCopyFirst)
{
    auto a = Sized(2, 2);
    TBitmap b;
    b.CopyFrom(a.get());
    uint8_t* row = b.Row(0);
    row[0] = 0;  // blue of the top-left pixel
    EXPECT_EQ(At(*a, 0, 0), clWhite);
    EXPECT_EQ(At(b, 0, 0), RGB(255, 255, 0));

    TBitmap c;
    c.CopyFrom(a.get());
    std::unique_ptr<TPixelBuffer> taken = c.DetachHandle();
    ASSERT_NE(taken, nullptr);
    EXPECT_TRUE(c.IsEmpty());
    EXPECT_FALSE(a->IsEmpty());
    EXPECT_NE(taken.get(), a->PeekPixels());
}

TEST(BitmapRow, BoundsAndBottomUpOrder)
{
    auto b = Sized(3, 4);
    for (int32_t bad : {-1, 4}) {
        try {
            b->Row(bad);
            FAIL();
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "Indice ligne hors limites");
        }
    }
    // Row 0 of a bottom-up bitmap is the last stored row.
    EXPECT_EQ(b->Row(0), b->PeekPixels()->Bits() + 3 * b->PeekPixels()->Stride());
    const TBitmapDescription& d = b->Description();
    EXPECT_EQ(d.Header.Size, 40u);
    EXPECT_GT(d.Header.Height, 0);
    EXPECT_EQ(b->Row(3), b->PeekPixels()->Bits());
    TBitmap empty;
    EXPECT_THROW(empty.Row(0), EInvalidGraphicOperation);
}

TEST(BitmapRow, StrideIsPaddedToFourBytes)
{
    auto b = Sized(5, 2);
    b->SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(b->Row(0) - b->Row(1), 16);  // 5 × 3 = 15, padded to 16
}

TEST(BitmapFormat, ConversionsKeepTheColoursTheyCanHold)
{
    struct Case {
        TPixelFormat Format;
        int Bits;
    };
    const Case cases[] = {{TPixelFormat::pf1bit, 1},   {TPixelFormat::pf4bit, 4},   {TPixelFormat::pf8bit, 8},
                          {TPixelFormat::pf15bit, 16}, {TPixelFormat::pf16bit, 16}, {TPixelFormat::pf24bit, 24},
                          {TPixelFormat::pf32bit, 32}};
    for (const Case& c : cases) {
        auto b = Sized(3, 2);
        Fill(*b, clBlack);
        b->Surface().Brush().SetColor(clWhite);
        b->Surface().FillRectangle({1, 0, 2, 2});
        b->SetPixelFormat(c.Format);
        EXPECT_EQ(b->PixelFormat(), c.Format);
        EXPECT_EQ(b->StorageKind(), TStorageKind::DeviceIndependent);
        EXPECT_EQ(b->PeekPixels()->BitsPerPixel(), c.Bits);
        EXPECT_EQ(At(*b, 0, 0), clBlack) << c.Bits;
        EXPECT_EQ(At(*b, 1, 1), clWhite) << c.Bits;
        b->SetPixelFormat(TPixelFormat::pfDevice);
        EXPECT_EQ(b->PixelFormat(), TPixelFormat::pfDevice);
        EXPECT_EQ(At(*b, 1, 0), clWhite) << c.Bits;
    }
}

TEST(BitmapFormat, SixteenBitFormatsDifferByTheirMasks)
{
    auto b = Sized(1, 1);
    b->SetPixelFormat(TPixelFormat::pf16bit);
    EXPECT_EQ(b->Description().Masks[1], 0x07E0u);
    b->SetPixelFormat(TPixelFormat::pf15bit);
    EXPECT_EQ(b->Description().Header.Compression, BI_RGB);
    EXPECT_THROW(b->SetPixelFormat(TPixelFormat::pfCustom), EInvalidGraphic);
    try {
        b->SetPixelFormat(TPixelFormat::pfCustom);
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Format de pixel incorrect");
    }
}

TEST(BitmapFormat, IndexedFormatsGetTheirColourTables)
{
    auto b = Sized(2, 2);
    b->SetPixelFormat(TPixelFormat::pf4bit);
    EXPECT_EQ(b->PeekPixels()->ColorTable().size(), 16u);
    EXPECT_NE(b->Palette(), nullptr);
    b->SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(b->PeekPixels()->ColorTable().size(), 256u);
    b->SetPixelFormat(TPixelFormat::pf1bit);
    EXPECT_EQ(b->PeekPixels()->ColorTable().size(), 2u);
}

TEST(BitmapStorage, EmptyBitmapOnlyRecordsTheWantedKind)
{
    TBitmap b;
    int changes = 0;
    b.OnChange = [&](TObject&) { ++changes; };
    b.SetStorageKind(TStorageKind::DeviceIndependent);
    EXPECT_EQ(b.StorageKind(), TStorageKind::DeviceIndependent);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(changes, 0);
    b.SetPixelWidth(2);
    b.SetPixelHeight(2);
    EXPECT_EQ(b.StorageKind(), TStorageKind::DeviceIndependent);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
}

TEST(BitmapTransparency, AutomaticKeyIsTheBottomLeftPixel)
{
    auto picture = Sized(2, 2);
    Fill(*picture, clRed);
    const_cast<TPixelBuffer*>(picture->PeekPixels())->SetPixelAt(1, 0, DevicePixel(clAqua));
    picture->SetTransparent(true);
    EXPECT_EQ(picture->TransparentKey(), clRed);
    auto target = Sized(2, 2);
    Fill(*target, clBlack);
    target->Surface().CopyMode = SRCAND;  // not used by transparent drawing
    target->Surface().DrawAt(0, 0, picture.get());
    EXPECT_EQ(At(*target, 0, 0), clBlack);
    EXPECT_EQ(At(*target, 1, 0), clAqua);
    EXPECT_EQ(At(*target, 0, 1), clBlack);
}

TEST(BitmapTransparency, FixedKeyAndNone)
{
    auto picture = Sized(2, 1);
    Fill(*picture, clRed);
    const_cast<TPixelBuffer*>(picture->PeekPixels())->SetPixelAt(1, 0, DevicePixel(clAqua));
    picture->SetTransparent(true);
    picture->SetTransparentKey(clAqua);
    EXPECT_EQ(picture->TransparentMode(), TTransparentMode::Fixed);
    auto target = Sized(2, 1);
    Fill(*target, clBlack);
    target->Surface().DrawAt(0, 0, picture.get());
    EXPECT_EQ(At(*target, 0, 0), clRed);
    EXPECT_EQ(At(*target, 1, 0), clBlack);

    picture->SetTransparentKey(clNone);
    Fill(*target, clBlack);
    target->Surface().DrawAt(0, 0, picture.get());
    EXPECT_EQ(At(*target, 1, 0), clAqua);

    picture->SetTransparentKey(clDefault);
    EXPECT_EQ(picture->TransparentMode(), TTransparentMode::Automatic);
}

TEST(BitmapHandles, AdoptAndDetachMovePixelMemory)
{
    TBitmap b;
    auto pixels = TPixelBuffer::MakeDevice(4, 3);
    const TPixelBuffer* raw = pixels.get();
    int changes = 0;
    b.OnChange = [&](TObject&) { ++changes; };
    b.AdoptHandle(std::move(pixels), true);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(b.PeekPixels(), raw);
    EXPECT_EQ(b.PixelWidth(), 4);
    EXPECT_EQ(b.PixelHeight(), 3);
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pfDevice);
    b.AdoptHandle(nullptr, true);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(b.PixelWidth(), 0);
}

TEST(BitmapHandles, DetachPaletteForgetsIt)
{
    auto b = Sized(2, 2);
    b->SetPixelFormat(TPixelFormat::pf8bit);
    HPALETTE p = b->DetachPalette();
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(b->Image().Palette, nullptr);
}
