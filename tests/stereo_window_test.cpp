// The automatic stereo window on layered scenes whose disparities are known:
// the nearest significant layer found within a pixel, through the reduced
// copies and the full-size refinement, with an exposure difference and a
// vertical offset; pairs with nothing to match.
#include "stereo/stereo_window.h"
#include "stereo_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using namespace tremalu;
using testing_support::LayeredScene;
using testing_support::RenderLayeredEye;

namespace {

struct WindowCase {
    const char* Name;
    LayeredScene Scene;
    std::optional<int32_t> Nearest;  // the disparity of the nearest significant layer; none: nothing to match
    int32_t Farthest = 0;
    enum { Pair, Unrelated, Flat } Pictures = Pair;  // Unrelated: the RIGHT picture is another scene's
};

LayeredScene Scene(int32_t width, int32_t height, int32_t background, std::vector<testing_support::SceneLayer> layers)
{
    LayeredScene s;
    s.Width = width;
    s.Height = height;
    s.BackgroundDisparity = background;
    s.Layers = std::move(layers);
    return s;
}

LayeredScene Exposed(LayeredScene s, double gain, double offset)
{
    s.RightGain = gain;
    s.RightOffset = offset;
    return s;
}

LayeredScene Lowered(LayeredScene s, int32_t rows)
{
    s.RightLower = rows;
    return s;
}

// The same plain grey in both eyes.
std::unique_ptr<TBitmap> FlatPicture(int32_t width, int32_t height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetPixelWidth(width);
    bitmap->SetPixelHeight(height);
    for (int32_t y = 0; y < height; ++y)
        std::fill_n(bitmap->Row(y), 3 * width, uint8_t{128});
    return bitmap;
}

const WindowCase WindowCases[] = {
    {"OneLayerBeforeTheBackground", Scene(480, 360, 3, {{0.2, 0.2, 0.6, 0.7, 14}}), 14, 3},
    {"ThreeLayers", Scene(480, 360, 1, {{0.05, 0.5, 0.45, 0.95, 6}, {0.5, 0.1, 0.9, 0.6, 11}, {0.3, 0.3, 0.55, 0.8, 19}}),
     19, 1},
    {"SpeckNearerThanTheSignificant", Scene(480, 360, 2, {{0.1, 0.1, 0.7, 0.9, 9}, {0.8, 0.8, 0.84, 0.84, 40}}), 9, 2},
    {"BehindAndInFrontOfTheScreen", Scene(480, 360, -8, {{0.4, 0.3, 0.8, 0.9, 5}}), 5, -8},
    {"ExposureDifference", Exposed(Scene(480, 360, 2, {{0.15, 0.3, 0.6, 0.8, 12}}), 0.6, 35.0), 12, 2},
    {"AfterTheVerticalOffset", Lowered(Scene(480, 360, 0, {{0.3, 0.2, 0.7, 0.6, 10}}), 9), 10, 0},
    // Four times the reduced copy's width: the answer is found again at
    // full size.
    {"ReducedFourTimes", Scene(1800, 1000, 4, {{0.25, 0.3, 0.65, 0.75, 37}}), 37, 4},
    {"FlatPictures", Scene(480, 360, 0, {}), std::nullopt, 0, WindowCase::Flat},
    {"UnrelatedPictures", Scene(480, 360, 0, {{0.2, 0.2, 0.6, 0.7, 10}}), std::nullopt, 0, WindowCase::Unrelated},
    {"TooSmall", Scene(40, 12, 0, {}), std::nullopt},
};

class StereoWindow : public testing::TestWithParam<WindowCase> {};

}  // namespace

TEST_P(StereoWindow, FindsTheNearestSignificantLayer)
{
    const WindowCase& c = GetParam();
    LayeredScene other = c.Scene;
    other.Seed = c.Scene.Seed + 1;
    const bool flat = c.Pictures == WindowCase::Flat;
    const auto left = flat ? FlatPicture(c.Scene.Width, c.Scene.Height) : RenderLayeredEye(c.Scene, false);
    const auto right = flat ? FlatPicture(c.Scene.Width, c.Scene.Height)
                       : c.Pictures == WindowCase::Unrelated ? RenderLayeredEye(other, false)
                                                             : RenderLayeredEye(c.Scene, true);
    const TStereoView l{left.get(), 0, 0, c.Scene.Width, c.Scene.Height};
    const TStereoView r{right.get(), 0, 0, c.Scene.Width, c.Scene.Height};
    // Vertically first, as the batch tool's --aligner --fenetre-auto.
    const TAutomaticAdjustment a = EstimateAutomaticAdjustment(l, r, c.Scene.RightLower != 0, true);
    EXPECT_NEAR(a.VerticalOffset, c.Scene.RightLower, 1);
    if (!c.Nearest) {
        EXPECT_FALSE(a.Window.Found);
        EXPECT_EQ(StereoWindowNotes(a.Window, 5), std::vector<std::string>{NoMatchText});
        return;
    }
    ASSERT_TRUE(a.Window.Found);
    // The nearest layer comes onto the screen: the RIGHT picture moves that
    // far to the right.
    EXPECT_NEAR(a.Window.ShiftX, -*c.Nearest, 1);
    EXPECT_NEAR(a.Window.DepthPixels, *c.Nearest - c.Farthest, 2);
    EXPECT_DOUBLE_EQ(a.Window.DepthPercent, 100.0 * a.Window.DepthPixels / c.Scene.Width);
}

INSTANTIATE_TEST_SUITE_P(, StereoWindow, testing::ValuesIn(WindowCases), [](const auto& info) { return info.param.Name; });

TEST(StereoWindowNotes, SayTheShiftAppliedAndTheDepthInFrench)
{
    TStereoWindowEstimate e;
    e.Found = true;
    e.ShiftX = -12;
    e.DepthPixels = 9;
    e.DepthPercent = 100.0 * 9 / 480;
    EXPECT_EQ(StereoWindowNotes(e, -7),
              (std::vector<std::string>{"Fenêtre stéréo estimée : -7 pixels", "Profondeur : 9 pixels (1,9 % de la largeur)"}));
    EXPECT_EQ(FrenchPercent(-0.04), "0,0");
    EXPECT_EQ(FrenchPercent(12.0), "12,0");
}
