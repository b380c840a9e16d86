// The anaglyph methods pixel by pixel, the frame of a shifted pair, and the
// vertical alignment on photograph-like pairs whose offset is known.
#include "stereo/anaglyph.h"
#include "stereo/anaglyph_methods.h"
#include "core/errors.h"
#include "jpeg_fixtures.h"
#include "picture_bytes.h"
#include "stereo_scene.h"
#include "stereo/vertical_alignment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace tremalu;
using testing_support::RenderStereoEye;
using testing_support::StereoScene;

namespace {

struct MixCase {
    const char* Name;
    TAnaglyphMethod Method;
    TAnaglyphGlasses Glasses;
    uint32_t Left, Right, Expected;  // 0x00RRGGBB
};

class AnaglyphMix : public testing::TestWithParam<MixCase> {};

constexpr auto Couleur = TAnaglyphMethod::Couleur;
constexpr auto DemiCouleur = TAnaglyphMethod::DemiCouleur;
constexpr auto Gris = TAnaglyphMethod::Gris;
constexpr auto Dubois = TAnaglyphMethod::Dubois;
constexpr auto RougeCyan = TAnaglyphGlasses::RougeCyan;
constexpr auto VertMagenta = TAnaglyphGlasses::VertMagenta;
constexpr auto AmbreBleu = TAnaglyphGlasses::AmbreBleu;

// Luma of 0xC86432 is 124.2, of 0x0A141E 18.15, of 0x0000FA exactly 28.5.
// The Dubois values were worked out in double precision from the published
// matrices and the sRGB transfer function; the 0x000000 / 0x0000FF cases
// clip below 0 and above 1 in the same pixel.
const MixCase MixCases[] = {
    {"CouleurRougeCyan", Couleur, RougeCyan, 0xC86432, 0x0A141E, 0xC8141E},
    {"CouleurVertMagenta", Couleur, VertMagenta, 0xC86432, 0x0A141E, 0x0A641E},
    {"CouleurAmbreBleu", Couleur, AmbreBleu, 0xC86432, 0x0A141E, 0xC8641E},
    {"DemiCouleurRoundsHalfUp", DemiCouleur, RougeCyan, 0x0000FA, 0x0A141E, 0x1D141E},
    {"DemiCouleur", DemiCouleur, RougeCyan, 0xC86432, 0x0A141E, 0x7C141E},
    {"GrisRougeCyan", Gris, RougeCyan, 0xC86432, 0x0A141E, 0x7C1212},
    {"GrisVertMagenta", Gris, VertMagenta, 0xC86432, 0x0A141E, 0x127C12},
    {"GrisAmbreBleu", Gris, AmbreBleu, 0xC86432, 0x0A141E, 0x7C7C12},
    {"DuboisRougeCyanWhite", Dubois, RougeCyan, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
    {"DuboisRougeCyanClips", Dubois, RougeCyan, 0x000000, 0x0000FF, 0x0018FF},
    {"DuboisRougeCyan", Dubois, RougeCyan, 0x1EB45A, 0xDC28A0, 0x808BA7},
    {"DuboisVertMagentaClips", Dubois, VertMagenta, 0x000000, 0x0000FF, 0x2B00F8},
    {"DuboisVertMagenta", Dubois, VertMagenta, 0x1EB45A, 0xDC28A0, 0x9A929B},
    {"DuboisAmbreBleuClips", Dubois, AmbreBleu, 0xC86432, 0x0A141E, 0xCB5A00},
    {"DuboisAmbreBleu", Dubois, AmbreBleu, 0xFF0000, 0x00FFFF, 0xF626FF},
};

}  // namespace

TEST_P(AnaglyphMix, GivesThePixelOfItsRule)
{
    const MixCase& c = GetParam();
    const TAnaglyphMixer mixer({c.Method, c.Glasses});
    EXPECT_EQ(mixer.Mix(c.Left, c.Right), c.Expected);
    // The row form gives the same, also in place.
    uint32_t left[2] = {c.Left, c.Left}, right[2] = {c.Right, c.Right};
    mixer.MixRow(left, right, left, 2);
    EXPECT_EQ(left[1], c.Expected);
}

INSTANTIATE_TEST_SUITE_P(, AnaglyphMix, testing::ValuesIn(MixCases), [](const auto& info) { return info.param.Name; });

TEST(AnaglyphMixNames, ReadBackAndHalfColourNeedsRedCyan)
{
    for (auto m : {Couleur, DemiCouleur, Gris, Dubois})
        EXPECT_EQ(MethodByName(MethodName(m)), m);
    for (auto g : {RougeCyan, VertMagenta, AmbreBleu})
        EXPECT_EQ(GlassesByName(GlassesName(g)), g);
    EXPECT_FALSE(MethodByName("Couleur").has_value());
    EXPECT_FALSE((TAnaglyphMix{DemiCouleur, AmbreBleu}.IsUsable()));
}

namespace {

struct FrameCase {
    const char* Name;
    int32_t LeftW, LeftH, RightW, RightH;
    int64_t Dx, Dy;
    TStereoFrame Expected;  // Width, Height, LeftX, LeftY, RightX, RightY
};

class ShiftedFrames : public testing::TestWithParam<FrameCase> {};

const FrameCase FrameCases[] = {
    {"RightMovedLeftAndUp", 100, 80, 100, 80, 10, 5, {90, 75, 0, 0, 10, 5}},
    {"RightMovedRightAndDown", 100, 80, 100, 80, -10, -5, {90, 75, 10, 5, 0, 0}},
    {"DifferentSizesKeepTheCommonPart", 100, 80, 120, 60, 0, 0, {100, 60, 0, 0, 0, 0}},
    {"ShiftIntoALargerRight", 100, 80, 120, 90, 15, -3, {100, 77, 0, 3, 15, 0}},
};

}  // namespace

TEST_P(ShiftedFrames, AreTheOverlap)
{
    const FrameCase& c = GetParam();
    const TStereoFrame f = ShiftedFrame(c.LeftW, c.LeftH, c.RightW, c.RightH, c.Dx, c.Dy);
    const TStereoFrame& e = c.Expected;
    EXPECT_EQ(std::vector<int32_t>({f.Width, f.Height, f.LeftX, f.LeftY, f.RightX, f.RightY}),
              std::vector<int32_t>({e.Width, e.Height, e.LeftX, e.LeftY, e.RightX, e.RightY}));
}

INSTANTIATE_TEST_SUITE_P(, ShiftedFrames, testing::ValuesIn(FrameCases), [](const auto& info) { return info.param.Name; });

TEST(ShiftedFrame, WithoutOverlapAreRefused)
{
    for (const auto& [dx, dy] : {std::pair<int64_t, int64_t>{100, 0}, {-100, 0}, {0, 80}, {0, -80}, {INT64_C(1) << 40, 0}})
        EXPECT_THROW(
            try { ShiftedFrame(100, 80, 100, 80, dx, dy); } catch (const Exception& e) {
                EXPECT_STREQ(e.what(), NoOverlapText);
                throw;
            },
            Exception);
}

TEST(ShiftedFrame, ComposeTheMovedPixels)
{
    const auto noise = [](unsigned seed) {
        std::mt19937 random(seed);
        return testing_support::PaintedBitmap(30, 20, [&](int32_t, int32_t) { return random() & 0xFFFFFF; });
    };
    auto left = noise(1), right = noise(2);
    const TStereoFrame frame = ShiftedFrame(30, 20, 30, 20, -4, 3);
    for (const auto mix : {TAnaglyphMix{}, TAnaglyphMix{Gris, VertMagenta}}) {
        const auto result = ComposeAnaglyph(left.get(), right.get(), frame, mix);
        ASSERT_EQ(result->PixelWidth(), 26);
        ASSERT_EQ(result->PixelHeight(), 17);
        const TAnaglyphMixer mixer(mix);
        for (const auto& [x, y] : {std::pair{0, 0}, {25, 16}, {7, 9}})
            EXPECT_EQ(result->PeekPixels()->PixelAt(x, y),
                      mixer.Mix(left->PeekPixels()->PixelAt(x + 4, y), right->PeekPixels()->PixelAt(x, y + 3)));
    }
}

namespace {

struct AlignmentCase {
    const char* Name;
    StereoScene Scene;
};

class Alignment : public testing::TestWithParam<AlignmentCase> {};

StereoScene Scene(unsigned seed, int32_t lower, double gain = 1.0, double offset = 0.0, int32_t width = 480)
{
    StereoScene s;
    s.Width = width;
    s.Height = 320;
    s.Seed = seed;
    s.RightLower = lower;
    s.RightGain = gain;
    s.RightOffset = offset;
    return s;
}

// 16 rows is 5 % of the height.
const AlignmentCase AlignmentCases[] = {
    {"Aligned", Scene(1, 0)},
    {"RightLower", Scene(2, 6)},
    {"RightHigherAndDarker", Scene(3, -11, 0.85, -4)},
    {"FivePercentLowerAndBrighter", Scene(4, 16, 1.1, 6)},
    {"FivePercentHigher", Scene(5, -16)},
    {"WideAndLower", Scene(6, 9, 0.95, 3, 900)},
};

}  // namespace

TEST_P(Alignment, FindsTheKnownOffsetWithinOnePixel)
{
    const StereoScene& s = GetParam().Scene;
    const auto left = RenderStereoEye(s, false), right = RenderStereoEye(s, true);
    const int32_t estimate = EstimateVerticalOffset({left->PeekPixels(), 0, 0, s.Width, s.Height},
                                                    {right->PeekPixels(), 0, 0, s.Width, s.Height});
    EXPECT_NEAR(estimate, s.RightLower, 1);
}

INSTANTIATE_TEST_SUITE_P(, Alignment, testing::ValuesIn(AlignmentCases), [](const auto& info) { return info.param.Name; });

namespace {

// Pairs that give the search nothing to choose between: every offset
// correlates equally (not at all, or perfectly every few rows).
struct StructurelessCase {
    const char* Name;
    int32_t Width, Height;
    uint32_t (*Left)(int32_t x, int32_t y);
    uint32_t (*Right)(int32_t x, int32_t y);
};

uint32_t Grey(int32_t, int32_t) { return 0x808080; }
uint32_t DarkGrey(int32_t, int32_t) { return 0x303030; }
// Every row alike: structure across, none down.
uint32_t Columns(int32_t x, int32_t) { return static_cast<uint32_t>(x * 37 % 256) * 0x010101u; }
// Bands ten rows high: the picture matches itself every ten rows.
uint32_t Bands(int32_t x, int32_t y) { return (y / 5 % 2 != 0 ? 0xE0E0E0u : 0x202020u) + static_cast<uint32_t>(x % 7); }

class StructurelessAlignment : public testing::TestWithParam<StructurelessCase> {};

// The tall cases need the fine search (more than 256 rows to a coarse row).
const StructurelessCase StructurelessCases[] = {
    {"IdenticalFlat", 640, 480, Grey, Grey},
    {"DifferentFlat", 64, 480, Grey, DarkGrey},
    {"IdenticalRowsAllAlike", 64, 480, Columns, Columns},
    {"IdenticalTallRowsAllAlike", 40, 6000, Columns, Columns},
    {"IdenticalTallFlat", 16, 6000, Grey, Grey},
    {"IdenticalBands", 96, 480, Bands, Bands},
    {"IdenticalTallBands", 40, 6000, Bands, Bands},
};

}  // namespace

TEST_P(StructurelessAlignment, GivesNoOffset)
{
    const StructurelessCase& c = GetParam();
    const auto left = testing_support::DeviceBitmap(c.Width, c.Height, c.Left);
    const auto right = testing_support::DeviceBitmap(c.Width, c.Height, c.Right);
    EXPECT_EQ(EstimateVerticalOffset({left->PeekPixels(), 0, 0, c.Width, c.Height},
                                     {right->PeekPixels(), 0, 0, c.Width, c.Height}),
              0);
}

INSTANTIATE_TEST_SUITE_P(, StructurelessAlignment, testing::ValuesIn(StructurelessCases),
                         [](const auto& info) { return info.param.Name; });

// A pair lower by a little more than the reach (6 % of the height and a
// row): the coarse search, held to the reach, stops at its edge; the fine
// search around that edge must not step past it to the true offset.
TEST(AlignmentReach, TheFineSearchStaysWithinTheReach)
{
    constexpr int32_t Width = 40, Height = 6000, Lower = 380;
    const int32_t reach = static_cast<int32_t>(std::ceil(0.06 * Height)) + 1;
    ASSERT_GT(Lower, reach);
    // One bright band, lower in the RIGHT picture.
    const auto band = [](int32_t top) {
        return [top](int32_t, int32_t y) { return y >= top && y < top + 40 ? 0xFFFFFFu : 0x000000u; };
    };
    const auto left = testing_support::DeviceBitmap(Width, Height, band(1000));
    const auto right = testing_support::DeviceBitmap(Width, Height, band(1000 + Lower));
    const int32_t estimate =
        EstimateVerticalOffset({left->PeekPixels(), 0, 0, Width, Height}, {right->PeekPixels(), 0, 0, Width, Height});
    EXPECT_LE(std::abs(estimate), reach);
}
