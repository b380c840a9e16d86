#include "formats/icon/icon_pixels.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/geometry.h"
#include "core/streams.h"
#include "formats/bmp/dib_reader.h"
#include "formats/icon/icon_png.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

namespace {

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(texts::InvalidIcon); }

// The source column (or row) that output offset i of size out takes from a
// source of size in.
int32_t Sample(int32_t i, int32_t in, int32_t out) { return static_cast<int32_t>(int64_t{i} * in / out); }

TIconPixels FromPng(const uint8_t* data, size_t size, int32_t width, int32_t height)
{
    const TPngPixels png = DecodePngIcon(data, size);
    TIconPixels image;
    image.Width = width;
    image.Height = height;
    image.Alpha = true;
    image.Color.resize(static_cast<size_t>(width) * height);
    image.Mask.assign(image.Color.size(), 0);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* row = png.Pixels.data() + static_cast<size_t>(Sample(y, png.Height, height)) * png.Width;
        for (int32_t x = 0; x < width; ++x)
            image.Color[static_cast<size_t>(y) * width + x] = row[Sample(x, png.Width, width)];
    }
    return image;
}

// The alpha byte of a 32-bit pixel as stored: the device conversion drops it.
uint8_t StoredAlpha(const TPixelBuffer& pixels, int32_t x, int32_t y)
{
    return pixels.ScanLine(y)[static_cast<size_t>(x) * 4 + 3];
}

// The parts of the bitmap that an icon image holds, read one after the
// other from its data.
struct TIconDib {
    TDibHeader Header;
    std::unique_ptr<TPixelBuffer> Pixels;
    std::unique_ptr<TPixelBuffer> AndMask;
};

// An image whose rows the data cannot hold is not a usable image; refusing
// it before the pixels are read keeps a header that declares a huge bitmap
// from costing more than the file's own size. Compressed rows are bounded by
// what an icon can sensibly be.
constexpr uint64_t MaxCompressedIconPixels = uint64_t{1} << 20;

TIconDib ReadIconDib(const uint8_t* data, size_t size)
{
    TReadOnlyMemoryStream stream(data, size);
    TDibReadOptions options;
    options.TableRule = TColorTableRule::FullForDepth;
    options.HeightScale = 2;
    options.WithAndMask = true;
    TIconDib dib;
    dib.Header = ReadDibInfoHeader(stream, options);
    ReadDibTables(stream, dib.Header, options);
    const uint64_t used = static_cast<uint64_t>(stream.Position());
    const uint64_t left = size - used;
    const TDibHeader& h = dib.Header;
    if (h.Compressed() ? uint64_t(h.Info.Width) * uint64_t(h.Rows()) > MaxCompressedIconPixels
                       : PaddedStride(uint64_t(h.Info.Width), h.Info.BitCount) * uint64_t(h.Rows()) > left)
        InvalidIcon();
    dib.Pixels = ReadDibPixels(stream, h, left);
    const uint64_t afterPixels = size - static_cast<uint64_t>(stream.Position());
    dib.AndMask = ReadDibAndMask(stream, h.Info.Width, h.Rows(), afterPixels);
    return dib;
}

TIconPixels FromDib(const uint8_t* data, size_t size, int32_t width, int32_t height)
{
    TIconDib dib;
    try {
        dib = ReadIconDib(data, size);
    } catch (const EInvalidGraphic&) {
        InvalidIcon();  // the bitmap reader's refusal, told as the icon's
    } catch (const EReadError&) {
        InvalidIcon();
    }
    const TPixelBuffer& color = *dib.Pixels;
    const TPixelBuffer& mask = *dib.AndMask;
    const bool alphaBytes = color.BitsPerPixel() == 32 && color.Compression() == BI_RGB;

    TIconPixels image;
    image.Width = width;
    image.Height = height;
    image.Color.resize(static_cast<size_t>(width) * height);
    image.Mask.resize(image.Color.size());
    std::vector<int32_t> columns(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x)
        columns[static_cast<size_t>(x)] = Sample(x, color.Width(), width);
    std::vector<uint32_t> maskRow(static_cast<size_t>(width));
    bool anyAlpha = false;
    // Only the rows and columns shown are read, so a header that declares a
    // huge bitmap costs no more than the icon's own size.
    for (int32_t y = 0; y < height; ++y) {
        const int32_t sy = Sample(y, color.Height(), height);
        uint32_t* out = image.Color.data() + static_cast<size_t>(y) * width;
        color.ReadRowSampled(sy, columns.data(), width, out);
        mask.ReadRowSampled(sy, columns.data(), width, maskRow.data());
        for (int32_t x = 0; x < width; ++x) {
            image.Mask[static_cast<size_t>(y) * width + x] = maskRow[static_cast<size_t>(x)] != 0 ? 1 : 0;
            if (alphaBytes) {
                const uint8_t a = StoredAlpha(color, columns[static_cast<size_t>(x)], sy);
                out[x] |= uint32_t{a} << 24;
                anyAlpha = anyAlpha || a != 0;
            }
        }
    }
    image.Alpha = anyAlpha;
    if (!anyAlpha)
        for (uint32_t& p : image.Color)
            p &= DeviceColorBits;
    return image;
}

uint8_t Blend(uint32_t source, uint32_t dest, int shift, uint32_t alpha)
{
    const uint32_t s = (source >> shift) & 0xFF, d = (dest >> shift) & 0xFF;
    return static_cast<uint8_t>((s * alpha + d * (255 - alpha) + 127) / 255);
}

}  // namespace

TIconPixels DecodeIconImage(const std::vector<uint8_t>& file, const TIconEntry& entry)
{
    const uint64_t end = uint64_t{entry.DataOffset} + entry.DataSize;
    if (entry.DataSize == 0 || end > file.size())
        InvalidIcon();
    const uint8_t* data = file.data() + entry.DataOffset;
    if (IsPngData(data, entry.DataSize))
        return FromPng(data, entry.DataSize, entry.Width, entry.Height);
    return FromDib(data, entry.DataSize, entry.Width, entry.Height);
}

void DrawIconPixels(const TIconPixels& image, TPixelBuffer& target, int32_t x, int32_t y)
{
    const TRect area = Intersect(Bounds(x, y, image.Width, image.Height), {0, 0, target.Width(), target.Height()});
    if (area.IsEmpty())
        return;
    const int32_t n = area.Width();
    std::vector<uint32_t> row(static_cast<size_t>(n));
    for (int32_t ty = area.Top; ty < area.Bottom; ++ty) {
        target.ReadRow(ty, area.Left, n, row.data());
        const size_t from = static_cast<size_t>(ty - y) * image.Width + static_cast<size_t>(area.Left - x);
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t c = image.Color[from + i];
            uint32_t& d = row[static_cast<size_t>(i)];
            if (image.Alpha) {
                const uint32_t a = c >> 24;
                d = uint32_t{Blend(c, d, 0, a)} | (uint32_t{Blend(c, d, 8, a)} << 8) |
                    (uint32_t{Blend(c, d, 16, a)} << 16);
            } else {
                d = ((image.Mask[from + i] != 0 ? d : 0) ^ c) & DeviceColorBits;
            }
        }
        target.WriteRow(ty, area.Left, n, row.data());
    }
}

}  // namespace tremalu
