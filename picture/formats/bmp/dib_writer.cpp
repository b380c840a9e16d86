#include "formats/bmp/dib_writer.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/little_endian.h"
#include "core/streams.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

namespace {

constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;

std::vector<uint8_t> FileHeader(uint32_t fileSize, uint32_t pixelOffset)
{
    TLittleEndianWriter h(BmpFileHeaderSize);
    h.U8(0, 'B');
    h.U8(1, 'M');
    h.U32(2, fileSize);
    h.U32(10, pixelOffset);
    return h.Data();
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

// The colour entries a file of these pixels carries: the buffer's own table
// (cut to the colours used), or else the palette of a true-colour picture.
std::vector<TRGBQuad> ColorEntries(const TPixelLayout& layout, const TBitmapDescription& d, const HPALETTE& palette,
                                   bool os2, bool halftone)
{
    std::vector<TRGBQuad> table;
    if (layout.BitsPerPixel <= 8) {
        table = layout.ColorTable;
        if (table.size() > 256)
            table.resize(256);
        if (d.Header.ClrUsed > 0 && d.Header.ClrUsed < table.size())
            table.resize(d.Header.ClrUsed);
    }
    if (table.empty() && !os2 && palette && !halftone)
        table = ColorTableOf(*palette);
    if (table.size() > 256)
        table.resize(256);
    return table;
}

}  // namespace

TBmpFileHead MakeBmpFileHead(const TPixelLayout& layout, TBitmapDescription& d, const HPALETTE& palette, bool os2,
                             bool halftone)
{
    const std::vector<TRGBQuad> table = ColorEntries(layout, d, palette, os2, halftone);
    const int bits = layout.BitsPerPixel;
    if (d.Header.Compression == BI_BITFIELDS && MasksAreZero(d.Masks))
        DefaultBitfieldsMasks(bits, d.Masks);
    if (!table.empty())
        d.Header.ClrUsed = static_cast<uint32_t>(table.size());

    TBmpFileHead head;
    head.ImageSize = static_cast<uint32_t>(PaddedStride(static_cast<uint64_t>(layout.Width), static_cast<uint64_t>(bits)) *
                                           static_cast<uint64_t>(layout.Height));
    const bool writeMasks = !os2 && bits > 8 && d.Header.Compression == BI_BITFIELDS;
    // The OS/2 layout always has the full table of its depth.
    const uint32_t entries = os2 ? (bits <= 8 ? (1u << bits) : 0) : static_cast<uint32_t>(table.size());
    const uint32_t entrySize = os2 ? 3 : 4;
    const uint32_t pixelOffset =
        BmpFileHeaderSize + (os2 ? CoreHeaderSize : InfoHeaderSize) + (writeMasks ? 12 : 0) + entries * entrySize;
    head.Bytes = FileHeader(pixelOffset + head.ImageSize, pixelOffset);

    if (os2) {
        TLittleEndianWriter h(CoreHeaderSize);
        h.U32(0, CoreHeaderSize);
        h.U16(4, static_cast<uint16_t>(layout.Width));
        h.U16(6, static_cast<uint16_t>(layout.Height));
        h.U16(8, 1);
        h.U16(10, static_cast<uint16_t>(bits));
        Append(head.Bytes, h.Data());
    } else {
        TLittleEndianWriter h(InfoHeaderSize);
        h.U32(0, InfoHeaderSize);
        h.I32(4, layout.Width);
        h.I32(8, layout.TopDown ? -layout.Height : layout.Height);
        h.U16(12, 1);
        h.U16(14, static_cast<uint16_t>(bits));
        h.U32(16, d.Header.Compression == BI_BITFIELDS ? BI_BITFIELDS : BI_RGB);
        h.U32(20, head.ImageSize);
        h.I32(24, d.Header.XPelsPerMeter);
        h.I32(28, d.Header.YPelsPerMeter);
        h.U32(32, d.Header.ClrUsed);
        h.U32(36, d.Header.ClrImportant);
        Append(head.Bytes, h.Data());
        if (writeMasks) {
            TLittleEndianWriter m(12);
            for (int k = 0; k < 3; ++k)
                m.U32(4 * k, d.Masks[k]);
            Append(head.Bytes, m.Data());
        }
    }
    // Entries missing from an OS/2 table are written black.
    std::vector<uint8_t> raw(entries * entrySize, 0);
    for (size_t k = 0; k < table.size() && k < entries; ++k) {
        raw[entrySize * k] = table[k].Blue;
        raw[entrySize * k + 1] = table[k].Green;
        raw[entrySize * k + 2] = table[k].Red;
        if (!os2)
            raw[entrySize * k + 3] = table[k].Reserved;
    }
    Append(head.Bytes, raw);
    return head;
}

TBmpRowWriter::TBmpRowWriter(TStream& out, int32_t width, int32_t height)
    : Out(out), Stride(PaddedStride(static_cast<uint64_t>(width), 32)), Height(height)
{
    CheckedBitmapBytes(width, height, 32);
    TPixelLayout layout;
    layout.Width = width;
    layout.Height = height;
    // A new device bitmap records nothing more: no resolutions, no colours.
    TBitmapDescription description;
    const TBmpFileHead head = MakeBmpFileHead(layout, description, nullptr, false, false);
    Out.WriteBuffer(head.Bytes.data(), head.Bytes.size());
    PixelStart = Out.Position();
}

void TBmpRowWriter::WriteRow(const uint8_t* devicePixels)
{
    const uint64_t stored = static_cast<uint64_t>(Height - 1 - Next);
    if (Out.Seek(PixelStart + static_cast<int64_t>(stored * Stride), TSeekOrigin::Beginning) < 0)
        throw EWriteError(texts::StreamWrite);
    Out.WriteBuffer(devicePixels, static_cast<size_t>(Stride));
    ++Next;
}

void TBmpRowWriter::Finish()
{
    if (Out.Seek(PixelStart + static_cast<int64_t>(Stride * static_cast<uint64_t>(Height)), TSeekOrigin::Beginning) < 0)
        throw EWriteError(texts::StreamWrite);
}

void WriteBmpFileAround(TStream& stream, const uint8_t* dib, uint32_t size)
{
    const TLittleEndianReader kept(dib, size);
    const uint32_t headerSize = kept.U32(0);
    const uint16_t bits = kept.U16(14);
    uint32_t colors = kept.U32(32);
    if (colors == 0 && bits <= 8)
        colors = 1u << bits;
    const std::vector<uint8_t> header =
        FileHeader(BmpFileHeaderSize + size, BmpFileHeaderSize + headerSize + colors * 4);
    stream.WriteBuffer(header.data(), header.size());
    stream.WriteBuffer(dib, size);
}

}  // namespace tremalu
