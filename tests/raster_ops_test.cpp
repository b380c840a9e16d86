#include "raster/raster_ops.h"

#include <gtest/gtest.h>

#include <random>

using namespace tremalu;

namespace {

// The truth table read one bit at a time, as the code's definition states.
uint32_t ReferenceRop(uint8_t function, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t out = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const int index = (((p >> bit) & 1) << 2) | (((s >> bit) & 1) << 1) | ((d >> bit) & 1);
        out |= ((function >> index) & 1u) << bit;
    }
    return out;
}

}  // namespace

TEST(RasterOps, EveryFunctionMatchesItsTruthTable)
{
    std::mt19937 random(7);
    for (int f = 0; f < 256; ++f) {
        for (int trial = 0; trial < 16; ++trial) {
            const uint32_t p = random(), s = random(), d = random();
            ASSERT_EQ(ApplyRop(static_cast<uint8_t>(f), p, s, d), ReferenceRop(static_cast<uint8_t>(f), p, s, d))
                << "function " << f;
        }
    }
}

TEST(RasterOps, NamedCodesDoWhatTheirNamesSay)
{
    const uint32_t p = 0x00F0F0F0, s = 0x00CCCCCC, d = 0x00AAAAAA;
    EXPECT_EQ(ApplyRop(RopFunction(SRCCOPY), p, s, d), s);
    EXPECT_EQ(ApplyRop(RopFunction(SRCAND), p, s, d), s & d);
    EXPECT_EQ(ApplyRop(RopFunction(SRCPAINT), p, s, d), s | d);
    EXPECT_EQ(ApplyRop(RopFunction(SRCINVERT), p, s, d), s ^ d);
    EXPECT_EQ(ApplyRop(RopFunction(PATCOPY), p, s, d), p);
    EXPECT_EQ(ApplyRop(RopFunction(NOTSRCCOPY), p, s, d), ~s);
    EXPECT_EQ(ApplyRop(RopFunction(DSTINVERT), p, s, d), ~d);
    EXPECT_EQ(ApplyRop(RopFunction(BLACKNESS), p, s, d), 0u);
    EXPECT_EQ(ApplyRop(RopFunction(WHITENESS), p, s, d), 0xFFFFFFFFu);
}

TEST(RasterOps, UsageFlagsFollowTheTruthTable)
{
    EXPECT_FALSE(RopUsesPattern(RopFunction(SRCCOPY)));
    EXPECT_TRUE(RopUsesSource(RopFunction(SRCCOPY)));
    EXPECT_FALSE(RopUsesDestination(RopFunction(SRCCOPY)));
    EXPECT_TRUE(RopUsesDestination(RopFunction(SRCAND)));
    EXPECT_TRUE(RopUsesPattern(RopFunction(PATCOPY)));
    EXPECT_FALSE(RopUsesSource(RopFunction(PATCOPY)));
    EXPECT_FALSE(RopUsesSource(RopFunction(WHITENESS)));
}

TEST(RasterOps, RowsGiveTheSameAsSinglePixelsForEveryFunction)
{
    std::mt19937 random(11);
    constexpr int N = 9;
    for (int f = 0; f < 256; ++f) {
        uint32_t p[N], s[N], d[N], expected[N];
        for (int i = 0; i < N; ++i) {
            p[i] = random() & 0x00FFFFFF;
            s[i] = random() & 0x00FFFFFF;
            d[i] = random() & 0x00FFFFFF;
            expected[i] = ApplyRop(static_cast<uint8_t>(f), p[i], s[i], d[i]) & 0x00FFFFFF;
        }
        CombineRow(static_cast<uint8_t>(f), p, s, d, N);
        for (int i = 0; i < N; ++i)
            ASSERT_EQ(d[i], expected[i]) << "function " << f << " pixel " << i;
    }
}

TEST(RasterOps, ChannelExamplesOfTheAnaglyph)
{
    // Pixels as 0x00RRGGBB.
    const uint32_t picture = 0x00C86432;  // (200, 100, 50)
    uint32_t red = 0x00FF0000, aqua = 0x0000FFFF;
    CombineRow(RopFunction(SRCAND), nullptr, &picture, &red, 1);
    CombineRow(RopFunction(SRCAND), nullptr, &picture, &aqua, 1);
    EXPECT_EQ(red, 0x00C80000u);
    EXPECT_EQ(aqua, 0x00006432u);
    CombineRow(RopFunction(SRCPAINT), nullptr, &red, &aqua, 1);
    EXPECT_EQ(aqua, picture);
}
