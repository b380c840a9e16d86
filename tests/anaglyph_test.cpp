// The composition read straight from pixel buffers must give exactly what
// the raster-operation sequence on white bitmaps gives.
#include "stereo/anaglyph.h"
#include "stereo/anaglyph_file.h"
#include "anaglyph_reference.h"
#include "bmp_builder.h"
#include "core/errors.h"
#include "jpeg_fixtures.h"
#include "formats/jpeg/jpeg_image.h"
#include "stereo/save_rules.h"
#include "temp_dir.h"
#include "core/streams.h"
#include "test_kinds.h"

#include <gtest/gtest.h>

#include <random>

using namespace tremalu;
using testing_support::BmpFields;
using testing_support::BuildBmp;
using testing_support::ComposeWithRasterOps;

namespace {

// A device bitmap of varied colours.
std::unique_ptr<TBitmap> Noise(int32_t w, int32_t h, unsigned seed)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelWidth(w);
    b->SetPixelHeight(h);
    std::mt19937 random(seed);
    auto* pixels = const_cast<TPixelBuffer*>(b->PeekPixels());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels->SetPixelAt(x, y, random() & 0xFFFFFF);
    return b;
}

std::unique_ptr<TBitmap> FromFile(const BmpFields& f)
{
    const std::vector<uint8_t> file = BuildBmp(f);
    TReadOnlyMemoryStream in(file.data(), file.size());
    auto b = std::make_unique<TBitmap>();
    b->ReadFromStream(in);
    return b;
}

std::vector<uint8_t> Noise(size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(random());
    return bytes;
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b)
{
    ASSERT_EQ(a.PixelWidth(), b.PixelWidth());
    ASSERT_EQ(a.PixelHeight(), b.PixelHeight());
    for (int32_t y = 0; y < a.PixelHeight(); ++y)
        for (int32_t x = 0; x < a.PixelWidth(); ++x)
            ASSERT_EQ(a.PeekPixels()->PixelAt(x, y), b.PeekPixels()->PixelAt(x, y)) << x << "," << y;
}

void ExpectSameAsReference(TGraphic* left, TGraphic* right)
{
    const int32_t w = left->PixelWidth(), h = left->PixelHeight();
    auto fast = ComposeAnaglyph(left, right, w, h);
    auto reference = ComposeWithRasterOps(left, right, w, h);
    EXPECT_EQ(fast->PixelFormat(), TPixelFormat::pfDevice);
    ExpectSamePixels(*fast, *reference);
}

}  // namespace

TEST(Anaglyph, SameSizePicturesMatchTheRasterOperations)
{
    auto left = Noise(37, 23, 1), right = Noise(37, 23, 2);
    ExpectSameAsReference(left.get(), right.get());
}

TEST(Anaglyph, SmallerAndLargerRightPicturesMatchTheRasterOperations)
{
    auto left = Noise(200, 100, 3);
    auto small = Noise(100, 100, 4);
    ExpectSameAsReference(left.get(), small.get());
    auto square = Noise(100, 100, 5);
    auto big = Noise(200, 200, 6);
    ExpectSameAsReference(square.get(), big.get());
}

TEST(Anaglyph, SmallerRightPictureLeavesWhiteForGreenAndBlue)
{
    auto left = Noise(200, 100, 7);
    auto right = Noise(100, 100, 8);
    auto result = ComposeAnaglyph(left.get(), right.get(), 200, 100);
    for (int32_t y = 0; y < 100; y += 9)
        for (int32_t x = 100; x < 200; x += 7)
            EXPECT_EQ(result->PeekPixels()->PixelAt(x, y), (left->PeekPixels()->PixelAt(x, y) & 0xFF0000) | 0x00FFFF);
}

TEST(Anaglyph, LargerRightPictureIsCutToTheLeftSize)
{
    auto left = Noise(100, 100, 9);
    auto right = Noise(200, 200, 10);
    auto result = ComposeAnaglyph(left.get(), right.get(), 100, 100);
    EXPECT_EQ(result->PixelWidth(), 100);
    EXPECT_EQ(result->PeekPixels()->PixelAt(99, 99) & 0xFFFF, right->PeekPixels()->PixelAt(99, 99) & 0xFFFF);
}

TEST(Anaglyph, IdenticalPicturesGiveThePictureBack)
{
    auto picture = Noise(31, 17, 11);
    auto result = ComposeAnaglyph(picture.get(), picture.get(), 31, 17);
    ExpectSamePixels(*result, *picture);
}

TEST(Anaglyph, WhiteBlackAndRedPixels)
{
    auto left = Noise(3, 1, 12), right = Noise(3, 1, 13);
    const uint32_t l[3] = {0xFFFFFF, 0x000000, 0xFF0000}, r[3] = {0xFFFFFF, 0x000000, 0xFF0000};
    for (int x = 0; x < 3; ++x) {
        const_cast<TPixelBuffer*>(left->PeekPixels())->SetPixelAt(x, 0, l[x]);
        const_cast<TPixelBuffer*>(right->PeekPixels())->SetPixelAt(x, 0, r[x]);
    }
    auto result = ComposeAnaglyph(left.get(), right.get(), 3, 1);
    EXPECT_EQ(result->PeekPixels()->PixelAt(0, 0), 0xFFFFFFu);
    EXPECT_EQ(result->PeekPixels()->PixelAt(1, 0), 0x000000u);
    EXPECT_EQ(result->PeekPixels()->PixelAt(2, 0), 0xFF0000u);
}

TEST(Anaglyph, EveryBitmapLayoutMatchesTheRasterOperations)
{
    struct Layout {
        uint16_t Bits;
        uint32_t Compression;
        int32_t Height;
    };
    const Layout layouts[] = {{1, 0, 9}, {4, 0, 9}, {8, 0, 9}, {16, 0, 9}, {16, 3, 9}, {24, 0, -9}, {32, 0, 9}};
    auto right = Noise(13, 9, 14);
    for (const Layout& l : layouts) {
        BmpFields f;
        f.Width = 13;
        f.Height = l.Height;
        f.BitCount = l.Bits;
        f.Compression = l.Compression;
        f.SeparateMasks = l.Compression == 3;
        f.Masks[0] = 0xF800, f.Masks[1] = 0x07E0, f.Masks[2] = 0x001F;
        if (l.Bits <= 8)
            for (int i = 0; i < (1 << l.Bits); ++i)
                f.Colors.push_back(static_cast<uint32_t>(i * 0x0F1F2F));
        f.Pixels = Noise((13 * l.Bits + 31) / 32 * 4 * 9, l.Bits);
        auto left = FromFile(f);
        SCOPED_TRACE(l.Bits);
        ExpectSameAsReference(left.get(), right.get());
        ExpectSameAsReference(right.get(), left.get());
    }
}

TEST(Anaglyph, TransparentBitmapsAndOtherKindsAreDrawnOnWhiteFirst)
{
    auto left = Noise(20, 10, 15);
    auto right = Noise(12, 12, 16);
    right->SetTransparent(true);
    right->SetTransparentKey(ColorOfDevicePixel(right->PeekPixels()->PixelAt(3, 3)));
    ExpectSameAsReference(left.get(), right.get());

    testing_support::TTestGraphic plain;
    plain.Width = 5;
    plain.Height = 30;
    plain.Color = RGB(1, 2, 3);
    ExpectSameAsReference(left.get(), &plain);

    TBitmap mono;
    mono.AdoptHandle(TPixelBuffer::MakeMonochrome(8, 8), true);
    ExpectSameAsReference(left.get(), &mono);
}

// ---------------------------------------------------------------- JPEG sides read as they decode

namespace {

std::unique_ptr<TJPEGImage> JpegOf(const std::vector<uint8_t>& file)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    TReadOnlyMemoryStream in(file.data(), file.size());
    jpeg->ReadFromStream(in);
    return jpeg;
}

std::vector<uint8_t> JpegFile(int32_t w, int32_t h, unsigned seed, bool progressive = false)
{
    return testing_support::EncodeJpeg(*Noise(w, h, seed), 85, false, progressive);
}

}  // namespace

TEST(AnaglyphJpeg, SidesReadAsTheyDecodeMatchTheDecodedBitmapsAndTheRasterOperations)
{
    for (const auto& [rw, rh] : {std::pair{40, 24}, std::pair{25, 30}, std::pair{60, 10}}) {
        const std::vector<uint8_t> leftFile = JpegFile(40, 24, 20), rightFile = JpegFile(rw, rh, 21, true);
        auto streamedLeft = JpegOf(leftFile), streamedRight = JpegOf(rightFile);
        auto streamed = ComposeAnaglyph(streamedLeft.get(), streamedRight.get(), 40, 24);
        // Composing read the rows without keeping bitmaps.
        EXPECT_FALSE(streamedLeft->HasBitmap());
        EXPECT_FALSE(streamedRight->HasBitmap());
        auto decodedLeft = JpegOf(leftFile), decodedRight = JpegOf(rightFile);
        auto reference = ComposeWithRasterOps(decodedLeft.get(), decodedRight.get(), 40, 24);
        SCOPED_TRACE(rw);
        ExpectSamePixels(*streamed, *reference);
    }
}

TEST(AnaglyphJpeg, OnePictureOnBothSidesGivesItselfBack)
{
    TPicture left, right;
    left.SetGraphic(JpegOf(JpegFile(30, 20, 22)).get());
    right.CopyFrom(&left);  // the two share the compressed bytes
    auto anaglyph = ComposeAnaglyph(left.Graphic(), right.Graphic(), 30, 20);
    auto decoded = JpegOf(JpegFile(30, 20, 22));
    ExpectSamePixels(*anaglyph, decoded->DecodedBitmap());
}

TEST(AnaglyphJpeg, StreamedFileIsTheFileTheSaveButtonWrites)
{
    testing_support::TempDir dir;
    auto left = JpegOf(JpegFile(33, 17, 23));
    auto right = JpegOf(JpegFile(33, 17, 24));
    for (const std::string name : {"a.jpg", "a.BMP"}) {
        SaveAnaglyph(left.get(), right.get(), 33, 17, dir.File("streamed-" + name));
        auto composed = ComposeAnaglyph(JpegOf(JpegFile(33, 17, 23)).get(), JpegOf(JpegFile(33, 17, 24)).get(), 33, 17);
        SaveBitmapByName(*composed, dir.File("whole-" + name));
        EXPECT_EQ(testing_support::ReadBytes(dir.File("streamed-" + name)),
                  testing_support::ReadBytes(dir.File("whole-" + name)))
            << name;
    }
    EXPECT_THROW(SaveAnaglyph(left.get(), right.get(), 33, 17, dir.File("a.png")), Exception);
    EXPECT_EQ(dir.Entries().size(), 4u);
}
