#include "formats/gif/gif_sub_image.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/little_endian.h"
#include "core/streams.h"
#include "formats/gif/gif_dither.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_lzw.h"
#include "formats/gif/gif_lzw_encoder.h"
#include "raster/bitmap.h"

#include <algorithm>
#include <cstring>

namespace tremalu {

TREMALU_DEFINE_ABSTRACT_CLASS(TGIFSubImage, TGIFItem)

namespace {

constexpr uint8_t ImageSeparator = 0x2C;
constexpr uint8_t ExtensionIntroducer = 0x21;
constexpr uint8_t TrailerByte = 0x3B;

}  // namespace

// ---------------------------------------------------------------- pixels

void TGIFPixels::Reset(int32_t width, int32_t height, uint8_t fill, bool interlaced)
{
    FPresent = true;
    FWidth = width;
    FHeight = height;
    FFill = fill;
    FInterlaced = interlaced;
    FDecoded.clear();
}

size_t TGIFPixels::StoredRow(int32_t y) const
{
    if (!FInterlaced)
        return static_cast<size_t>(y);
    // Four passes: rows 0, 8, 16, ...; then 4, 12, ...; then 2, 6, ...;
    // then 1, 3, .... A pass whose first row lies beyond the frame is empty.
    const size_t h = static_cast<size_t>(FHeight);
    const size_t pass1 = (h + 7) / 8, pass2 = (h + 3) / 8, pass3 = (h + 1) / 4;
    const size_t row = static_cast<size_t>(y);
    if (row % 8 == 0)
        return row / 8;
    if (row % 8 == 4)
        return pass1 + row / 8;
    if (row % 4 == 2)
        return pass1 + pass2 + row / 4;
    return pass1 + pass2 + pass3 + row / 2;
}

void TGIFPixels::CopyRow(int32_t y, uint8_t* out) const
{
    const size_t width = static_cast<size_t>(FWidth);
    const size_t start = StoredRow(y) * width;
    const size_t have = FDecoded.size() > start ? std::min(width, FDecoded.size() - start) : 0;
    if (have > 0)
        std::memcpy(out, FDecoded.data() + start, have);
    std::memset(out + have, FFill, width - have);
}

uint8_t TGIFPixels::At(int32_t x, int32_t y) const
{
    const size_t at = StoredRow(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(x);
    return at < FDecoded.size() ? FDecoded[at] : FFill;
}

// ---------------------------------------------------------------- the frame

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), ColorMap(*this), Extensions(image) {}

TGIFSubImage::~TGIFSubImage() = default;

int TGIFSubImage::Version() const
{
    for (const auto& extension : Extensions)
        if (extension->Version() > 1)
            return extension->Version();
    return 1;
}

const TGIFColorMap& TGIFSubImage::ActiveColorMap() const
{
    if (ColorMap.Count() > 0 || FImage == nullptr)
        return ColorMap;
    if (FImage->Header.ColorMap.Count() > 0)
        return FImage->Header.ColorMap;
    return ColorMap;
}

void TGIFSubImage::AddExtension(std::unique_ptr<TGIFExtension> extension)
{
    if (auto* control = dynamic_cast<TGIFGraphicControlExtension*>(extension.get())) {
        if (FGraphicControl == nullptr)
            FGraphicControl = control;
        if (control->Transparent())
            FTransparent = true;
    }
    Extensions.Add(std::move(extension));
}

void TGIFSubImage::ReadExtensions(TStream& stream)
{
    uint8_t next = 0;
    if (!ReadGIFByte(stream, next))
        return;
    while (next != ImageSeparator && next != TrailerByte) {
        if (next != ExtensionIntroducer) {
            // The image descriptor is read from this byte on.
            Warn(TGIFSeverity::Warning, texts::gif::InvalidIntroducer);
            break;
        }
        const TGIFExtensionFactory kind = FindGIFExtensionKind(stream);
        stream.Seek(-1, TSeekOrigin::Current);
        std::unique_ptr<TGIFExtension> extension = kind(this);
        extension->ReadFromStream(stream);
        AddExtension(std::move(extension));
        if (!ReadGIFByte(stream, next))
            return;  // the frame is complete as it is
    }
    stream.Seek(-1, TSeekOrigin::Current);
}

void TGIFSubImage::ReadFromStream(TStream& stream)
{
    Extensions.Clear();
    FGraphicControl = nullptr;
    FTransparent = false;
    ColorMap.Clear();
    Pixels.Clear();
    ReleaseDrawing();
    Left = Top = Width = Height = 0;
    Packed = 0;

    ReadExtensions(stream);
    // The end of the stream, the trailer or a stray 0 after the extensions:
    // a frame without image.
    uint8_t next = 0;
    if (!ReadGIFByte(stream, next))
        return;
    stream.Seek(-1, TSeekOrigin::Current);
    if (next == TrailerByte || next == 0)
        return;

    uint8_t bytes[10];
    ReadGIFBytes(stream, bytes, sizeof bytes);
    const TLittleEndianReader descriptor(bytes, sizeof bytes);
    Separator = descriptor.U8(0);  // not checked
    Left = descriptor.U16(1);
    Top = descriptor.U16(3);
    Width = descriptor.U16(5);
    Height = descriptor.U16(7);
    Packed = descriptor.U8(9);
    if (Width == 0 || Height == 0) {
        // The stored left and top stay.
        Width = FImage->Header.Width;
        Height = FImage->Header.Height;
        Warn(TGIFSeverity::Warning, texts::gif::ExceedsScreen);
    }
    if ((Packed & 0x80) != 0)
        ColorMap.ReadFromStream(stream, 2 << (Packed & 7));

    // Pixels that decoding does not reach hold the transparent index, or 0.
    const uint8_t fill = FTransparent ? FGraphicControl->TransparentColorIndex : 0;
    Pixels.Reset(Width, Height, fill, Interlaced());
    DecodeGIFPixels(
        stream, Pixels.Count(), Pixels.Decoded(), [this](const char* text) { Warn(TGIFSeverity::Warning, text); },
        static_cast<size_t>(std::min<uint64_t>(FIndexRoom, SIZE_MAX)));
    if (GIFSettings().RenderOnLoad)
        FrameBitmap();
}

void TGIFSubImage::WriteToStream(TStream& stream) const
{
    Extensions.WriteToStream(stream);
    if (!Pixels.Present())
        return;
    stream.WriteU8(ImageSeparator);
    stream.WriteU16(Left);
    stream.WriteU16(Top);
    stream.WriteU16(Width);
    stream.WriteU16(Height);
    uint8_t packed = static_cast<uint8_t>(Packed & 0x40);  // interlacing: the pixels are kept in stored order
    if (ColorMap.Count() > 0)
        packed = static_cast<uint8_t>(packed | 0x80 | (ColorMap.Sorted ? 0x20 : 0) | ColorMap.PackedSize());
    stream.WriteU8(packed);
    if (ColorMap.Count() > 0)
        ColorMap.WriteToStream(stream);
    // The pixels are written whole: a frame that no bitmap could hold is
    // refused before they are made.
    if (Pixels.Count() > MaxBitmapPixels)
        throw EOutOfMemory(texts::OutOfMemory);
    std::vector<uint8_t> stored(Pixels.Count(), Pixels.Fill());
    std::copy(Pixels.Decoded().begin(), Pixels.Decoded().end(), stored.begin());
    EncodeGIFPixels(stream, stored.data(), stored.size());
}

std::unique_ptr<TGIFSubImage> TGIFSubImage::Clone(TGIFImage* image) const
{
    auto copy = std::make_unique<TGIFSubImage>(image);
    copy->Separator = Separator;
    copy->Left = Left;
    copy->Top = Top;
    copy->Width = Width;
    copy->Height = Height;
    copy->Packed = Packed;
    copy->ColorMap.Assign(ColorMap);
    for (const auto& extension : Extensions)
        copy->AddExtension(extension->Clone(copy.get()));
    copy->Pixels = Pixels;
    return copy;
}

// ---------------------------------------------------------------- palette

HPALETTE TGIFSubImage::Palette()
{
    if (FBitmap)
        if (HPALETTE own = FBitmap->Palette())
            return own;
    if (FPalette)
        return FPalette;
    if (FImage->NeedsDither())
        return FPalette = ColorCubePalette();
    if (ColorMap.Count() > 0)
        return FPalette = ColorMap.ExportPalette();
    return FImage->Palette();
}

void TGIFSubImage::ReleaseDrawing()
{
    FBitmap.reset();
    FBitmapHold.Release();
    FMask.reset();
    FMaskHold.Release();
    FMaskPending = true;
    FPalette.reset();
}

}  // namespace tremalu
