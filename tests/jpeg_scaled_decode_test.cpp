// The reduced copy that JPEG previews are drawn from: the scale chosen for a
// rectangle, its pixels against the full decode's, the picture's answers left
// as they were, and its failures against the full decode's.
#include "core/errors.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_scaled_decode.h"
#include "jpeg_fixtures.h"
#include "picture_bytes.h"
#include "raster/bitmap.h"
#include "raster/reduced_copy.h"
#include "core/streams.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

using namespace tremalu;
using testing_support::ChannelDistance;
using testing_support::DeviceBitmap;
using testing_support::EncodeJpeg;
using testing_support::ReadAs;
using testing_support::Shown;

namespace {

// Smooth shading, as photographs mostly are.
uint32_t Shading(int32_t x, int32_t y)
{
    return uint32_t((x / 4) & 255) << 16 | uint32_t((y / 3) & 255) << 8 | uint32_t((x + y) / 8 & 255);
}

std::vector<uint8_t> ShadedFile(int32_t w, int32_t h, bool gray = false, bool progressive = false)
{
    return EncodeJpeg(*DeviceBitmap(w, h, Shading), 90, gray, progressive);
}

// The picture drawn into a w × h bitmap, as a preview draws it.
std::unique_ptr<TBitmap> Drawn(TGraphic& graphic, int32_t w, int32_t h) { return ReducedCopy(graphic, w, h); }

// The text of the failure that drawing raises, or nothing.
std::optional<std::string> DrawFailure(TGraphic& graphic, int32_t w, int32_t h)
{
    try {
        Drawn(graphic, w, h);
    } catch (const Exception& e) {
        return e.message();
    }
    return std::nullopt;
}

}  // namespace

// ---------------------------------------------------------------- the scale

struct ScaleCase {
    const char* Name;
    int32_t PictureWidth, PictureHeight, RectWidth, RectHeight;
    TJPEGReduction Expected;
};

class CoveringScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(CoveringScale, IsTheSmallestDecodeThatCoversTheRectangle)
{
    const ScaleCase& c = GetParam();
    EXPECT_EQ(CoveringReduction(c.PictureWidth, c.PictureHeight, c.RectWidth, c.RectHeight), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, CoveringScale,
    ::testing::Values(ScaleCase{"PreviewOf24MP", 6000, 4000, 290, 193, TJPEGReduction::ReduceEighth},
                      ScaleCase{"EighthRoundedUp", 801, 601, 101, 76, TJPEGReduction::ReduceEighth},
                      ScaleCase{"OnePixelOverAnEighth", 800, 600, 101, 75, TJPEGReduction::ReduceQuarter},
                      ScaleCase{"MoreThanHalf", 800, 600, 401, 300, TJPEGReduction::ReduceNone},
                      ScaleCase{"Mirrored", 800, 600, -100, -75, TJPEGReduction::ReduceEighth},
                      ScaleCase{"EmptyRectangle", 800, 600, 0, 75, TJPEGReduction::ReduceNone},
                      ScaleCase{"OnePixelPicture", 1, 1, 1, 1, TJPEGReduction::ReduceEighth}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- the pixels

TEST(ReducedCopy, PreviewIsNearTheFullDecodeStretchedAndLeavesThePictureFullSize)
{
    for (bool gray : {false, true}) {
        for (bool progressive : {false, true}) {
            const std::vector<uint8_t> file = ShadedFile(800, 600, gray, progressive);
            auto previewed = ReadAs<TJPEGImage>(file);
            const auto preview = Drawn(*previewed, 100, 75);
            EXPECT_FALSE(previewed->HasBitmap()) << "no full decode for a preview";
            ASSERT_TRUE(previewed->HasScaledBitmap());
            EXPECT_EQ(previewed->ScaledBitmap(100, 75)->PixelWidth(), 100);
            EXPECT_EQ(previewed->PixelWidth(), 800);
            EXPECT_EQ(previewed->PixelHeight(), 600);

            auto full = ReadAs<TJPEGImage>(file);
            full->DecodedBitmap();
            const auto stretched = Drawn(*full, 100, 75);
            int worst = 0;
            for (int32_t y = 0; y < 75; ++y)
                for (int32_t x = 0; x < 100; ++x)
                    worst = std::max(worst, ChannelDistance(Shown(*preview, x, y), Shown(*stretched, x, y)));
            // Block averages against single pixels of a shading that moves
            // at most 2 levels a pixel: within a few steps of it.
            EXPECT_LE(worst, 12) << gray << progressive;
        }
    }
}

TEST(ReducedCopy, CopiesShareItWhileNaturalSizeAndBitmapCopiesGetTheFullDecode)
{
    auto jpeg = ReadAs<TJPEGImage>(ShadedFile(160, 120));
    Drawn(*jpeg, 20, 15);
    TJPEGImage copy;
    copy.CopyFrom(jpeg.get());
    EXPECT_TRUE(copy.HasScaledBitmap() && !copy.HasBitmap());
    TBitmap bitmap;
    jpeg->CopyTo(bitmap);
    EXPECT_EQ(bitmap.PixelWidth(), 160);
    Drawn(*jpeg, 160, 120);
    EXPECT_TRUE(jpeg->HasBitmap() && !jpeg->HasScaledBitmap()) << "the full bitmap is drawn from then on";
}

// ---------------------------------------------------------------- damaged files

namespace {

// The file whose frame header claims a size beyond the bitmap limit.
std::vector<uint8_t> ClaimingGiantSize(std::vector<uint8_t> file)
{
    for (size_t i = 2; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = 0x4E, file[i + 6] = 0x20;  // height 20000
            file[i + 7] = 0x4E, file[i + 8] = 0x20;  // width 20000
            break;
        }
    return file;
}

std::vector<uint8_t> CutHalfway(std::vector<uint8_t> file)
{
    file.resize(file.size() / 2);
    return file;
}

struct DamageCase {
    const char* Name;
    std::vector<uint8_t> (*Damage)(std::vector<uint8_t>);
    bool Fails;  // whether the first draw fails
};

class DamagedPreview : public ::testing::TestWithParam<DamageCase> {};

}  // namespace

TEST_P(DamagedPreview, FailsAtItsFirstDrawExactlyAsTheFullDecode)
{
    const std::vector<uint8_t> file = GetParam().Damage(ShadedFile(160, 120));
    auto previewed = ReadAs<TJPEGImage>(file), whole = ReadAs<TJPEGImage>(file);
    const std::optional<std::string> scaledFailure = DrawFailure(*previewed, 40, 30);
    const std::optional<std::string> fullFailure = DrawFailure(*whole, 160, 120);
    EXPECT_EQ(scaledFailure, fullFailure);
    EXPECT_EQ(scaledFailure.has_value(), GetParam().Fails);
    // Like the full decode, a failed decode is not tried again by the next
    // draw, which shows what was decoded.
    EXPECT_EQ(DrawFailure(*previewed, 40, 30), std::nullopt);
    EXPECT_FALSE(previewed->HasBitmap());

    // Decoded ahead on a second thread: the same failure, at the first draw.
    auto ahead = ReadAs<TJPEGImage>(file);
    std::thread other([&] { ahead->DecodeScaledAhead(40, 30); });
    other.join();
    EXPECT_EQ(DrawFailure(*ahead, 40, 30), fullFailure);
    EXPECT_EQ(DrawFailure(*ahead, 40, 30), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedPreview,
    ::testing::Values(DamageCase{"Sound", [](std::vector<uint8_t> f) { return f; }, false},
                      DamageCase{"SecondFrameAfterTheImage", testing_support::WithSecondFrameHeader, true},
                      DamageCase{"BeyondTheBitmapLimit", ClaimingGiantSize, true},
                      DamageCase{"CutHalfway", CutHalfway, false}),
    [](const auto& info) { return std::string(info.param.Name); });
