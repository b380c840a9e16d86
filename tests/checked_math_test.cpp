#include "core/checked_math.h"
#include "core/errors.h"

#include <gtest/gtest.h>

#include <cfenv>

using namespace tremalu;

TEST(Round, TiesGoToTheEvenInteger)
{
    EXPECT_EQ(Round(72.5L), 72);
    EXPECT_EQ(Round(217.5L), 218);
    EXPECT_EQ(Round(318.75L), 319);
    EXPECT_EQ(Round(-2.5L), -2);
    EXPECT_EQ(Round(3.5L), 4);
    EXPECT_EQ(Round(0.49999999L), 0);
}

TEST(Round, KeepsToNearestWhateverTheRoundingModeOfTheThread)
{
    std::fesetround(FE_UPWARD);
    EXPECT_EQ(Round(72.5L), 72);
    std::fesetround(FE_TONEAREST);
}

TEST(Round, RefusesValuesThatDoNotFit)
{
    EXPECT_THROW(Round(1e12L), EInvalidOp);
}

TEST(CheckedDivide, ZeroByZeroIsAnInvalidOperation)
{
    try {
        CheckedDivide(0, 0);
        FAIL();
    } catch (const EInvalidOp& e) {
        EXPECT_STREQ(e.what(), "Opération en virgule flottante incorrecte");
    }
}

TEST(CheckedDivide, NonZeroByZeroIsADivisionByZero)
{
    try {
        CheckedDivide(3, 0);
        FAIL();
    } catch (const EZeroDivide& e) {
        EXPECT_STREQ(e.what(), "Division par zéro en virgule flottante");
    }
}

TEST(FittingArithmetic, MatchesTheWorkedExamples)
{
    // r = H ÷ W rounded to a 32-bit float, then products in extended precision.
    const float wide = ToSingle(CheckedDivide(300, 400));
    EXPECT_EQ(Round(CheckedMultiply(wide, 290)), 218);
    const float tall = ToSingle(CheckedDivide(400, 300));
    EXPECT_EQ(Round(CheckedDivide(290, tall)), 217);
    const float quarter = ToSingle(CheckedDivide(250, 1000));
    EXPECT_EQ(Round(CheckedMultiply(quarter, 290)), 72);
    EXPECT_EQ(Round(CheckedMultiply(wide, 425)), 319);
}

TEST(MulDiv, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(480, 153, 640), 115);  // 114.75
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(5, 2, 0), -1);
}

TEST(CheckedBitmapBytes, RefusesMoreThanTwoToThe28Pixels)
{
    EXPECT_EQ(CheckedBitmapBytes(16384, 16384, 32), size_t{16384} * 16384 * 4);
    EXPECT_THROW(CheckedBitmapBytes(16384, 16385, 32), EOutOfMemory);
    EXPECT_THROW(CheckedBitmapBytes(60000, 60000, 24), EOutOfMemory);
    EXPECT_THROW(CheckedBitmapBytes(2147483647, 2, 1), EOutOfMemory);
    EXPECT_THROW(CheckedBitmapBytes(-1, 5, 8), EOutOfMemory);
    try {
        CheckedBitmapBytes(1 << 30, 1 << 30, 32);
        FAIL();
    } catch (const EOutOfMemory& e) {
        EXPECT_STREQ(e.what(), "Mémoire insuffisante");
    }
}

TEST(PaddedStride, PadsRowsToFourBytes)
{
    EXPECT_EQ(PaddedStride(25, 24), 76u);
    EXPECT_EQ(PaddedStride(32, 4), 16u);
    EXPECT_EQ(PaddedStride(1, 1), 4u);
    EXPECT_EQ(PaddedStride(33, 1), 8u);
}
