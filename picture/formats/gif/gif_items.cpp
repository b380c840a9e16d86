#include "formats/gif/gif_items.h"

#include "core/errors.h"
#include "core/little_endian.h"
#include "core/streams.h"
#include "formats/gif/gif_image.h"

#include <algorithm>
#include <cctype>

namespace tremalu {

TREMALU_DEFINE_ABSTRACT_CLASS(TGIFItem, TPersistent)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFHeader, TGIFItem)
TREMALU_DEFINE_ABSTRACT_CLASS(TGIFTrailer, TGIFItem)

void TGIFItem::Warn(TGIFSeverity severity, const char* text) const
{
    if (FImage != nullptr)
        FImage->Warning(*this, severity, text);
}

// ---------------------------------------------------------------- bytes and sub-blocks

void ReadGIFBytes(TStream& stream, void* buffer, size_t count)
{
    if (stream.Read(buffer, count) != count)
        throw GIFException(texts::gif::PrematureEnd);
}

bool ReadGIFByte(TStream& stream, uint8_t& byte) { return stream.Read(&byte, 1) == 1; }

std::vector<std::vector<uint8_t>> ReadGIFSubBlocks(TStream& stream)
{
    std::vector<std::vector<uint8_t>> blocks;
    uint8_t length = 0;
    while (ReadGIFByte(stream, length) && length != 0) {
        std::vector<uint8_t> block(length);
        ReadGIFBytes(stream, block.data(), length);
        blocks.push_back(std::move(block));
    }
    return blocks;
}

void WriteGIFSubBlocks(TStream& stream, const uint8_t* data, size_t size)
{
    while (size > 0) {
        const size_t n = std::min<size_t>(size, 255);
        stream.WriteU8(static_cast<uint8_t>(n));
        stream.WriteBuffer(data, n);
        data += n;
        size -= n;
    }
}

// ---------------------------------------------------------------- colour tables

TGIFColor TGIFColorMap::Lookup(int index) const
{
    if (Colors.empty())
        throw GIFException(texts::gif::EmptyColorTable);
    if (index < 0 || index >= Count()) {
        Owner.Warn(TGIFSeverity::Warning, texts::gif::InvalidColorIndex);
        return Colors[0];
    }
    return Colors[static_cast<size_t>(index)];
}

void TGIFColorMap::Assign(const TGIFColorMap& other)
{
    Colors = other.Colors;
    Sorted = other.Sorted;
}

void TGIFColorMap::ReadFromStream(TStream& stream, int count)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(count) * 3);
    ReadGIFBytes(stream, bytes.data(), bytes.size());
    Colors.resize(static_cast<size_t>(count));
    for (size_t i = 0; i < Colors.size(); ++i)
        Colors[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
}

uint8_t TGIFColorMap::PackedSize() const
{
    uint8_t size = 0;
    while ((2u << size) < Colors.size() && size < 7)
        ++size;
    return size;
}

void TGIFColorMap::WriteToStream(TStream& stream) const
{
    const size_t entries = size_t{2} << PackedSize();
    std::vector<uint8_t> bytes(entries * 3, 0);
    for (size_t i = 0; i < Colors.size() && i < entries; ++i) {
        bytes[3 * i] = Colors[i].Red;
        bytes[3 * i + 1] = Colors[i].Green;
        bytes[3 * i + 2] = Colors[i].Blue;
    }
    stream.WriteBuffer(bytes.data(), bytes.size());
}

HPALETTE TGIFColorMap::ExportPalette() const
{
    constexpr uint8_t NoCollapse = 0x04;
    auto palette = std::make_shared<TLogPalette>();
    palette->Entries.reserve(Colors.size());
    for (const TGIFColor& c : Colors)
        palette->Entries.push_back({c.Red, c.Green, c.Blue, NoCollapse});
    return palette;
}

// ---------------------------------------------------------------- header

namespace {

bool SaysGIF(const uint8_t* signature)
{
    return std::toupper(signature[0]) == 'G' && std::toupper(signature[1]) == 'I' && std::toupper(signature[2]) == 'F';
}

}  // namespace

void TGIFHeader::ReadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t signature[6];
    ReadGIFBytes(stream, signature, sizeof signature);
    if (!SaysGIF(signature)) {
        // Some files carry 4 bytes of their own before the signature.
        stream.SetPosition(start + 4);
        ReadGIFBytes(stream, signature, sizeof signature);
        if (!SaysGIF(signature))
            throw GIFException(texts::gif::InvalidSignature);
    }
    // The version (bytes 4 to 6) is not examined.
    // The logical screen descriptor.
    uint8_t bytes[7];
    ReadGIFBytes(stream, bytes, sizeof bytes);
    const TLittleEndianReader screen(bytes, sizeof bytes);
    Width = screen.U16(0);
    Height = screen.U16(2);
    Packed = screen.U8(4);
    BackgroundColorIndex = screen.U8(5);
    AspectRatio = screen.U8(6);
    ColorMap.Clear();
    if ((Packed & 0x80) != 0)
        ColorMap.ReadFromStream(stream, 2 << (Packed & 7));
}

void TGIFHeader::WriteToStream(TStream& stream) const
{
    stream.WriteBuffer("GIF89a", 6);
    stream.WriteU16(Width);
    stream.WriteU16(Height);
    uint8_t packed = static_cast<uint8_t>(Packed & 0x70);  // colour resolution kept
    if (ColorMap.Count() > 0)
        packed = static_cast<uint8_t>(packed | 0x80 | (ColorMap.Sorted ? 0x08 : 0) | ColorMap.PackedSize());
    stream.WriteU8(packed);
    stream.WriteU8(BackgroundColorIndex);
    stream.WriteU8(AspectRatio);
    if (ColorMap.Count() > 0)
        ColorMap.WriteToStream(stream);
}

void TGIFHeader::Clear()
{
    Width = Height = 0;
    Packed = BackgroundColorIndex = AspectRatio = 0;
    ColorMap.Clear();
}

void TGIFHeader::Assign(const TGIFHeader& other)
{
    Width = other.Width;
    Height = other.Height;
    Packed = other.Packed;
    BackgroundColorIndex = other.BackgroundColorIndex;
    AspectRatio = other.AspectRatio;
    ColorMap.Assign(other.ColorMap);
}

// ---------------------------------------------------------------- trailer

void TGIFTrailer::ReadFromStream(TStream& stream)
{
    uint8_t byte = 0;
    if (ReadGIFByte(stream, byte) && byte != 0x3B)
        Warn(TGIFSeverity::Warning, texts::gif::InvalidTrailer);
}

void TGIFTrailer::WriteToStream(TStream& stream) const { stream.WriteU8(0x3B); }

}  // namespace tremalu
