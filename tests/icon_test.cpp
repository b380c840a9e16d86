// Icon pictures: the choice of the image, the sizes reported before and
// after the first drawing, the refusals, and the drawing by mask and colour
// image or by alpha, on files made by the tests' own writer.
#include "core/errors.h"
#include "formats/icon/icon.h"
#include "formats/icon/icon_directory.h"
#include "icon_builder.h"
#include "picture_bytes.h"

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::At;
using testing_support::BuildIconFile;
using testing_support::DibIconImage;
using testing_support::IconEntryFields;
using testing_support::PngImage;
using testing_support::ReadAs;
using testing_support::WhiteBitmap;

namespace {

// A square image of one colour (a 32-bit DIB without alpha), mask all 0.
IconEntryFields Plain(uint8_t side, uint16_t colors, uint32_t color = 0x123456)
{
    const int32_t n = side == 0 ? 256 : side;
    return {side, side, colors,
            DibIconImage(n, n, std::vector<uint32_t>(size_t(n) * n, color), std::vector<uint8_t>(size_t(n) * n, 0))};
}

}  // namespace

// ---------------------------------------------------------------- choice

struct ChoiceCase {
    const char* Name;
    std::vector<TIconEntry> Entries;
    int32_t WantedWidth, WantedHeight;
    int DisplayBits;
    size_t Chosen;
};

class IconChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(IconChoice, PicksTheEntry)
{
    const ChoiceCase& c = GetParam();
    EXPECT_EQ(ChooseIconEntry(c.Entries, c.WantedWidth, c.WantedHeight, DisplayColorCapacity(1, c.DisplayBits)),
              c.Chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IconChoice,
    ::testing::Values(
        ChoiceCase{"StandardSizeAmongThree", {{16, 16, 16}, {32, 32, 16}, {48, 48, 16}}, 32, 32, 32, 1},
        ChoiceCase{"OnlyOneImage", {{16, 16, 16}}, 32, 32, 32, 0},
        ChoiceCase{"SmallerBeatsLargerAtEqualDistance", {{48, 48, 16}, {16, 16, 16}}, 32, 32, 32, 1},
        ChoiceCase{"LargerDoesNotBeatSmaller", {{16, 16, 16}, {48, 48, 16}}, 32, 32, 32, 0},
        ChoiceCase{"MoreColoursOnATrueColourDisplay", {{32, 32, 16}, {32, 32, 0}}, 32, 32, 24, 1},
        ChoiceCase{"UnlimitedColoursExceedAnEightBitDisplay", {{32, 32, 16}, {32, 32, 0}}, 32, 32, 8, 0},
        ChoiceCase{"FirstUnlimitedStaysOnTrueColour", {{32, 32, 0}, {32, 32, 16}}, 32, 32, 24, 0},
        ChoiceCase{"FirstUnlimitedStaysOnEightBits", {{32, 32, 0}, {32, 32, 16}}, 32, 32, 8, 0},
        ChoiceCase{"TiesKeepTheLaterEntry", {{32, 32, 16}, {32, 32, 16}, {32, 32, 16}}, 32, 32, 32, 2},
        ChoiceCase{"ColourWordIncludesTheReservedByte", {{32, 32, 0x0110}, {32, 32, 0x0100}}, 32, 32, 32, 0},
        ChoiceCase{"RequestedSize", {{16, 16, 16}, {32, 32, 16}, {48, 48, 16}}, 48, 48, 32, 2},
        ChoiceCase{"EachAxisOnItsOwn", {{32, 16, 16}, {16, 32, 16}, {16, 16, 16}}, 16, 16, 32, 2}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- sizes

TEST(IconSize, StandardUntilFirstDrawnThenTheChosenImages)
{
    auto icon = ReadAs<TIcon>(BuildIconFile({Plain(16, 16)}));
    EXPECT_EQ(icon->PixelWidth(), 32);
    EXPECT_EQ(icon->PixelHeight(), 32);
    icon->SetPixelWidth(16);  // allowed before the icon is made
    auto b = WhiteBitmap(40, 40);
    b->Surface().DrawAt(0, 0, icon.get());
    EXPECT_EQ(icon->PixelWidth(), 16);
    EXPECT_EQ(icon->PixelHeight(), 16);
    try {
        icon->SetPixelHeight(8);
        FAIL() << "size changed after the icon was made";
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.message(), "Impossible de modifier la taille d'une icône");
    }
}

TEST(IconSize, ZeroSizeByteIsTwoHundredFiftySix)
{
    auto icon = ReadAs<TIcon>(BuildIconFile({Plain(0, 0)}));
    auto b = WhiteBitmap(4, 4);
    b->Surface().DrawAt(0, 0, icon.get());
    EXPECT_EQ(icon->PixelWidth(), 256);
    EXPECT_EQ(icon->PixelHeight(), 256);
    EXPECT_EQ(At(*b, 3, 3), 0x123456u);
}

// ---------------------------------------------------------------- refusals

struct RefusalCase {
    const char* Name;
    std::vector<uint8_t> File;
    bool AtReading;  // refused when read, else when first drawn
    bool ReadFailure;
    const char* Text;
};

class IconRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(IconRefusal, GivesItsText)
{
    const RefusalCase& c = GetParam();
    try {
        auto icon = ReadAs<TIcon>(c.File);
        ASSERT_FALSE(c.AtReading) << "read";
        EXPECT_EQ(icon->PixelWidth(), 32);
        auto b = WhiteBitmap(4, 4);
        b->Surface().DrawAt(0, 0, icon.get());
        FAIL() << "drawn";
    } catch (const EReadError& e) {
        EXPECT_TRUE(c.ReadFailure);
        EXPECT_EQ(e.message(), c.Text);
    } catch (const EInvalidGraphic& e) {
        EXPECT_FALSE(c.ReadFailure);
        EXPECT_EQ(e.message(), c.Text);
    }
}

namespace {

std::vector<uint8_t> WithEntryOffset(int64_t offset)
{
    IconEntryFields e = Plain(16, 16);
    e.OffsetField = offset;
    return BuildIconFile({e});
}

std::vector<uint8_t> WithBrokenImage()
{
    IconEntryFields e = Plain(16, 16);
    e.Data[14] = 3;  // 3 bits per pixel
    return BuildIconFile({e});
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, IconRefusal,
    ::testing::Values(
        RefusalCase{"CursorFile", BuildIconFile({Plain(16, 16)}, 2), true, false, "Image icône incorrecte"},
        RefusalCase{"ShorterThanItsHeader", {0, 0, 1, 0, 1}, true, true, "Erreur de lecture du flux"},
        RefusalCase{"NoImage", BuildIconFile({}), false, false, "Image icône incorrecte"},
        RefusalCase{"DirectoryCutShort",
                    [] {
                        auto f = BuildIconFile({Plain(16, 16)});
                        f.resize(14);
                        return f;
                    }(),
                    false, false, "Image icône incorrecte"},
        RefusalCase{"EntryOutsideTheFile", WithEntryOffset(0xFFFFFFF0), false, false, "Image icône incorrecte"},
        RefusalCase{"ImageNotABitmap", WithBrokenImage(), false, false, "Image icône incorrecte"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(IconRead, TypeZeroIsAcceptedAndDrawsNothing)
{
    auto icon = ReadAs<TIcon>(BuildIconFile({Plain(16, 16)}, 0));
    auto b = WhiteBitmap(20, 20);
    b->Surface().DrawAt(0, 0, icon.get());
    EXPECT_EQ(At(*b, 5, 5), 0xFFFFFFu);
    EXPECT_EQ(icon->PixelWidth(), 32);
    EXPECT_TRUE(icon->IsMade());
}

// ---------------------------------------------------------------- drawing

// Four pixels, one for each case of the rule: the AND mask keeps (1) or
// clears (0) the surface, then the colour is XORed onto it.
TEST(IconDrawing, MaskAndThenXorAtItsOwnSizeNeverStretched)
{
    const std::vector<uint32_t> colors = {0x000000, 0xFF0000, 0x0000FF, 0x00FF00};
    const std::vector<uint8_t> mask = {1, 0, 1, 0};
    auto icon = ReadAs<TIcon>(BuildIconFile({{2, 2, 0, DibIconImage(2, 2, colors, mask)}}));
    auto b = WhiteBitmap(10, 10);
    b->Surface().FillRectangle({0, 0, 10, 10});
    b->Surface().DrawStretched({3, 4, 10, 10}, icon.get());  // a larger rectangle: ignored
    EXPECT_EQ(At(*b, 3, 4), 0xFFFFFFu);  // kept, XOR black: transparent
    EXPECT_EQ(At(*b, 4, 4), 0xFF0000u);  // cleared, XOR red: red
    EXPECT_EQ(At(*b, 3, 5), 0xFFFF00u);  // kept, XOR blue: white turned yellow (inverted blue)
    EXPECT_EQ(At(*b, 4, 5), 0x00FF00u);
    EXPECT_EQ(At(*b, 5, 5), 0xFFFFFFu);  // outside the icon's own 2 × 2
    EXPECT_EQ(At(*b, 2, 4), 0xFFFFFFu);
}

TEST(IconDrawing, FourBitImageTakesItsColourTableWhateverTheHeaderSays)
{
    std::vector<uint32_t> palette(16, 0);
    palette[5] = 0x00FF00;
    auto icon = ReadAs<TIcon>(BuildIconFile({{2, 1, 16, DibIconImage(2, 1, {5, 0}, {0, 1}, palette)}}));
    auto b = WhiteBitmap(4, 4);
    b->Surface().DrawAt(1, 1, icon.get());
    EXPECT_EQ(At(*b, 1, 1), 0x00FF00u);
    EXPECT_EQ(At(*b, 2, 1), 0xFFFFFFu);
}

struct AlphaCase {
    const char* Name;
    bool Png;
};

class IconAlpha : public ::testing::TestWithParam<AlphaCase> {};

// Alpha images blend over the surface; the mask (all 0 here) plays no part.
TEST_P(IconAlpha, BlendsOverTheSurface)
{
    const std::vector<uint32_t> pixels = {0xFFFF0000, 0x800000FF, 0x00000000, 0x40FFFFFF};
    const std::vector<uint8_t> data =
        GetParam().Png ? PngImage(2, 2, pixels) : DibIconImage(2, 2, pixels, std::vector<uint8_t>(4, 0));
    auto icon = ReadAs<TIcon>(BuildIconFile({{2, 2, 0, data}}));
    auto b = WhiteBitmap(2, 2);
    b->Surface().Brush().SetColor(clBlack);
    b->Surface().FillRectangle({0, 0, 2, 2});
    b->Surface().DrawAt(0, 0, icon.get());
    EXPECT_EQ(At(*b, 0, 0), 0xFF0000u);
    EXPECT_EQ(At(*b, 1, 0), 0x000080u);
    EXPECT_EQ(At(*b, 0, 1), 0x000000u);
    EXPECT_EQ(At(*b, 1, 1), 0x404040u);
}

INSTANTIATE_TEST_SUITE_P(Cases, IconAlpha, ::testing::Values(AlphaCase{"Png", true}, AlphaCase{"ThirtyTwoBit", false}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(IconCopy, SharesTheImageMadeOnce)
{
    auto icon = ReadAs<TIcon>(BuildIconFile({Plain(16, 16)}));
    TIcon copy;
    copy.CopyFrom(icon.get());
    auto b = WhiteBitmap(4, 4);
    b->Surface().DrawAt(0, 0, icon.get());
    EXPECT_TRUE(copy.IsMade());
    EXPECT_EQ(copy.PixelWidth(), 16);
}
