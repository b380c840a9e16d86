// The anaglyph methods pixel by pixel, the frame of a shifted pair, and the
// vertical alignment on photograph-like pairs whose offset is known.
#include "stereo/anaglyph.h"
#include "stereo/anaglyph_methods.h"
#include "core/errors.h"
#include "picture_bytes.h"
#include "stereo_scene.h"
#include "stereo/vertical_alignment.h"

#include <gtest/gtest.h>

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
