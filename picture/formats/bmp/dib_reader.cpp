#include "formats/bmp/dib_reader.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/little_endian.h"
#include "core/streams.h"
#include "formats/bmp/bmp_rle.h"

#include <algorithm>

namespace tremalu {

namespace {

constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(texts::InvalidBitmap); }

bool IsAcceptedHeaderSize(uint32_t size)
{
    switch (size) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

// The 12-byte OS/2 core header: unsigned 16-bit width and height (rows always
// bottom-up), planes, bits per pixel.
void ReadCoreHeader(TStream& stream, TDibHeader& h)
{
    std::vector<uint8_t> raw(CoreHeaderSize - 4);
    stream.ReadBuffer(raw.data(), raw.size());
    const TLittleEndianReader b(raw);
    h.Info.Width = b.U16(0);
    h.Info.Height = b.U16(2);
    h.Info.Planes = b.U16(4);
    h.Info.BitCount = b.U16(6);
}

// A Windows info header; headers of 52 bytes and more hold the red, green
// and blue masks at offsets 40, 44 and 48 (and an alpha mask, not used:
// pictures are drawn opaque).
void ReadInfoHeader(TStream& stream, TDibHeader& h)
{
    std::vector<uint8_t>& raw = h.RawInfoHeader;
    raw.resize(h.HeaderSize);
    for (int k = 0; k < 4; ++k)
        raw[k] = static_cast<uint8_t>(h.HeaderSize >> (8 * k));
    stream.ReadBuffer(raw.data() + 4, h.HeaderSize - 4);
    const TLittleEndianReader b(raw);
    h.Info.Width = b.I32(4);
    h.Info.Height = b.I32(8);
    h.Info.Planes = b.U16(12);
    h.Info.BitCount = b.U16(14);
    h.Info.Compression = b.U32(16);
    h.Info.SizeImage = b.U32(20);
    h.Info.XPelsPerMeter = b.I32(24);
    h.Info.YPelsPerMeter = b.I32(28);
    h.Info.ClrUsed = b.U32(32);
    h.Info.ClrImportant = b.U32(36);
    if (h.HeaderSize >= 52 && h.Info.Compression == BI_BITFIELDS)
        for (int k = 0; k < 3; ++k)
            h.Masks[k] = b.U32(40 + 4 * k);
}

// Rejects what no bitmap of ours can hold, before anything is allocated.
void CheckHeader(const TDibHeader& h, const TDibReadOptions& options)
{
    const TBitmapInfoHeader& i = h.Info;
    if (i.Planes != 1)
        InvalidBitmap();
    switch (i.Compression) {
    case BI_RGB:
        if (i.BitCount != 1 && i.BitCount != 4 && i.BitCount != 8 && i.BitCount != 16 && i.BitCount != 24 &&
            i.BitCount != 32)
            InvalidBitmap();
        break;
    case BI_RLE8:
        if (i.BitCount != 8)
            InvalidBitmap();
        break;
    case BI_RLE4:
        if (i.BitCount != 4)
            InvalidBitmap();
        break;
    case BI_BITFIELDS:
        if (i.BitCount != 16 && i.BitCount != 32)
            InvalidBitmap();
        break;
    default:
        InvalidBitmap();
    }
    // A height of INT32_MIN has no positive counterpart.
    if (i.Width < 1 || i.Height == 0 || i.Height == INT32_MIN)
        InvalidBitmap();
    if (h.Compressed() && i.Height < 0)
        InvalidBitmap();
    if (options.TableRule == TColorTableRule::FromHeader &&
        (i.ClrUsed > 256 || (i.BitCount <= 8 && i.ClrUsed > (1u << i.BitCount))))
        InvalidBitmap();
    CheckedBitmapBytes(i.Width, h.Rows(), h.Compressed() ? 32 : i.BitCount);
}

uint32_t TableEntries(const TDibHeader& h, TColorTableRule rule)
{
    if (rule == TColorTableRule::FullForDepth)
        return h.Info.BitCount <= 8 ? 1u << h.Info.BitCount : 0;
    if (h.Info.ClrUsed == 0 && h.Info.BitCount <= 8)
        return 1u << h.Info.BitCount;
    return h.Info.ClrUsed;
}

// Reads up to count bytes, as many as the stream still has.
size_t ReadUpTo(TStream& stream, void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const size_t n = stream.Read(static_cast<uint8_t*>(buffer) + done, count - done);
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

std::unique_ptr<TPixelBuffer> ReadUncompressedPixels(TStream& stream, const TDibHeader& h, uint64_t count)
{
    TPixelLayout layout;
    layout.Width = h.Info.Width;
    layout.Height = h.Rows();
    layout.TopDown = h.Info.Height < 0;
    layout.BitsPerPixel = h.Info.BitCount;
    layout.Compression = h.Info.Compression;
    if (h.Info.Compression == BI_BITFIELDS) {
        if (MasksAreZero(h.Masks))
            DefaultBitfieldsMasks(h.Info.BitCount, layout.Masks);
        else
            std::copy(h.Masks, h.Masks + 3, layout.Masks);
    }
    if (h.Info.BitCount <= 8)
        layout.ColorTable = h.ColorTable;
    auto pixels = std::make_unique<TPixelBuffer>(std::move(layout));
    // The rows go straight into the bitmap's memory; what the data does not
    // hold stays 0.
    ReadUpTo(stream, pixels->Bits(), static_cast<size_t>(std::min<uint64_t>(count, pixels->ByteSize())));
    return pixels;
}

std::unique_ptr<TPixelBuffer> ReadCompressedPixels(TStream& stream, const TDibHeader& h, uint64_t count)
{
    auto pixels = TPixelBuffer::MakeDevice(h.Info.Width, h.Info.Height);
    std::vector<uint8_t> data(static_cast<size_t>(count));
    data.resize(ReadUpTo(stream, data.data(), data.size()));
    uint32_t colors[256] = {};
    for (size_t k = 0; k < h.ColorTable.size() && k < 256; ++k) {
        const TRGBQuad& c = h.ColorTable[k];
        colors[k] = uint32_t{c.Blue} | (uint32_t{c.Green} << 8) | (uint32_t{c.Red} << 16);
    }
    // Pixels the runs never set take colour-table entry 0.
    const uint32_t background = colors[0];
    for (int32_t y = 0; y < pixels->Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(pixels->ScanLine(y));
        std::fill(row, row + pixels->Width(), background);
    }
    // The device memory is stored bottom-up, as the runs are.
    DecodeRle(data.data(), data.size(), h.Info.BitCount, pixels->Width(), pixels->Height(), pixels->Bits(),
              pixels->Stride(), colors);
    return pixels;
}

}  // namespace

uint64_t TDibHeader::PixelBytes() const
{
    const uint64_t stride = PaddedStride(static_cast<uint64_t>(Info.Width), Info.BitCount);
    return Info.SizeImage != 0 ? Info.SizeImage : stride * static_cast<uint64_t>(Rows());
}

uint32_t TDibHeader::TableBytes() const
{
    const bool separateMasks = HeaderSize == InfoHeaderSize && Info.Compression == BI_BITFIELDS;
    return (separateMasks ? 12 : 0) + static_cast<uint32_t>(ColorTable.size()) * (OS2 ? 3 : 4);
}

TDibHeader ReadDibInfoHeader(TStream& stream, const TDibReadOptions& options)
{
    TDibHeader h;
    h.HeaderSize = stream.ReadU32();
    if (!IsAcceptedHeaderSize(h.HeaderSize))
        InvalidBitmap();
    h.OS2 = h.HeaderSize == CoreHeaderSize;
    if (h.OS2)
        ReadCoreHeader(stream, h);
    else
        ReadInfoHeader(stream, h);
    h.Info.Size = InfoHeaderSize;
    if (options.HeightScale > 1)
        h.Info.Height /= options.HeightScale;
    CheckHeader(h, options);
    return h;
}

void ReadDibTables(TStream& stream, TDibHeader& h, const TDibReadOptions& options)
{
    if (h.HeaderSize == InfoHeaderSize && h.Info.Compression == BI_BITFIELDS)
        for (uint32_t& mask : h.Masks)
            mask = stream.ReadU32();
    const uint32_t count = TableEntries(h, options.TableRule);
    const size_t entrySize = h.OS2 ? 3 : 4;
    std::vector<uint8_t> raw(static_cast<size_t>(count) * entrySize);
    stream.ReadBuffer(raw.data(), raw.size());
    h.ColorTable.resize(count);
    for (uint32_t k = 0; k < count; ++k) {
        const uint8_t* e = raw.data() + k * entrySize;
        h.ColorTable[k] = {e[0], e[1], e[2], 0};
    }
}

std::unique_ptr<TPixelBuffer> ReadDibPixels(TStream& stream, const TDibHeader& header, uint64_t available)
{
    const uint64_t count = std::min(header.PixelBytes(), available);
    return header.Compressed() ? ReadCompressedPixels(stream, header, count)
                               : ReadUncompressedPixels(stream, header, count);
}

std::unique_ptr<TPixelBuffer> ReadDibAndMask(TStream& stream, int32_t width, int32_t height, uint64_t available)
{
    auto mask = TPixelBuffer::MakeMonochrome(width, height);
    ReadUpTo(stream, mask->Bits(), static_cast<size_t>(std::min<uint64_t>(available, mask->ByteSize())));
    return mask;
}

TDib ReadDib(TStream& stream, uint64_t available, const TDibReadOptions& options)
{
    const int64_t start = stream.Position();
    const auto left = [&] {
        const uint64_t used = static_cast<uint64_t>(stream.Position() - start);
        return available > used ? available - used : 0;
    };
    TDib dib;
    dib.Header = ReadDibInfoHeader(stream, options);
    ReadDibTables(stream, dib.Header, options);
    dib.Pixels = ReadDibPixels(stream, dib.Header, left());
    // The mask starts where the colour rows end.
    if (options.WithAndMask)
        dib.AndMask = ReadDibAndMask(stream, dib.Header.Info.Width, dib.Header.Rows(), left());
    return dib;
}

}  // namespace tremalu
