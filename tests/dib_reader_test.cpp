// The DIB reader on its own, as icons and metafile bitmap records call it:
// no file header, parts taken from where their container keeps them.
#include "formats/bmp/dib_reader.h"
#include "bmp_builder.h"
#include "core/errors.h"
#include "core/streams.h"

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::BmpFields;
using testing_support::BuildBmp;

namespace {

// The DIB of a built file: everything after the 14-byte file header.
std::vector<uint8_t> DibOf(const BmpFields& f)
{
    std::vector<uint8_t> file = BuildBmp(f);
    return {file.begin() + 14, file.end()};
}

// A 3 × 2 one-bit icon image: its header stores twice the height and says
// 7 colours used (more than one bit can index), its XOR rows (bottom-up) are
// followed by its AND mask rows and a byte that belongs to the next image.
BmpFields IconImage()
{
    BmpFields f;
    f.Width = 3;
    f.Height = 4;
    f.BitCount = 1;
    f.ClrUsed = 7;
    f.Colors = {0x000000, 0xFF0000};
    f.Pixels = {0x40, 0, 0, 0,   // bottom XOR row: 0 1 0
                0xA0, 0, 0, 0,   // top XOR row:    1 0 1
                0x20, 0, 0, 0,   // bottom AND row: 0 0 1
                0xC0, 0, 0, 0,   // top AND row:    1 1 0
                0x99};
    return f;
}

}  // namespace

TEST(DibReader, IconImageHasHalfItsHeightAFullTableAndItsAndMask)
{
    const std::vector<uint8_t> dib = DibOf(IconImage());
    TReadOnlyMemoryStream s(dib.data(), dib.size());
    TDibReadOptions icon;
    icon.TableRule = TColorTableRule::FullForDepth;
    icon.HeightScale = 2;
    icon.WithAndMask = true;
    const TDib d = ReadDib(s, dib.size() - 1, icon);

    ASSERT_EQ(d.Pixels->Width(), 3);
    ASSERT_EQ(d.Pixels->Height(), 2);
    EXPECT_EQ(d.Header.ColorTable.size(), 2u);
    const uint32_t red = 0xFF0000, black = 0;
    EXPECT_EQ(d.Pixels->PixelAt(0, 0), red);
    EXPECT_EQ(d.Pixels->PixelAt(1, 0), black);
    EXPECT_EQ(d.Pixels->PixelAt(1, 1), red);
    ASSERT_NE(d.AndMask, nullptr);
    const uint32_t white = 0xFFFFFF;
    EXPECT_EQ(d.AndMask->PixelAt(0, 0), white);
    EXPECT_EQ(d.AndMask->PixelAt(2, 0), black);
    EXPECT_EQ(d.AndMask->PixelAt(2, 1), white);
    EXPECT_EQ(s.Position(), static_cast<int64_t>(dib.size() - 1));

    // The same header read as a file's refuses the colours-used count.
    TReadOnlyMemoryStream again(dib.data(), dib.size());
    EXPECT_THROW(ReadDib(again, dib.size()), EInvalidGraphic);
}

TEST(DibReader, HeaderAndPixelsFromSeparatePlaces)
{
    BmpFields f;
    f.Width = 2;
    f.Height = -1;  // top-down
    f.BitCount = 24;
    f.Pixels = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 0};
    const std::vector<uint8_t> dib = DibOf(f);
    // A metafile record gives the header and the bits at offsets of their own.
    const std::vector<uint8_t> info(dib.begin(), dib.begin() + 40);
    const std::vector<uint8_t> bits(dib.begin() + 40, dib.end());

    TReadOnlyMemoryStream headerStream(info.data(), info.size());
    TDibHeader h = ReadDibInfoHeader(headerStream);
    ReadDibTables(headerStream, h);
    TReadOnlyMemoryStream bitsStream(bits.data(), bits.size());
    const auto pixels = ReadDibPixels(bitsStream, h, 3);  // the record holds only 3 bytes

    EXPECT_EQ(pixels->PixelAt(0, 0), 0xFF0000u);
    EXPECT_EQ(pixels->PixelAt(1, 0), 0u);
}
