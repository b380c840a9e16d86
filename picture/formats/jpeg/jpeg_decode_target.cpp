#include "formats/jpeg/jpeg_decode_target.h"

#include "raster/bitmap.h"
#include "formats/jpeg/jpeg_cmyk.h"
#include "raster/pixel_buffer.h"
#include "core/streams.h"

#include <algorithm>
#include <cstring>

namespace tremalu {

namespace {

// Installs pixel memory of our own making in the bitmap, with its palette.
void InstallPixels(TBitmap& bitmap, std::unique_ptr<TPixelBuffer> pixels, HPALETTE palette)
{
    auto image = std::make_unique<TBitmapImage>();
    image->Description = DescribePixels(*pixels, true);
    image->Handle = std::move(pixels);
    image->DeviceDependent = false;
    image->Palette = std::move(palette);
    bitmap.InstallImage(std::move(image));
}

// The entry of a palette closest to white.
uint8_t WhitestIndex(const HPALETTE& palette)
{
    if (!palette)
        return 0;
    size_t best = 0;
    int bestSum = -1;
    for (size_t i = 0; i < palette->Entries.size() && i < 256; ++i) {
        const TPaletteEntry& e = palette->Entries[i];
        const int sum = e.Red + e.Green + e.Blue;
        if (sum > bestSum) {
            bestSum = sum;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

}  // namespace

bool IsFourComponentFile(const jpeg_decompress_struct& codec)
{
    return codec.jpeg_color_space == JCS_CMYK || codec.jpeg_color_space == JCS_YCCK;
}

HPALETTE PaletteFromColorMap(const jpeg_decompress_struct& codec)
{
    auto palette = std::make_shared<TLogPalette>();
    palette->Version = 0x300;
    const int count = std::clamp(codec.actual_number_of_colors, 0, 256);
    palette->Entries.reserve(static_cast<size_t>(count));
    const bool gray = codec.out_color_components == 1;
    for (int i = 0; i < count; ++i) {
        if (gray) {
            const uint8_t level = codec.colormap[0][i];
            palette->Entries.push_back({level, level, level, 0});
        } else {
            palette->Entries.push_back({codec.colormap[2][i], codec.colormap[1][i], codec.colormap[0][i], 0});
        }
    }
    return palette;
}

TJpegDecodeTarget::TJpegDecodeTarget(TBitmap& bitmap, jpeg_decompress_struct& codec, bool gray)
    : Bitmap(bitmap), Codec(codec), Gray(gray)
{
}

void TJpegDecodeTarget::Create(bool eightBit, HPALETTE palette)
{
    EightBit = eightBit;
    FourComponents = Codec.out_color_space == JCS_CMYK;
    // The rows below hold exactly this many bytes per pixel: anything else
    // from the codec would write past them.
    const int expected = EightBit ? 1 : FourComponents ? 4 : 3;
    if (Codec.output_components != expected || (EightBit && !Codec.quantize_colors))
        ERREXIT(&Codec, JERR_CONVERSION_NOTIMPL);

    TPixelLayout layout;
    layout.Width = static_cast<int32_t>(Codec.output_width);
    layout.Height = static_cast<int32_t>(Codec.output_height);
    layout.BitsPerPixel = EightBit ? 8 : 24;
    if (EightBit && palette)
        layout.ColorTable = ColorTableOf(*palette);
    InstallPixels(Bitmap, std::make_unique<TPixelBuffer>(std::move(layout)), EightBit ? std::move(palette) : nullptr);
    if (FourComponents) {
        Band = (*Codec.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&Codec), JPOOL_IMAGE,
                                          Codec.output_width * 4, DecodeRowsPerCall);
    }
    IsCreated = true;
}

void TJpegDecodeTarget::ReadPass()
{
    JSAMPROW rows[DecodeRowsPerCall];
    while (Codec.output_scanline < Codec.output_height) {
        const JDIMENSION first = Codec.output_scanline;
        const JDIMENSION wanted = std::min<JDIMENSION>(DecodeRowsPerCall, Codec.output_height - first);
        for (JDIMENSION i = 0; i < wanted; ++i)
            rows[i] = FourComponents ? Band[i] : Bitmap.Row(static_cast<int32_t>(first + i));
        const JDIMENSION got = jpeg_read_scanlines(&Codec, rows, wanted);
        if (FourComponents) {
            for (JDIMENSION i = 0; i < got; ++i)
                CmykRowToBgr(Band[i], Bitmap.Row(static_cast<int32_t>(first + i)), Codec.output_width,
                             Codec.saw_Adobe_marker != 0, Gray);
        }
        RowsReached = std::max(RowsReached, first + got);
        if (got == 0)
            break;  // nothing more to give: finishing the decode says why
    }
}

void TJpegDecodeTarget::ReplacePalette(HPALETTE palette)
{
    if (!IsCreated || !EightBit || !palette)
        return;
    std::unique_ptr<TPixelBuffer> pixels = Bitmap.DetachHandle();
    pixels->SetColorTable(ColorTableOf(*palette));
    InstallPixels(Bitmap, std::move(pixels), std::move(palette));
}

void TJpegDecodeTarget::WhitenUndecodedRows()
{
    if (!IsCreated)
        return;
    const auto height = static_cast<uint32_t>(Bitmap.PixelHeight());
    if (RowsReached >= height)
        return;
    const uint8_t white = EightBit ? WhitestIndex(Bitmap.Palette()) : 0xFF;
    const size_t bytes = static_cast<size_t>(Bitmap.PixelWidth()) * (EightBit ? 1 : 3);
    for (uint32_t y = RowsReached; y < height; ++y)
        std::memset(Bitmap.Row(static_cast<int32_t>(y)), white, bytes);
}

}  // namespace tremalu
