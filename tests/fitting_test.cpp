#include "core/errors.h"
#include "fitting.h"

#include <gtest/gtest.h>

using namespace tremalu;

namespace {
TFittedBounds Preview(int32_t w, int32_t h) { return FitIntoBox(w, h, PreviewBox, 305, 305); }
}  // namespace

TEST(Fitting, PreviewOfWideTallAndSquarePictures)
{
    EXPECT_EQ(Preview(1000, 250), (TFittedBounds{7, 116, 290, 72}));  // 72.5 goes to the even 72
    EXPECT_EQ(Preview(400, 300).Height, 218);                         // Round(217.5)
    EXPECT_EQ(Preview(300, 400).Width, 217);                          // Round(217.49999…)
    EXPECT_EQ(Preview(300, 400).Height, 290);
    EXPECT_EQ(Preview(640, 480), (TFittedBounds{7, 43, 290, 218}));
    for (int32_t side : {1, 290, 291, 5000})
        EXPECT_EQ(Preview(side, side), (TFittedBounds{7, 7, 290, 290}));
}

TEST(Fitting, ExtremeRatiosStayInsideTheBox)
{
    EXPECT_EQ(Preview(10000, 1), (TFittedBounds{7, 152, 290, 0}));
    EXPECT_EQ(Preview(1, 10000), (TFittedBounds{152, 7, 0, 290}));
}

TEST(Fitting, ResultViewUsesTheLargerBoxAndFrame)
{
    EXPECT_EQ(FitIntoBox(400, 300, ResultBox, 441, 441), (TFittedBounds{8, 61, 425, 319}));
    EXPECT_EQ(FitIntoBox(300, 400, ResultBox, 441, 441), (TFittedBounds{61, 8, 319, 425}));
}

TEST(Fitting, ZeroSizesAreFloatingPointFailures)
{
    EXPECT_THROW(Preview(0, 0), EInvalidOp);
    EXPECT_THROW(Preview(0, 10), EZeroDivide);
    // Zero height gives a ratio of 0 (wider than tall) and a height of 0.
    EXPECT_EQ(Preview(10, 0).Height, 0);
}
