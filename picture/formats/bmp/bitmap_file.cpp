// The file form of TBitmap: BMP files. A file is a 14-byte file header ("BM",
// file size, two reserved words, pixel offset) followed by a DIB (see
// dib_reader.h).
//
// Reading is sequential: the pixels are taken right after the colour table,
// whatever the pixel offset says. The file header's size and offset are not
// used; the picture data runs to the end of the stream.

#include "raster/bitmap.h"

#include "core/errors.h"
#include "core/little_endian.h"
#include "core/streams.h"
#include "formats/bmp/dib_reader.h"
#include "formats/bmp/dib_writer.h"

namespace tremalu {

namespace {

constexpr uint16_t BitmapSignature = 0x4D42;  // "BM"

// Reads the DIB after the file header; left is the number of bytes of the
// picture data after the file header.
std::unique_ptr<TBitmapImage> ReadBitmapInfo(TStream& input, int64_t left)
{
    TDibHeader h = ReadDibInfoHeader(input);
    left -= h.HeaderSize;

    // A compressed file is kept as it was read, header included, so that it
    // can be written back unchanged; the rest is read from that copy.
    std::unique_ptr<TMemoryStream> kept;
    TStream* stream = &input;
    if (h.Compressed()) {
        kept = std::make_unique<TMemoryStream>();
        kept->WriteBuffer(h.RawInfoHeader.data(), h.RawInfoHeader.size());
        if (left > 0)
            kept->CopyFrom(input, left);
        kept->SetPosition(h.HeaderSize);
        stream = kept.get();
    }
    ReadDibTables(*stream, h);
    left -= h.TableBytes();
    const uint64_t available = left < 0 ? h.PixelBytes() : static_cast<uint64_t>(left);

    auto image = std::make_unique<TBitmapImage>();
    // A true-colour file may carry a colour table for displays of few
    // colours; it becomes the bitmap's palette, as the table of a compressed
    // file does.
    if (!h.ColorTable.empty() && (h.Compressed() || h.Info.BitCount > 8))
        image->Palette = MakePalette(h.ColorTable);
    image->Handle = ReadDibPixels(*stream, h, available);
    image->DeviceDependent = h.Compressed();
    if (h.Compressed())
        image->KeptFileData = std::move(kept);
    image->Description = DescribePixels(*image->Handle, !image->DeviceDependent);
    image->Description.Header.XPelsPerMeter = h.Info.XPelsPerMeter;
    image->Description.Header.YPelsPerMeter = h.Info.YPelsPerMeter;
    image->Description.Header.ClrUsed = h.Info.ClrUsed;
    image->Description.Header.ClrImportant = h.Info.ClrImportant;
    image->OS2Format = h.OS2;
    return image;
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
    std::vector<uint8_t> fileHeader(BmpFileHeaderSize);
    stream.ReadBuffer(fileHeader.data(), fileHeader.size());
    if (TLittleEndianReader(fileHeader).U16(0) != BitmapSignature)
        throw EInvalidGraphic(texts::InvalidBitmap);
    std::unique_ptr<TBitmapImage> image = ReadBitmapInfo(stream, size - BmpFileHeaderSize);
    SetPaletteModified(image->Palette != nullptr);
    InstallImage(std::move(image));
}

void TBitmap::WriteToStream(TStream& stream)
{
    if (FImage->KeptFileData) {
        const TMemoryStream& kept = *FImage->KeptFileData;
        WriteBmpFileAround(stream, kept.Memory(), static_cast<uint32_t>(kept.ByteCount()));
        return;
    }
    EnsureTwin();
    const TPixelBuffer* pixels = FImage->Handle.get();
    if (pixels == nullptr)
        return;
    const TBmpFileHead head =
        MakeBmpFileHead(pixels->GetLayout(), FImage->Description, FImage->Palette, FImage->OS2Format, FImage->Halftone);
    stream.WriteBuffer(head.Bytes.data(), head.Bytes.size());
    stream.WriteBuffer(pixels->Bits(), head.ImageSize);
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
