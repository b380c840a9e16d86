#include "raster/pixel_buffer.h"

#include "core/checked_math.h"
#include "core/errors.h"

#include <algorithm>
#include <bit>
#include <sys/mman.h>
#include <cstdlib>
#include <cstring>

namespace tremalu {

bool IsSupportedLayout(int bitsPerPixel, uint32_t compression)
{
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8:
    case 24:
        return compression == BI_RGB;
    case 16:
    case 32:
        return compression == BI_RGB || compression == BI_BITFIELDS;
    default:
        return false;
    }
}

void DefaultBitfieldsMasks(int bitsPerPixel, uint32_t masks[3])
{
    static constexpr uint32_t Masks565[3] = {0xF800, 0x07E0, 0x001F};
    static constexpr uint32_t Masks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    std::copy_n(bitsPerPixel == 16 ? Masks565 : Masks888, 3, masks);
}

void EffectiveMasks(const TPixelLayout& layout, uint32_t masks[3])
{
    if (layout.Compression == BI_BITFIELDS) {
        for (int i = 0; i < 3; ++i)
            masks[i] = layout.Masks[i];
    } else if (layout.BitsPerPixel == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
}

TPixelBuffer::TPixelBuffer(TPixelLayout layout) : Layout(std::move(layout))
{
    if (!IsSupportedLayout(Layout.BitsPerPixel, Layout.Compression))
        throw EInvalidGraphic(texts::InvalidBitmap);
    const size_t bytes = CheckedBitmapBytes(Layout.Width, Layout.Height, Layout.BitsPerPixel);
    RowBytes = static_cast<size_t>(PaddedStride(static_cast<uint64_t>(Layout.Width),
                                                static_cast<uint64_t>(Layout.BitsPerPixel)));
    Data = AllocateZeroed(bytes, Mapped);
    PrepareFormat();
}

TPixelBuffer::TPixelBuffer(TPixelLayout layout, uint8_t* bits, size_t stride)
    : Layout(std::move(layout)), RowBytes(stride), Data(bits), Owned(false)
{
    if (!IsSupportedLayout(Layout.BitsPerPixel, Layout.Compression))
        throw EInvalidGraphic(texts::InvalidBitmap);
    PrepareFormat();
}

TPixelBuffer::~TPixelBuffer()
{
    if (!Owned)
        return;
    if (Mapped != 0)
        ::munmap(Data, Mapped);
    else
        std::free(Data);
}

uint8_t* TPixelBuffer::AllocateZeroed(size_t bytes, size_t& mapped)
{
    mapped = 0;
    // Fresh pages come zeroed from the system, so memory costs nothing until
    // it is first written; that first touch is what large pictures pay for.
    // Large buffers are mapped on their own and asked for huge pages, which
    // take one fault per 2 MiB instead of one per 4 KiB.
    constexpr size_t HugeThreshold = size_t{8} << 20;
    if (bytes >= HugeThreshold) {
        void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw EOutOfMemory(texts::OutOfMemory);
        // Only advice: without huge pages the buffer works the same.
        ::madvise(p, bytes, MADV_HUGEPAGE);
        mapped = bytes;
        return static_cast<uint8_t*>(p);
    }
    auto* p = static_cast<uint8_t*>(std::calloc(bytes == 0 ? 1 : bytes, 1));
    if (p == nullptr)
        throw EOutOfMemory(texts::OutOfMemory);
    return p;
}

std::unique_ptr<TPixelBuffer> TPixelBuffer::MakeDevice(int32_t width, int32_t height)
{
    TPixelLayout layout;
    layout.Width = width;
    layout.Height = height;
    layout.BitsPerPixel = 32;
    return std::make_unique<TPixelBuffer>(std::move(layout));
}

std::unique_ptr<TPixelBuffer> TPixelBuffer::MakeMonochrome(int32_t width, int32_t height)
{
    TPixelLayout layout;
    layout.Width = width;
    layout.Height = height;
    layout.BitsPerPixel = 1;
    layout.ColorTable = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    return std::make_unique<TPixelBuffer>(std::move(layout));
}

std::unique_ptr<TPixelBuffer> TPixelBuffer::Clone() const
{
    auto copy = std::make_unique<TPixelBuffer>(Layout);
    if (copy->RowBytes == RowBytes) {
        std::memcpy(copy->Data, Data, ByteSize());
    } else {
        for (int32_t y = 0; y < Layout.Height; ++y)
            std::memcpy(copy->ScanLine(y), ScanLine(y), copy->RowBytes);
    }
    return copy;
}

void TPixelBuffer::SetColorTable(std::vector<TRGBQuad> table)
{
    Layout.ColorTable = std::move(table);
    PrepareFormat();
}

void TPixelBuffer::PrepareFormat()
{
    for (int i = 0; i < 256; ++i) {
        const TRGBQuad q = i < static_cast<int>(Layout.ColorTable.size()) ? Layout.ColorTable[i] : TRGBQuad{};
        Table32[i] = uint32_t{q.Blue} | (uint32_t{q.Green} << 8) | (uint32_t{q.Red} << 16);
    }
    LastNearestPixel = 0xFFFFFFFF;
    if (Layout.BitsPerPixel != 16 && Layout.BitsPerPixel != 32)
        return;
    uint32_t masks[3];
    EffectiveMasks(Layout, masks);
    for (int c = 0; c < 3; ++c) {
        Channel& ch = Channels[c];
        ch.Mask = masks[c];
        ch.Shift = masks[c] == 0 ? 0 : std::countr_zero(masks[c]);
        // The channel's width is that of the mask's lowest run of set bits.
        const uint32_t shifted = masks[c] == 0 ? 0 : masks[c] >> ch.Shift;
        ch.Width = std::countr_one(shifted);
        if (ch.Width > 0 && ch.Width < 8) {
            // Short channels are widened by repeating their bits, so that 0
            // gives 0 and full scale gives 255.
            const uint32_t count = 1u << ch.Width;
            for (uint32_t v = 0; v < count; ++v) {
                uint32_t wide = 0;
                int bits = 0;
                while (bits < 8) {
                    wide = (wide << ch.Width) | v;
                    bits += ch.Width;
                }
                ch.Widen[v] = static_cast<uint8_t>(wide >> (bits - 8));
            }
        }
    }
}

uint32_t TPixelBuffer::PixelFromRaw(uint32_t raw) const
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const Channel& ch = Channels[c];
        if (ch.Width == 0)
            continue;
        const uint32_t v = (raw & ch.Mask) >> ch.Shift;
        const uint32_t narrow = v & ((ch.Width >= 32) ? 0xFFFFFFFFu : ((1u << ch.Width) - 1));
        const uint32_t eight = ch.Width >= 8 ? (narrow >> (ch.Width - 8)) : ch.Widen[narrow];
        out |= eight << (16 - 8 * c);  // red into bits 16-23, green 8-15, blue 0-7
    }
    return out;
}

uint32_t TPixelBuffer::RawFromPixel(uint32_t pixel) const
{
    uint32_t raw = 0;
    for (int c = 0; c < 3; ++c) {
        const Channel& ch = Channels[c];
        if (ch.Width == 0)
            continue;
        const uint32_t eight = (pixel >> (16 - 8 * c)) & 0xFF;
        const uint32_t v = ch.Width >= 8 ? (eight << (ch.Width - 8)) : (eight >> (8 - ch.Width));
        raw |= (v << ch.Shift) & ch.Mask;
    }
    return raw;
}

uint32_t TPixelBuffer::NearestIndex(uint32_t pixel) const
{
    if (pixel == LastNearestPixel)
        return LastNearestIndex;
    const int entries = static_cast<int>(std::min<size_t>(Layout.ColorTable.size(), size_t{1} << Layout.BitsPerPixel));
    uint32_t best = 0;
    uint32_t bestDistance = 0xFFFFFFFF;
    const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    for (int i = 0; i < entries; ++i) {
        const uint32_t t = Table32[i];
        const int dr = r - static_cast<int>((t >> 16) & 0xFF);
        const int dg = g - static_cast<int>((t >> 8) & 0xFF);
        const int db = b - static_cast<int>(t & 0xFF);
        const uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<uint32_t>(i);
            if (d == 0)
                break;
        }
    }
    LastNearestPixel = pixel;
    LastNearestIndex = best;
    return best;
}

uint32_t TPixelBuffer::RawAt(const uint8_t* row, int32_t x) const
{
    switch (Layout.BitsPerPixel) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
    case 8:
        return row[x];
    case 16:
        return uint32_t{row[2 * x]} | (uint32_t{row[2 * x + 1]} << 8);
    case 24: {
        const uint8_t* p = row + 3 * x;
        return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
    }
    default: {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v;
    }
    }
}

void TPixelBuffer::StoreRaw(uint8_t* row, int32_t x, uint32_t raw)
{
    switch (Layout.BitsPerPixel) {
    case 1: {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>(raw ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
        break;
    }
    case 4: {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (raw & 0xF)) : static_cast<uint8_t>((b & 0x0F) | ((raw & 0xF) << 4));
        break;
    }
    case 8:
        row[x] = static_cast<uint8_t>(raw);
        break;
    case 16:
        row[2 * x] = static_cast<uint8_t>(raw);
        row[2 * x + 1] = static_cast<uint8_t>(raw >> 8);
        break;
    case 24:
        row[3 * x] = static_cast<uint8_t>(raw);
        row[3 * x + 1] = static_cast<uint8_t>(raw >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(raw >> 16);
        break;
    default:
        std::memcpy(row + 4 * x, &raw, 4);
        break;
    }
}

void TPixelBuffer::ReadRow(int32_t y, int32_t x0, int32_t count, uint32_t* out, const MonochromeColors* mono) const
{
    const uint8_t* row = ScanLine(y);
    switch (Layout.BitsPerPixel) {
    case 32:
        if (Layout.Compression == BI_RGB) {
            const uint32_t* p = reinterpret_cast<const uint32_t*>(row) + x0;
            for (int32_t i = 0; i < count; ++i)
                out[i] = p[i] & DeviceColorBits;
            return;
        }
        break;
    case 24: {
        const uint8_t* p = row + 3 * static_cast<size_t>(x0);
        for (int32_t i = 0; i < count; ++i, p += 3)
            out[i] = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
        return;
    }
    case 8:
        for (int32_t i = 0; i < count; ++i)
            out[i] = Table32[row[x0 + i]];
        return;
    default:
        break;
    }
    for (int32_t i = 0; i < count; ++i)
        out[i] = ConvertRaw(RawAt(row, x0 + i), mono);
}

void TPixelBuffer::ReadRowSampled(int32_t y, const int32_t* columns, int32_t count, uint32_t* out,
                                  const MonochromeColors* mono) const
{
    const uint8_t* row = ScanLine(y);
    switch (Layout.BitsPerPixel) {
    case 24:
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* p = row + 3 * static_cast<size_t>(columns[i]);
            out[i] = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
        }
        return;
    case 32:
        if (Layout.Compression == BI_RGB) {
            const uint32_t* p = reinterpret_cast<const uint32_t*>(row);
            for (int32_t i = 0; i < count; ++i)
                out[i] = p[columns[i]] & DeviceColorBits;
            return;
        }
        break;
    default:
        break;
    }
    for (int32_t i = 0; i < count; ++i)
        out[i] = ConvertRaw(RawAt(row, columns[i]), mono);
}

uint32_t TPixelBuffer::ConvertRaw(uint32_t raw, const MonochromeColors* mono) const
{
    if (Layout.BitsPerPixel == 1 && mono != nullptr)
        return raw ? mono->One : mono->Zero;
    if (Layout.BitsPerPixel <= 8)
        return Table32[raw];
    return PixelFromRaw(raw);
}

void TPixelBuffer::WriteRow(int32_t y, int32_t x0, int32_t count, const uint32_t* in)
{
    uint8_t* row = ScanLine(y);
    switch (Layout.BitsPerPixel) {
    case 32:
        if (Layout.Compression == BI_RGB) {
            uint32_t* p = reinterpret_cast<uint32_t*>(row) + x0;
            for (int32_t i = 0; i < count; ++i)
                p[i] = in[i] & DeviceColorBits;
            return;
        }
        break;
    case 24: {
        uint8_t* p = row + 3 * static_cast<size_t>(x0);
        for (int32_t i = 0; i < count; ++i, p += 3) {
            p[0] = static_cast<uint8_t>(in[i]);
            p[1] = static_cast<uint8_t>(in[i] >> 8);
            p[2] = static_cast<uint8_t>(in[i] >> 16);
        }
        return;
    }
    default:
        break;
    }
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t pixel = in[i] & DeviceColorBits;
        const uint32_t raw = Layout.BitsPerPixel <= 8 ? NearestIndex(pixel) : RawFromPixel(pixel);
        StoreRaw(row, x0 + i, raw);
    }
}

}  // namespace tremalu
