#include "dialog_rules/filter_pairs.h"
#include "dialog_rules/preview_layout.h"

#include <gtest/gtest.h>

using namespace tremalu;

TEST(FilterPairs, ParsesDescriptionsAndTheirPatternLists)
{
    const auto pairs = ParseFilter("Tout (*.gif;*.jpg)|*.gif;*.jpg|Bitmaps (*.bmp)|*.bmp");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].Description, "Tout (*.gif;*.jpg)");
    EXPECT_EQ(pairs[0].Patterns, (std::vector<std::string>{"*.gif", "*.jpg"}));
    EXPECT_EQ(pairs[1].Patterns, (std::vector<std::string>{"*.bmp"}));
    EXPECT_TRUE(ParseFilter("").empty());
    EXPECT_EQ(ParseFilter("Sans motif").size(), 0u);
}

TEST(FilterPairs, PatternsMatchWithoutRegardToCase)
{
    const std::vector<std::string> jpeg = {"*.jpg", "*.jpeg"};
    EXPECT_TRUE(MatchesPatterns("PHOTO.JPG", jpeg));
    EXPECT_TRUE(MatchesPatterns("a.b.jpeg", jpeg));
    EXPECT_FALSE(MatchesPatterns("photo.jpg.bak", jpeg));
    EXPECT_FALSE(MatchesPatterns("jpg", jpeg));
    EXPECT_TRUE(MatchesPatterns(".jpg", jpeg));
    EXPECT_TRUE(MatchesPatterns("x.gif", {"*.?if"}));
    EXPECT_TRUE(MatchesPatterns("anything", {"*"}));
    EXPECT_FALSE(MatchesPatterns("anything", {""}));
    EXPECT_TRUE(MatchesPatterns("été.bmp", {"*.bmp"}));
}

TEST(FilterPairs, TypedNameWithoutExtensionGetsTheSelectedPairsExtension)
{
    const TFilterPair jpeg{"Fichier image JPEG (*.jpg)", {"*.jpg"}};
    const TFilterPair all{"Tous (*.*)", {"*.*"}};
    EXPECT_EQ(WithDefaultExtension("/home/me/photo", &jpeg, "bmp"), "/home/me/photo.jpg");
    EXPECT_EQ(WithDefaultExtension("/home/me/photo.png", &jpeg, "bmp"), "/home/me/photo.png");
    EXPECT_EQ(WithDefaultExtension("/home/Mes.Images/photo", &jpeg, ""), "/home/Mes.Images/photo.jpg");
    EXPECT_EQ(WithDefaultExtension("/home/me/photo", &all, "jpg"), "/home/me/photo.jpg");
    EXPECT_EQ(WithDefaultExtension("/home/me/photo", &all, ""), "/home/me/photo");
    EXPECT_EQ(WithDefaultExtension("/home/me/photo", nullptr, "jpg"), "/home/me/photo.jpg");
}

TEST(PreviewLayout, EmptyPicturesShowTheTextAndSmallOnesTheirOwnSize)
{
    const TRect box{0, 0, 153, 141};
    EXPECT_EQ(PlacePreview(0, 0, box).How, TPreviewPlacement::Kind::EmptyText);
    const TPreviewPlacement small = PlacePreview(100, 50, box);
    EXPECT_EQ(small.How, TPreviewPlacement::Kind::AtOwnSize);
    EXPECT_EQ(small.At, (TPoint{26, 45}));
    EXPECT_EQ(PlacePreview(153, 141, box).How, TPreviewPlacement::Kind::AtOwnSize);
}

TEST(PreviewLayout, LargePicturesAreStretchedFromTheTopLeft)
{
    const TRect box{0, 0, 153, 141};
    const TPreviewPlacement wide = PlacePreview(640, 480, box);
    EXPECT_EQ(wide.How, TPreviewPlacement::Kind::Stretched);
    EXPECT_EQ(wide.Into, (TRect{0, 0, 153, 115}));  // MulDiv(480, 153, 640) = 114.75 → 115
    const TPreviewPlacement tall = PlacePreview(480, 640, box);
    EXPECT_EQ(tall.Into, (TRect{0, 0, 106, 141}));  // MulDiv(480, 141, 640) = 105.75 → 106
    // Nearly square but wider: the height may pass the box and be clipped.
    EXPECT_EQ(PlacePreview(300, 299, box).Into, (TRect{0, 0, 153, 152}));
}

TEST(PreviewLayout, LabelTexts)
{
    EXPECT_EQ(PreviewSizeLabel(640, 480), " (640x480)");
    EXPECT_EQ(PreviewSizeLabel(0, 0), " (0x0)");
    EXPECT_EQ(CentredText(40, 13, {0, 0, 153, 141}), (TPoint{56, 64}));
}
