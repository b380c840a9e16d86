// The LZW decoder of GIF pixel data, on code streams written code by code:
// where decoding starts and stops, the table's edges, and where the stream
// is left for the block that follows.
#include "core/streams.h"
#include "formats/gif/gif_lzw.h"
#include "formats/gif/gif_lzw_encoder.h"
#include "gif_builder.h"

#include <gtest/gtest.h>

#include <random>

using namespace tremalu;
using testing_support::LzwCodes;

namespace {

struct Decoded {
    std::vector<uint8_t> Pixels;
    std::vector<std::string> Warnings;
    int64_t Position = 0;  // where the stream was left
};

Decoded Decode(const std::vector<uint8_t>& data, size_t count)
{
    TReadOnlyMemoryStream stream(data.data(), data.size());
    Decoded d;
    DecodeGIFPixels(stream, count, d.Pixels, [&](const char* text) { d.Warnings.emplace_back(text); });
    d.Position = stream.Position();
    return d;
}

struct CodeCase {
    const char* Name;
    int MinCodeSize;
    std::vector<uint16_t> Codes;  // without the end code, added after
    size_t Count;
    std::vector<uint8_t> Expected;
};

class LzwCodeCases : public ::testing::TestWithParam<CodeCase> {};

TEST_P(LzwCodeCases, DecodeAsTheTableSays)
{
    const CodeCase& c = GetParam();
    std::vector<uint8_t> data = LzwCodes(c.MinCodeSize).Codes(c.Codes).End().Data();
    data.push_back(0x3B);  // what follows the data
    const Decoded d = Decode(data, c.Count);
    EXPECT_EQ(d.Pixels, c.Expected);
    EXPECT_EQ(d.Position, static_cast<int64_t>(data.size()) - 1) << "the data must be passed, up to its terminator";
}

// With m = 2: roots 0-3, clear 4, end 5, first free code 6.
INSTANTIATE_TEST_SUITE_P(
    Gif, LzwCodeCases,
    ::testing::Values(
        CodeCase{"WithoutInitialClear", 2, {1, 2, 6}, 4, {1, 2, 1, 2}},
        CodeCase{"RepeatedClearsAreSkipped", 2, {4, 4, 4, 3, 3, 6}, 4, {3, 3, 3, 3}},
        CodeCase{"ClearResetsTheTable", 2, {1, 2, 4, 3, 6}, 4, {1, 2, 3, 3}},
        // 6 is the next free code: the previous string and its first byte.
        CodeCase{"NextFreeCode", 2, {1, 6, 7}, 6, {1, 1, 1, 1, 1, 1}},
        // 7 lies beyond the next free code 6 and is taken the same way; it
        // then names the entry made (6), whose string 7 is not.
        CodeCase{"BeyondNextFreeCode", 2, {2, 7, 6}, 5, {2, 2, 2, 2, 2}},
        CodeCase{"StringCutAtTheLastPixel", 2, {1, 6, 7}, 5, {1, 1, 1, 1, 1}},
        // Roots above 255 (minimum code size 9) keep their low byte.
        CodeCase{"WideRoots", 9, {0x1FF, 0x101}, 2, {0xFF, 0x01}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(GifLzw, CodesStraddleSubBlocksOfAnySize)
{
    const std::vector<uint8_t> pixels = {1, 2, 3, 0, 1, 2, 3, 0, 3, 3};
    const Decoded whole = Decode(testing_support::PlainLzw(pixels, 2), pixels.size());
    LzwCodes codes(2);
    for (uint8_t p : pixels)
        codes.Clear().Code(p);
    const Decoded oneByteBlocks = Decode(codes.End().Data(1), pixels.size());
    EXPECT_EQ(whole.Pixels, pixels);
    EXPECT_EQ(oneByteBlocks.Pixels, pixels);
}

TEST(GifLzw, FullTableGoesOnAtTwelveBits)
{
    // 4096 root codes fill the table's 4090 free entries (each one the
    // previous code and this one); the codes after it are read at 12 bits,
    // add nothing, and decode until the next clear code.
    LzwCodes codes(2);
    std::vector<uint8_t> expected;
    for (int i = 0; i < 4096; ++i) {
        codes.Code(static_cast<uint16_t>(i % 4));
        expected.push_back(static_cast<uint8_t>(i % 4));
    }
    codes.Code(4095).Code(3).Clear().Code(2).End();  // entry 4095: codes 4089 and 4090, "1 2"
    expected.insert(expected.end(), {1, 2, 3, 2});
    const Decoded d = Decode(codes.Data(), expected.size());
    EXPECT_EQ(d.Pixels, expected);
    EXPECT_TRUE(d.Warnings.empty());
}

TEST(GifLzw, EncodedDataComesBackUnchanged)
{
    // Long runs fill the table many times over and make strings of every
    // length; noise makes codes of every width.
    std::mt19937 random(7);
    std::vector<uint8_t> pixels(200000);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i < 100000 ? static_cast<uint8_t>((i / 300) % 5) : static_cast<uint8_t>(random() % 200);
    TMemoryStream encoded;
    EncodeGIFPixels(encoded, pixels.data(), pixels.size());
    const Decoded d = Decode({encoded.Memory(), encoded.Memory() + encoded.ByteCount()}, pixels.size());
    EXPECT_EQ(d.Pixels, pixels);
    EXPECT_TRUE(d.Warnings.empty());
}

struct StopCase {
    const char* Name;
    std::vector<uint8_t> Data;  // the frame's data, minimum code size first, and what follows
    size_t Count;
    std::vector<uint8_t> Pixels;  // what was decoded
    size_t Left;                  // bytes left unread after the decoding
    std::vector<std::string> Warnings;
};

class LzwStops : public ::testing::TestWithParam<StopCase> {};

TEST_P(LzwStops, DecodedPixelsAndStreamPosition)
{
    const StopCase& c = GetParam();
    const Decoded d = Decode(c.Data, c.Count);
    EXPECT_EQ(d.Pixels, c.Pixels);
    EXPECT_EQ(d.Position, static_cast<int64_t>(c.Data.size() - c.Left));
    EXPECT_EQ(d.Warnings, c.Warnings);
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Gif, LzwStops,
    ::testing::Values(
        StopCase{"EndOfStreamBeforeCodeSize", {}, 4, {}, 0, {}},
        // The end code after the pixels lets the rest be skipped.
        StopCase{"EndCodeAfterPixels", Concat(LzwCodes(2).Codes({1, 2}).End().Data(), {0x3B}), 2, {1, 2}, 1, {}},
        // Another code after the pixels: the stream stays after its
        // sub-block; what follows is left to the block reader.
        StopCase{"OtherCodeAfterPixels", Concat(LzwCodes(2).Codes({1, 2, 3}).Data(255, false), {1, 0x77, 0}), 2,
                 {1, 2}, 3, {}},
        StopCase{"EndCodeBeforeAllPixels", Concat(LzwCodes(2).Codes({1}).End().Data(255, false), {2, 9, 9, 0, 0x3B}),
                 4, {1}, 1, {}},
        StopCase{"DataEndsWithoutEndCode", Concat(LzwCodes(2).Codes({1, 2}).Data(), {0x3B}), 4, {1, 2}, 1,
                 {"Decoder bit buffer under-run"}},
        // A sub-block announcing more than the stream holds: what is there
        // is used (codes 1 and 2).
        StopCase{"SubBlockLongerThanTheStream", {2, 9, 0x51}, 4, {1, 2}, 0,
                 {"Premature end of data", "Decoder bit buffer under-run"}},
        StopCase{"MinimumCodeSizeAbove11", {12, 2, 0xFF, 0xFF, 0, 0x3B}, 4, {}, 1, {}},
        // After a clear only a root code has a string: 7 stops decoding; the
        // code read after it is not the end code.
        StopCase{"UndefinedFirstCode", Concat(LzwCodes(2).Codes({1, 4, 7, 2}).End().Data(255, false), {0, 0x3B}), 4,
                 {1}, 2, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
