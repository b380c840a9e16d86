// The BMP file format, read and written by TBitmap.
//
// A file is a 14-byte file header ("BM", file size, two reserved words, pixel
// offset), an info header (12 bytes in the OS/2 layout; 40, 52, 56, 108 or
// 124 bytes in the Windows layouts), channel masks for BI_BITFIELDS files
// with a 40-byte header, a colour table (4-byte entries; 3-byte in the OS/2
// layout) and the pixel rows, each padded to a multiple of 4 bytes, stored
// bottom-up unless the height is negative. All fields are little-endian.
//
// Reading is sequential: the pixels are taken right after the colour table,
// whatever the pixel offset says. The file header's size and offset are not
// used; the picture data runs to the end of the stream.

#include "raster/bitmap.h"
#include "formats/bmp/bmp_rle.h"
#include "core/checked_math.h"
#include "core/errors.h"
#include "core/streams.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tremalu {

namespace {

constexpr uint16_t BitmapSignature = 0x4D42;  // "BM"
constexpr uint32_t FileHeaderSize = 14;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t InfoHeaderSize = 40;

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic(texts::InvalidBitmap); }

uint32_t LoadU32(const uint8_t* p)
{
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

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

// What one read has learnt of the file so far.
struct BmpHeader {
    uint32_t HeaderSize = 0;  // as read (12 for OS/2)
    bool OS2 = false;
    TBitmapInfoHeader Info;   // the OS/2 core header is widened into this
    uint32_t Masks[3] = {0, 0, 0};
    bool HasMasks = false;
};

// The 12-byte OS/2 core header after its size field: unsigned 16-bit width
// and height (rows always bottom-up), planes, bits per pixel.
void ReadCoreHeader(TStream& stream, BmpHeader& h)
{
    uint8_t b[8];
    stream.ReadBuffer(b, sizeof b);
    h.Info.Size = InfoHeaderSize;
    h.Info.Width = LoadU16(b);
    h.Info.Height = LoadU16(b + 2);
    h.Info.Planes = LoadU16(b + 4);
    h.Info.BitCount = LoadU16(b + 6);
}

// The Windows info header after its size field; headers of 52 bytes and
// more hold the red, green and blue masks at offsets 40, 44 and 48 (and an
// alpha mask, which is not used: pictures are drawn opaque).
void ReadInfoHeader(TStream& stream, BmpHeader& h, std::vector<uint8_t>& raw)
{
    raw.resize(h.HeaderSize);
    const uint32_t size = h.HeaderSize;
    std::memcpy(raw.data(), &size, 4);
    stream.ReadBuffer(raw.data() + 4, h.HeaderSize - 4);
    const uint8_t* b = raw.data();
    h.Info.Size = InfoHeaderSize;
    h.Info.Width = static_cast<int32_t>(LoadU32(b + 4));
    h.Info.Height = static_cast<int32_t>(LoadU32(b + 8));
    h.Info.Planes = LoadU16(b + 12);
    h.Info.BitCount = LoadU16(b + 14);
    h.Info.Compression = LoadU32(b + 16);
    h.Info.SizeImage = LoadU32(b + 20);
    h.Info.XPelsPerMeter = static_cast<int32_t>(LoadU32(b + 24));
    h.Info.YPelsPerMeter = static_cast<int32_t>(LoadU32(b + 28));
    h.Info.ClrUsed = LoadU32(b + 32);
    h.Info.ClrImportant = LoadU32(b + 36);
    if (h.HeaderSize >= 52 && h.Info.Compression == BI_BITFIELDS) {
        h.Masks[0] = LoadU32(b + 40);
        h.Masks[1] = LoadU32(b + 44);
        h.Masks[2] = LoadU32(b + 48);
        h.HasMasks = true;
    }
}

// Rejects what no bitmap of ours can hold, before anything is allocated.
void CheckHeader(const BmpHeader& h)
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
    const bool compressed = i.Compression == BI_RLE8 || i.Compression == BI_RLE4;
    if (compressed && i.Height < 0)
        InvalidBitmap();
    if (i.ClrUsed > 256 || (i.BitCount <= 8 && i.ClrUsed > (1u << i.BitCount)))
        InvalidBitmap();
}

// The colour table: 4-byte entries (blue, green, red, 0), or 3-byte entries
// in the OS/2 layout, which are widened here.
std::vector<TRGBQuad> ReadColorTable(TStream& stream, uint32_t count, bool os2)
{
    const size_t entrySize = os2 ? 3 : 4;
    std::vector<uint8_t> raw(count * entrySize);
    stream.ReadBuffer(raw.data(), raw.size());
    std::vector<TRGBQuad> table(count);
    for (uint32_t k = 0; k < count; ++k) {
        const uint8_t* e = raw.data() + k * entrySize;
        table[k] = {e[0], e[1], e[2], 0};
    }
    return table;
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

std::unique_ptr<TPixelBuffer> ReadUncompressedPixels(TStream& stream, const BmpHeader& h,
                                                     std::vector<TRGBQuad> table, uint64_t count)
{
    TPixelLayout layout;
    layout.Width = h.Info.Width;
    layout.Height = h.Info.Height < 0 ? -h.Info.Height : h.Info.Height;
    layout.TopDown = h.Info.Height < 0;
    layout.BitsPerPixel = h.Info.BitCount;
    layout.Compression = h.Info.Compression;
    if (h.Info.Compression == BI_BITFIELDS) {
        std::copy(h.Masks, h.Masks + 3, layout.Masks);
        if (h.Masks[0] == 0 && h.Masks[1] == 0 && h.Masks[2] == 0) {
            const uint32_t d16[3] = {0xF800, 0x07E0, 0x001F}, d32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
            std::copy_n(h.Info.BitCount == 16 ? d16 : d32, 3, layout.Masks);
        }
    }
    if (h.Info.BitCount <= 8)
        layout.ColorTable = std::move(table);
    auto pixels = std::make_unique<TPixelBuffer>(std::move(layout));
    // The rows go straight into the bitmap's memory; what the file does not
    // hold stays 0.
    ReadUpTo(stream, pixels->Bits(), static_cast<size_t>(std::min<uint64_t>(count, pixels->ByteSize())));
    return pixels;
}

std::unique_ptr<TPixelBuffer> ReadCompressedPixels(TStream& stream, const BmpHeader& h,
                                                   const std::vector<TRGBQuad>& table, uint64_t count)
{
    auto pixels = TPixelBuffer::MakeDevice(h.Info.Width, h.Info.Height);
    std::vector<uint8_t> data(static_cast<size_t>(count));
    data.resize(ReadUpTo(stream, data.data(), data.size()));
    uint32_t colors[256] = {};
    for (size_t k = 0; k < table.size() && k < 256; ++k)
        colors[k] = uint32_t{table[k].Blue} | (uint32_t{table[k].Green} << 8) | (uint32_t{table[k].Red} << 16);
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

// Reads the info header and everything after it; left is the number of
// bytes of the picture data after the file header.
std::unique_ptr<TBitmapImage> ReadBitmapInfo(TStream& input, int64_t left)
{
    BmpHeader h;
    h.HeaderSize = input.ReadU32();
    if (!IsAcceptedHeaderSize(h.HeaderSize))
        InvalidBitmap();
    h.OS2 = h.HeaderSize == CoreHeaderSize;
    std::vector<uint8_t> rawHeader;
    if (h.OS2)
        ReadCoreHeader(input, h);
    else
        ReadInfoHeader(input, h, rawHeader);
    left -= h.HeaderSize;
    CheckHeader(h);

    const bool compressed = h.Info.Compression == BI_RLE8 || h.Info.Compression == BI_RLE4;
    const int bitsForSize = compressed ? 32 : h.Info.BitCount;
    CheckedBitmapBytes(h.Info.Width, h.Info.Height < 0 ? -int64_t{h.Info.Height} : h.Info.Height, bitsForSize);

    // A compressed file is kept as it was read, header included, so that it
    // can be written back unchanged; the rest is read from that copy.
    std::unique_ptr<TMemoryStream> kept;
    TStream* stream = &input;
    if (compressed) {
        kept = std::make_unique<TMemoryStream>();
        kept->WriteBuffer(rawHeader.data(), rawHeader.size());
        if (left > 0)
            kept->CopyFrom(input, left);
        kept->SetPosition(h.HeaderSize);
        stream = kept.get();
    }

    if (h.HeaderSize == InfoHeaderSize && h.Info.Compression == BI_BITFIELDS) {
        h.Masks[0] = stream->ReadU32();
        h.Masks[1] = stream->ReadU32();
        h.Masks[2] = stream->ReadU32();
        h.HasMasks = true;
        left -= 12;
    }

    uint32_t colorsUsed = h.Info.ClrUsed;
    if (colorsUsed == 0 && h.Info.BitCount <= 8)
        colorsUsed = 1u << h.Info.BitCount;
    std::vector<TRGBQuad> table = ReadColorTable(*stream, colorsUsed, h.OS2);
    left -= static_cast<int64_t>(colorsUsed) * (h.OS2 ? 3 : 4);

    const uint64_t stride = PaddedStride(static_cast<uint64_t>(h.Info.Width), h.Info.BitCount);
    const uint64_t rows = h.Info.Height < 0 ? -int64_t{h.Info.Height} : h.Info.Height;
    const uint64_t imageSize = h.Info.SizeImage != 0 ? h.Info.SizeImage : stride * rows;
    const uint64_t count = left < 0 ? imageSize : std::min<uint64_t>(imageSize, static_cast<uint64_t>(left));

    auto image = std::make_unique<TBitmapImage>();
    if (compressed) {
        image->Handle = ReadCompressedPixels(*stream, h, table, count);
        image->DeviceDependent = true;
        if (colorsUsed > 0)
            image->Palette = MakePalette(table);
        image->KeptFileData = std::move(kept);
    } else {
        // A true-colour file may carry a colour table for displays of few
        // colours; it becomes the bitmap's palette.
        if (h.Info.BitCount > 8 && colorsUsed > 0)
            image->Palette = MakePalette(table);
        image->Handle = ReadUncompressedPixels(*stream, h, std::move(table), count);
        image->DeviceDependent = false;
    }
    image->Description = DescribePixels(*image->Handle, !image->DeviceDependent);
    image->Description.Header.XPelsPerMeter = h.Info.XPelsPerMeter;
    image->Description.Header.YPelsPerMeter = h.Info.YPelsPerMeter;
    image->Description.Header.ClrUsed = h.Info.ClrUsed;
    image->Description.Header.ClrImportant = h.Info.ClrImportant;
    image->OS2Format = h.OS2;
    return image;
}

void WriteFileHeader(TStream& stream, uint32_t fileSize, uint32_t pixelOffset)
{
    uint8_t b[FileHeaderSize] = {'B', 'M'};
    std::memcpy(b + 2, &fileSize, 4);
    std::memcpy(b + 10, &pixelOffset, 4);
    stream.WriteBuffer(b, sizeof b);
}

// Writes the kept bytes of a compressed file behind a new file header.
void WriteKeptFile(TStream& stream, TMemoryStream& kept)
{
    const uint8_t* copy = kept.Memory();
    const uint32_t headerSize = LoadU32(copy);
    const uint16_t bits = LoadU16(copy + 14);
    uint32_t colors = LoadU32(copy + 32);
    if (colors == 0 && bits <= 8)
        colors = 1u << bits;
    const uint32_t size = static_cast<uint32_t>(kept.Size());
    WriteFileHeader(stream, FileHeaderSize + size, FileHeaderSize + headerSize + colors * 4);
    stream.WriteBuffer(copy, size);
}

}  // namespace

void TBitmap::ReadFromStream(TStream& stream)
{
    const int64_t size = stream.Size() - stream.Position();
    ReadBitmapFile(stream, size);
}

void TBitmap::ReadBitmapFile(TStream& stream, int64_t size)
{
    if (size <= 0) {
        InstallImage(std::make_unique<TBitmapImage>());
        return;
    }
    uint8_t fileHeader[FileHeaderSize];
    stream.ReadBuffer(fileHeader, sizeof fileHeader);
    if (LoadU16(fileHeader) != BitmapSignature)
        InvalidBitmap();
    std::unique_ptr<TBitmapImage> image = ReadBitmapInfo(stream, size - FileHeaderSize);
    SetPaletteModified(image->Palette != nullptr);
    InstallImage(std::move(image));
}

void TBitmap::WriteToStream(TStream& stream)
{
    if (FImage->KeptFileData) {
        WriteKeptFile(stream, *FImage->KeptFileData);
        return;
    }
    EnsureTwin();
    const TPixelBuffer* pixels = FImage->Handle.get();
    if (pixels == nullptr)
        return;
    TBitmapDescription& d = FImage->Description;
    const bool os2 = FImage->OS2Format;

    std::vector<TRGBQuad> table;
    if (pixels->BitsPerPixel() <= 8) {
        table = pixels->ColorTable();
        if (table.size() > 256)
            table.resize(256);
        if (d.Header.ClrUsed > 0 && d.Header.ClrUsed < table.size())
            table.resize(d.Header.ClrUsed);
    }
    if (table.empty() && !os2 && FImage->Palette && !FImage->Halftone)
        table = ColorTableOf(*FImage->Palette);
    if (table.size() > 256)
        table.resize(256);
    if (d.Header.Compression == BI_BITFIELDS && d.Masks[0] == 0 && d.Masks[1] == 0 && d.Masks[2] == 0) {
        const bool sixteen = pixels->BitsPerPixel() == 16;
        d.Masks[0] = sixteen ? 0xF800 : 0xFF0000;
        d.Masks[1] = sixteen ? 0x07E0 : 0x00FF00;
        d.Masks[2] = sixteen ? 0x001F : 0x0000FF;
    }
    if (!table.empty())
        d.Header.ClrUsed = static_cast<uint32_t>(table.size());

    const uint32_t imageSize = static_cast<uint32_t>(pixels->ByteSize());
    const bool writeMasks = !os2 && pixels->BitsPerPixel() > 8 && d.Header.Compression == BI_BITFIELDS;
    const uint32_t tableEntries =
        os2 ? (pixels->BitsPerPixel() <= 8 ? (1u << pixels->BitsPerPixel()) : 0) : static_cast<uint32_t>(table.size());
    const uint32_t tableBytes = tableEntries * (os2 ? 3 : 4);
    const uint32_t pixelOffset = FileHeaderSize + (os2 ? CoreHeaderSize : InfoHeaderSize) + (writeMasks ? 12 : 0) + tableBytes;
    WriteFileHeader(stream, pixelOffset + imageSize, pixelOffset);

    if (os2) {
        stream.WriteU32(CoreHeaderSize);
        stream.WriteU16(static_cast<uint16_t>(pixels->Width()));
        stream.WriteU16(static_cast<uint16_t>(pixels->Height()));
        stream.WriteU16(1);
        stream.WriteU16(static_cast<uint16_t>(pixels->BitsPerPixel()));
        std::vector<uint8_t> raw(tableBytes, 0);
        for (size_t k = 0; k < table.size() && k < tableEntries; ++k) {
            raw[3 * k] = table[k].Blue;
            raw[3 * k + 1] = table[k].Green;
            raw[3 * k + 2] = table[k].Red;
        }
        stream.WriteBuffer(raw.data(), raw.size());
    } else {
        uint8_t h[InfoHeaderSize] = {};
        const uint32_t fields[] = {InfoHeaderSize,
                                   static_cast<uint32_t>(pixels->Width()),
                                   static_cast<uint32_t>(pixels->TopDown() ? -pixels->Height() : pixels->Height())};
        std::memcpy(h, fields, sizeof fields);
        const uint16_t planes = 1, bits = static_cast<uint16_t>(pixels->BitsPerPixel());
        std::memcpy(h + 12, &planes, 2);
        std::memcpy(h + 14, &bits, 2);
        const uint32_t rest[] = {d.Header.Compression == BI_BITFIELDS ? BI_BITFIELDS : BI_RGB,
                                 imageSize,
                                 static_cast<uint32_t>(d.Header.XPelsPerMeter),
                                 static_cast<uint32_t>(d.Header.YPelsPerMeter),
                                 d.Header.ClrUsed,
                                 d.Header.ClrImportant};
        std::memcpy(h + 16, rest, sizeof rest);
        stream.WriteBuffer(h, sizeof h);
        if (writeMasks)
            for (uint32_t mask : d.Masks)
                stream.WriteU32(mask);
        stream.WriteBuffer(table.data(), table.size() * sizeof(TRGBQuad));
    }
    stream.WriteBuffer(pixels->Bits(), imageSize);
}

void TBitmap::ReadData(TStream& stream)
{
    const uint32_t size = stream.ReadU32();
    const int64_t start = stream.Position();
    ReadBitmapFile(stream, size);
    // The next stored value starts after the whole file, however much of it
    // the picture needed.
    stream.SetPosition(start + size);
}

void TBitmap::WriteData(TStream& stream)
{
    TMemoryStream file;
    WriteToStream(file);
    stream.WriteU32(static_cast<uint32_t>(file.Size()));
    stream.WriteBuffer(file.Memory(), static_cast<size_t>(file.Size()));
}

}  // namespace tremalu
