// The JPEG picture kind as a picture: settings, the two forms and when each
// is made, copies, size and palette, the stored form, failures of reading.
#include "stereo/anaglyph.h"
#include "anaglyph_reference.h"
#include "raster/bitmap.h"
#include "core/errors.h"
#include "core/format_registry.h"
#include "jpeg_fixtures.h"
#include "formats/jpeg/jpeg_image.h"
#include "core/streams.h"

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::DeviceBitmap;
using testing_support::EncodeJpeg;
using testing_support::Shown;

namespace {

uint32_t Smooth(int32_t x, int32_t y)
{
    return static_cast<uint32_t>(((x * 3) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x + y) & 0xFF));
}

const std::vector<uint8_t>& File640x480()
{
    static const std::vector<uint8_t> file = EncodeJpeg(*DeviceBitmap(640, 480, Smooth), 90);
    return file;
}

std::unique_ptr<TJPEGImage> Read(const std::vector<uint8_t>& file)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    TReadOnlyMemoryStream stream(file.data(), file.size());
    jpeg->ReadFromStream(stream);
    return jpeg;
}

std::vector<uint8_t> Written(TGraphic& graphic)
{
    TMemoryStream out;
    graphic.WriteToStream(out);
    return {out.Memory(), out.Memory() + out.ByteCount()};
}

// Counts the picture's notifications and decodes (each decode begins with a
// StageStarting report).
struct Watch {
    explicit Watch(TGraphic& graphic)
    {
        graphic.OnChange = [this](TObject&) { ++Changes; };
        graphic.OnProgress = [this](TObject&, TProgressStage stage, uint8_t, bool, const TRect&, const std::string&) {
            Starts += stage == TProgressStage::StageStarting;
        };
    }
    int Changes = 0;
    int Starts = 0;
};

std::string JpegErrorText(int code) { return "Erreur JPEG #" + std::to_string(code); }

}  // namespace

TEST(JpegSettings, NewPictureTakesTheDefaultsAndTheModuleTookTheScreenDepth)
{
    TJPEGImage jpeg;
    EXPECT_EQ(jpeg.EncodeQuality(), 90);
    EXPECT_FALSE(jpeg.GrayMode());
    EXPECT_EQ(jpeg.DecodeSpeed(), TJPEGDecodeSpeed::FavourQuality);
    EXPECT_EQ(jpeg.BitmapDepth(), TJPEGBitmapDepth::Depth24);  // a 32-bit screen
    EXPECT_FALSE(jpeg.ScanByScanDisplay());
    EXPECT_FALSE(jpeg.WriteProgressive());
    EXPECT_EQ(jpeg.ReduceBy(), TJPEGReduction::ReduceNone);
    EXPECT_TRUE(jpeg.BlockSmoothing());
    EXPECT_EQ(JpegDepthForScreen(8), TJPEGBitmapDepth::Depth8);
    EXPECT_EQ(JpegDepthForScreen(4), TJPEGBitmapDepth::Depth8);
    EXPECT_EQ(JpegDepthForScreen(16), TJPEGBitmapDepth::Depth24);
    EXPECT_EQ(FormatRegistry().FindByExtension("jpeg"), &TJPEGImage::StaticClass());

    // Pictures copy the defaults when they are made.
    DefaultJpegSettings().EncodeQuality = 75;
    TJPEGImage later;
    DefaultJpegSettings().EncodeQuality = 90;
    EXPECT_EQ(later.EncodeQuality(), 75);
}

TEST(JpegLifecycle, SizeComesFromTheHeaderAndTheFirstNeedForPixelsDecodesOnce)
{
    auto jpeg = Read(File640x480());
    Watch watch(*jpeg);
    EXPECT_EQ(jpeg->PixelWidth(), 640);
    EXPECT_EQ(jpeg->PixelHeight(), 480);
    EXPECT_FALSE(jpeg->HasBitmap());
    EXPECT_FALSE(jpeg->IsEmpty());

    TBitmap target;
    target.SetPixelWidth(640);
    target.SetPixelHeight(480);
    target.Surface().DrawAt(0, 0, jpeg.get());
    EXPECT_EQ(watch.Starts, 1);
    ASSERT_TRUE(jpeg->HasBitmap());
    EXPECT_EQ(jpeg->DecodedBitmap().PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(jpeg->DecodedBitmap().PixelWidth(), 640);
    EXPECT_EQ(jpeg->DecodedBitmap().PixelHeight(), 480);
    // A draw at the picture's own size is a copy of the decoded bitmap.
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {320, 241}, {639, 479}})
        EXPECT_EQ(Shown(target, x, y), Shown(jpeg->DecodedBitmap(), x, y)) << x << "," << y;

    target.Surface().DrawAt(0, 0, jpeg.get());
    TBitmap copy;
    copy.CopyFrom(jpeg.get());
    EXPECT_EQ(watch.Starts, 1);
    EXPECT_EQ(copy.PeekPixels(), jpeg->DecodedBitmap().PeekPixels());  // shared, not copied
}

TEST(JpegLifecycle, ReadingFailuresGiveTheCodecsCodeOrTheStreamsText)
{
    // A BMP named .jpg: no start-of-image marker.
    const std::vector<uint8_t> bmp = {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
    try {
        Read(bmp);
        FAIL() << "no failure";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.message(), JpegErrorText(53));
    }
    // A lossless frame (SOF3), which this codec does not decode.
    std::vector<uint8_t> lossless = File640x480();
    for (size_t i = 2; i + 1 < lossless.size(); ++i)
        if (lossless[i] == 0xFF && lossless[i + 1] == 0xC0) {
            lossless[i + 1] = 0xC3;
            break;
        }
    try {
        Read(lossless);
        FAIL() << "no failure";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.message(), JpegErrorText(60));
    }
    // A stored form announcing more bytes than there are.
    TMemoryStream stored;
    stored.WriteU32(1000);
    stored.WriteBuffer(File640x480().data(), 10);
    stored.SetPosition(0);
    TJPEGImage jpeg;
    try {
        jpeg.ReadData(stored);
        FAIL() << "no failure";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.message(), texts::StreamRead);
    }
}

TEST(JpegLifecycle, EmptyFileReadsAsZeroByZeroAndFailsAtItsFirstDrawOnly)
{
    auto jpeg = Read({});
    EXPECT_EQ(jpeg->PixelWidth(), 0);
    EXPECT_EQ(jpeg->PixelHeight(), 0);
    EXPECT_FALSE(jpeg->IsEmpty());
    TBitmap target;
    target.SetPixelWidth(4);
    target.SetPixelHeight(4);
    try {
        target.Surface().DrawAt(0, 0, jpeg.get());
        FAIL() << "no failure";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.message(), JpegErrorText(42));
    }
    // The failed decode leaves an empty bitmap, shown without a new attempt.
    EXPECT_NO_THROW(target.Surface().DrawStretched({0, 0, 4, 4}, jpeg.get()));
    EXPECT_EQ(Shown(target, 0, 0), 0xFFFFFFu);
    EXPECT_TRUE(Written(*jpeg).empty());
}

TEST(JpegLifecycle, NewPictureDrawsNothingCopiesAsAnEmptyBitmapAndWritesNothing)
{
    TJPEGImage jpeg;
    EXPECT_TRUE(jpeg.IsEmpty());
    TBitmap target;
    target.SetPixelWidth(3);
    target.SetPixelHeight(3);
    target.Surface().DrawStretched({0, 0, 3, 3}, &jpeg);
    EXPECT_EQ(Shown(target, 1, 1), 0xFFFFFFu);
    TBitmap copy;
    copy.CopyFrom(&jpeg);
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_TRUE(Written(jpeg).empty());
    // A bitmap of no size encodes to nothing either.
    TBitmap empty;
    jpeg.CopyFrom(&empty);
    EXPECT_TRUE(Written(jpeg).empty());
}

TEST(JpegLifecycle, SizeChangesAreRefused)
{
    auto jpeg = Read(File640x480());
    for (int side = 0; side < 2; ++side) {
        try {
            side == 0 ? jpeg->SetPixelWidth(100) : jpeg->SetPixelHeight(100);
            FAIL() << "no failure";
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.message(), "Impossible de modifier la taille d'une image JPEG");
        }
    }
    EXPECT_EQ(jpeg->PixelWidth(), 640);
}

TEST(JpegCopies, CopiesShareOneDataAndCompareAsTheSameUntilEncoded)
{
    auto bitmap = DeviceBitmap(20, 10, Smooth);
    TJPEGImage a;
    a.SetEncodeQuality(100);
    a.CopyFrom(bitmap.get());
    Watch watch(a);
    TJPEGImage b;
    b.CopyFrom(&a);
    EXPECT_EQ(&a.Data(), &b.Data());
    EXPECT_EQ(a.DataShareCount(), 2);
    EXPECT_TRUE(a.SameAs(&b));
    EXPECT_TRUE(b.SameAs(&a));
    EXPECT_EQ(b.EncodeQuality(), 90);  // settings are not copied
    EXPECT_EQ(b.DecodedBitmap().PeekPixels(), bitmap->PeekPixels());
    EXPECT_EQ(watch.Changes, 0);

    TJPEGImage other;
    other.CopyFrom(bitmap.get());
    EXPECT_FALSE(a.SameAs(&other));  // the same pixels, but other data
    EXPECT_FALSE(a.SameAs(bitmap.get()));

    // Read pictures compare by their bytes.
    auto r1 = Read(File640x480());
    auto r2 = Read(File640x480());
    EXPECT_NE(&r1->Data(), &r2->Data());
    EXPECT_TRUE(r1->SameAs(r2.get()));
    EXPECT_FALSE(r1->SameAs(Read(Written(a)).get()));

    // Copying a picture without bitmap drops the own one; copying itself is harmless.
    b.CopyFrom(r1.get());
    EXPECT_FALSE(b.HasBitmap());
    EXPECT_EQ(b.PixelWidth(), 640);
    EXPECT_EQ(a.DataShareCount(), 1);
    b.CopyFrom(&b);
    EXPECT_EQ(b.DataShareCount(), 2);
    EXPECT_EQ(Written(b), File640x480());
}

TEST(JpegCopies, CopyingABitmapInKeepsItUntilTheFirstWrite)
{
    auto bitmap = DeviceBitmap(9, 7, Smooth);
    auto jpeg = Read(File640x480());
    jpeg->CopyFrom(bitmap.get());
    EXPECT_EQ(jpeg->Data().Encoded, nullptr);
    EXPECT_EQ(jpeg->PixelWidth(), 9);
    const std::vector<uint8_t> first = Written(*jpeg);
    ASSERT_NE(jpeg->Data().Encoded, nullptr);
    EXPECT_EQ(jpeg->Data().HeaderWidth, 9);
    EXPECT_EQ(jpeg->Data().HeaderHeight, 7);
    EXPECT_EQ(Written(*jpeg), first);  // encoded once, then kept

    // A missing source is refused as every picture refuses it.
    EXPECT_THROW(jpeg->CopyFrom(static_cast<const TPersistent*>(nullptr)), EConvertError);
}

TEST(JpegSettingsChanges, GrayModeDropsTheBitmapAndAnnouncesOnlyARealChange)
{
    TJPEGImage fresh;
    Watch freshWatch(fresh);
    fresh.SetGrayMode(false);
    EXPECT_EQ(freshWatch.Changes, 0);
    EXPECT_FALSE(fresh.PaletteModified());

    auto jpeg = Read(File640x480());
    jpeg->DecodedBitmap();
    jpeg->SetPaletteModified(false);
    Watch watch(*jpeg);
    jpeg->SetGrayMode(true);
    EXPECT_EQ(watch.Changes, 1);
    EXPECT_TRUE(jpeg->PaletteModified());
    EXPECT_FALSE(jpeg->HasBitmap());
    jpeg->SetGrayMode(true);
    EXPECT_EQ(watch.Changes, 1);
    // The next need for pixels decodes again, to gray levels.
    const TBitmap& gray = jpeg->DecodedBitmap();
    EXPECT_EQ(watch.Starts, 1);
    EXPECT_EQ(gray.PixelFormat(), TPixelFormat::pf8bit);
    for (const TPaletteEntry& e : gray.Palette()->Entries) {
        EXPECT_EQ(e.Red, e.Green);
        EXPECT_EQ(e.Green, e.Blue);
    }
}

TEST(JpegPalette, HeldPaletteIsReportedAndAChangeDropsADecodedBitmap)
{
    auto jpeg = Read(File640x480());
    EXPECT_EQ(jpeg->Palette(), nullptr);  // 24-bit decoding on a 32-bit screen
    Watch watch(*jpeg);
    const HPALETTE p = MakePalette({{0, 0, 255, 0}, {255, 255, 255, 0}});
    jpeg->SetPalette(p);
    EXPECT_EQ(jpeg->Palette(), p);
    EXPECT_EQ(watch.Changes, 0);  // no bitmap to drop

    jpeg->DecodedBitmap();  // 24 bits: the held palette has no use and goes
    EXPECT_FALSE(jpeg->DecodedBitmap().Palette());
    watch.Changes = 0;
    jpeg->SetPaletteModified(false);
    const HPALETTE q = MakePalette({{1, 2, 3, 0}});
    jpeg->SetPalette(q);
    EXPECT_FALSE(jpeg->HasBitmap());
    EXPECT_EQ(watch.Changes, 1);
    EXPECT_TRUE(jpeg->PaletteModified());
    jpeg->SetPalette(q);
    EXPECT_EQ(watch.Changes, 1);
}

TEST(JpegPalette, EightBitDecodingUsesAPaletteGivenFromOutside)
{
    // Blocks of pure red and pure blue, aligned on the 16-pixel iMCU grid.
    auto bitmap = DeviceBitmap(32, 16, [](int32_t x, int32_t) { return x < 16 ? 0xFF0000u : 0x0000FFu; });
    auto jpeg = Read(EncodeJpeg(*bitmap, 100));
    jpeg->SetBitmapDepth(TJPEGBitmapDepth::Depth8);
    const HPALETTE p = MakePalette({{0, 0, 0, 0}, {0, 0, 255, 0}, {255, 0, 0, 0}, {255, 255, 255, 0}});
    jpeg->SetPalette(p);
    const TBitmap& decoded = jpeg->DecodedBitmap();
    EXPECT_EQ(decoded.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(decoded.Palette(), p);
    EXPECT_EQ(decoded.PeekPixels()->ScanLine(8)[4], 1);   // red
    EXPECT_EQ(decoded.PeekPixels()->ScanLine(8)[28], 2);  // blue
}

TEST(JpegStoredForm, CountThenBytesAndNothingIsEncodedToWriteIt)
{
    auto jpeg = Read(File640x480());
    TMemoryStream stored;
    jpeg->WriteData(stored);
    ASSERT_EQ(stored.ByteCount(), 4 + File640x480().size());
    stored.SetPosition(0);
    EXPECT_EQ(stored.ReadU32(), File640x480().size());
    stored.SetPosition(0);
    TJPEGImage back;
    back.ReadData(stored);
    EXPECT_EQ(back.PixelWidth(), 640);
    EXPECT_EQ(Written(back), File640x480());

    TJPEGImage fromBitmap;
    fromBitmap.CopyFrom(DeviceBitmap(5, 5, Smooth).get());
    TMemoryStream none;
    fromBitmap.WriteData(none);
    EXPECT_EQ(none.ByteCount(), 4u);
    EXPECT_EQ(fromBitmap.Data().Encoded, nullptr);
}

TEST(JpegLifecycle, ReducedSizeIsKnownBeforeDecoding)
{
    auto jpeg = Read(EncodeJpeg(*DeviceBitmap(101, 49, Smooth), 90));
    jpeg->SetReduceBy(TJPEGReduction::ReduceHalf);
    EXPECT_EQ(jpeg->PixelWidth(), 51);
    EXPECT_EQ(jpeg->PixelHeight(), 25);
    EXPECT_FALSE(jpeg->HasBitmap());
    jpeg->SetReduceBy(TJPEGReduction::ReduceEighth);
    EXPECT_EQ(jpeg->PixelWidth(), 13);
    const TBitmap& decoded = jpeg->DecodedBitmap();
    EXPECT_EQ(decoded.PixelWidth(), 13);
    EXPECT_EQ(decoded.PixelHeight(), 7);
}

TEST(JpegInComposition, SidesAreReadFromTheDecodedBitmapsAsDrawingThemWouldGive)
{
    auto left = Read(EncodeJpeg(*DeviceBitmap(37, 21, Smooth), 80));
    auto right = Read(EncodeJpeg(*DeviceBitmap(30, 25, [](int32_t x, int32_t y) { return Smooth(y, x); }), 80, true));
    auto reference = testing_support::ComposeWithRasterOps(left.get(), right.get(), 37, 21);
    auto fast = ComposeAnaglyph(left.get(), right.get(), 37, 21);
    for (int32_t y = 0; y < 21; ++y)
        for (int32_t x = 0; x < 37; ++x)
            ASSERT_EQ(Shown(*fast, x, y), Shown(*reference, x, y)) << x << "," << y;
    // A picture with nothing to decode stays as it was.
    TJPEGImage fresh;
    auto blank = ComposeAnaglyph(&fresh, &fresh, 2, 2);
    EXPECT_EQ(Shown(*blank, 1, 1), 0xFFFFFFu);
    EXPECT_FALSE(fresh.HasBitmap());
}
