#include "formats/metafile/record_reading.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/streams.h"
#include "formats/bmp/dib_reader.h"
#include "raster/pixel_buffer.h"

#include <algorithm>

namespace tremalu {

namespace {

// Compressed rows are decoded into memory that their bytes do not bound.
constexpr uint64_t MaxCompressedPixels = uint64_t{1} << 24;

// Bytes 0x80 to 0x9F of the Windows Western code page; the others are the
// first 256 code points.
constexpr char16_t Cp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

}  // namespace

std::vector<TPointD> ReadPoints32(const TRecord& r, size_t at, uint64_t count)
{
    std::vector<TPointD> points;
    if (!r.Holds(at, count, 8))
        return points;
    const TLittleEndianReader f = r.Fields();
    points.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i)
        points.push_back({double(f.I32(at + 8 * i)), double(f.I32(at + 8 * i + 4))});
    return points;
}

std::vector<TPointD> ReadPoints16(const TRecord& r, size_t at, uint64_t count)
{
    std::vector<TPointD> points;
    if (!r.Holds(at, count, 4))
        return points;
    const TLittleEndianReader f = r.Fields();
    points.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count; ++i)
        points.push_back({double(f.I16(at + 4 * i)), double(f.I16(at + 4 * i + 2))});
    return points;
}

std::u32string ReadUtf16(const TRecord& r, size_t at, uint64_t count)
{
    std::u32string text;
    if (!r.Holds(at, count, 2))
        return text;
    const TLittleEndianReader f = r.Fields();
    for (uint64_t i = 0; i < count; ++i) {
        const char32_t unit = f.U16(at + 2 * i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < count) {
            const char32_t low = f.U16(at + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                text += 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
                continue;
            }
        }
        text += unit;
    }
    return text;
}

std::u32string ReadAnsi(const TRecord& r, size_t at, uint64_t count)
{
    std::u32string text;
    if (!r.Holds(at, count, 1))
        return text;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t b = r.Data[at + i];
        text += b >= 0x80 && b < 0xA0 ? char32_t{Cp1252High[b - 0x80]} : char32_t{b};
    }
    return text;
}

std::optional<TRecordBitmap> ReadRecordBitmap(TPlayer& player, const uint8_t* info, size_t infoSize,
                                              const uint8_t* bits, size_t bitsSize, bool withAlpha)
{
    TReadOnlyMemoryStream header(info, infoSize);
    TDibHeader h;
    try {
        h = ReadDibInfoHeader(header);
        ReadDibTables(header, h);
    } catch (const EInvalidGraphic&) {
        return std::nullopt;  // a bitmap the reader refuses: the record is skipped
    } catch (const EReadError&) {
        return std::nullopt;  // its header or colour table is cut short: likewise
    } catch (const EOutOfMemory&) {
        return std::nullopt;  // it declares more pixels than any bitmap may hold: likewise
    }
    if (bits == nullptr) {
        const size_t used = static_cast<size_t>(header.Position());
        bits = info + used;
        bitsSize = infoSize - used;
    }
    const uint64_t rows = static_cast<uint64_t>(h.Rows());
    const uint64_t width = static_cast<uint64_t>(h.Info.Width);
    if (h.Compressed() ? width * rows > MaxCompressedPixels : PaddedStride(width, h.Info.BitCount) * rows > bitsSize)
        return std::nullopt;
    if (!player.Afford(width * rows))
        return std::nullopt;
    TReadOnlyMemoryStream pixelStream(bits, bitsSize);
    std::shared_ptr<TPixelBuffer> pixels = ReadDibPixels(pixelStream, h, bitsSize);
    TRecordBitmap bitmap;
    bitmap.BottomUp = h.Info.Height > 0;
    if (withAlpha && pixels->BitsPerPixel() == 32 && pixels->Compression() == BI_RGB) {
        bitmap.Alpha.resize(static_cast<size_t>(width * rows));
        for (int32_t y = 0; y < pixels->Height(); ++y) {
            const uint8_t* row = pixels->ScanLine(y);
            for (int32_t x = 0; x < pixels->Width(); ++x)
                bitmap.Alpha[static_cast<size_t>(y) * width + static_cast<size_t>(x)] = row[4 * x + 3];
        }
    }
    bitmap.Pixels = std::move(pixels);
    return bitmap;
}

std::optional<TSourceBitmap> SourceRectangle(const TRecordBitmap& bitmap, int32_t x, int32_t y, int32_t width,
                                             int32_t height, bool bottomOrigin)
{
    const int64_t w = bitmap.Pixels->Width(), h = bitmap.Pixels->Height();
    int64_t top = y;
    if (bottomOrigin && bitmap.BottomUp)
        top = h - int64_t{y} - height;
    const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(int64_t{x} + width, w);
    const int64_t first = std::max<int64_t>(top, 0), last = std::min<int64_t>(top + height, h);
    if (width <= 0 || height <= 0 || right <= left || last <= first)
        return std::nullopt;
    TSourceBitmap source;
    source.Pixels = bitmap.Pixels;
    source.Alpha = bitmap.Alpha;
    source.Left = static_cast<int32_t>(left);
    source.Top = static_cast<int32_t>(first);
    source.Width = static_cast<int32_t>(right - left);
    source.Height = static_cast<int32_t>(last - first);
    return source;
}

}  // namespace tremalu
