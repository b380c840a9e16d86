#include "formats/jpeg/jpeg_image.h"

#include "raster/bitmap.h"
#include "core/errors.h"
#include "formats/jpeg/jpeg_codec_glue.h"
#include "formats/jpeg/jpeg_scaled_decode.h"
#include "formats/jpeg/jpeg_stream_io.h"
#include "raster/pixel_buffer.h"
#include "core/streams.h"

#include <limits>

namespace tremalu {

TREMALU_DEFINE_CLASS(TJPEGImage, TGraphic)

TJPEGImage::TJPEGImage() : Shared(std::make_shared<TJPEGData>()), FSettings(DefaultJpegSettings()) {}

TJPEGImage::~TJPEGImage()
{
    HeldPalette.reset();
    Decoded.reset();
}

// ---------------------------------------------------------------- the two forms

void TJPEGImage::ResetData()
{
    Shared = std::make_shared<TJPEGData>();
    DropScaled();
}

void TJPEGImage::ResetBitmap() { Decoded = std::make_unique<TBitmap>(); }

void TJPEGImage::DropBitmap() { Decoded.reset(); }

void TJPEGImage::EnsureEncoded()
{
    if (!Shared->Encoded)
        Encode();
}

void TJPEGImage::ReadEncoded(TStream& stream, int64_t count)
{
    ResetData();
    DropBitmap();
    if (count < 0)
        count = 0;
    if (static_cast<uint64_t>(count) > std::numeric_limits<size_t>::max())
        throw EStreamError(texts::MemoryStreamGrowth);
    Shared->Encoded = std::make_unique<TMemoryStream>();
    TMemoryStream& bytes = *Shared->Encoded;
    bytes.ReadFrom(stream, static_cast<size_t>(count));
    if (count > 0) {
        // The header alone: the size is known without decoding anything.
        TCodecContext context;
        context.CreateDecompressor(nullptr);
        bytes.SetPosition(0);
        SetStreamSource(&context.Decompress, bytes);
        jpeg_read_header(&context.Decompress, TRUE);
        Shared->HeaderWidth = static_cast<int32_t>(context.Decompress.image_width);
        Shared->HeaderHeight = static_cast<int32_t>(context.Decompress.image_height);
        FSettings.WriteProgressive = jpeg_has_multiple_scans(&context.Decompress) != 0;
    }
    ComputeReducedSize();
    SetPaletteModified(true);
    NotifyChanged();
}

void TJPEGImage::ComputeReducedSize()
{
    ReducedWidth = ReducedHeight = 0;
    if (FSettings.ReduceBy == TJPEGReduction::ReduceNone || !Shared->Encoded || Shared->Encoded->ByteCount() == 0)
        return;
    TCodecContext context;
    OpenDecoder(context, false);
    jpeg_calc_output_dimensions(&context.Decompress);
    ReducedWidth = static_cast<int32_t>(context.Decompress.output_width);
    ReducedHeight = static_cast<int32_t>(context.Decompress.output_height);
    FSettings.WriteProgressive = jpeg_has_multiple_scans(&context.Decompress) != 0;
}

void TJPEGImage::SetReduceBy(TJPEGReduction reduction)
{
    if (reduction == FSettings.ReduceBy)
        return;
    FSettings.ReduceBy = reduction;
    ComputeReducedSize();
}

// ---------------------------------------------------------------- settings that change the picture

void TJPEGImage::SetGrayMode(bool gray)
{
    if (gray == FSettings.GrayMode)
        return;
    DropBitmap();
    DropScaled();
    FSettings.GrayMode = gray;
    SetPaletteModified(true);
    NotifyChanged();
}

HPALETTE TJPEGImage::Palette() const
{
    if (Decoded)
        return Decoded->Palette();
    if (HeldPalette)
        return HeldPalette;
    // A palette screen shows 24-bit pictures through the halftone palette.
    if (FSettings.BitmapDepth == TJPEGBitmapDepth::Depth24 && DisplayBitsPerPixel * DisplayPlanes <= 8) {
        HeldPalette = HalftonePalette();
        return HeldPalette;
    }
    return nullptr;
}

void TJPEGImage::SetPalette(HPALETTE palette)
{
    if (palette == HeldPalette)
        return;
    bool dropped = false;
    if (Decoded && Decoded->Palette() != palette) {
        DropBitmap();
        dropped = true;
    }
    // The reduced copy was decoded without a palette from outside.
    DropScaled();
    HeldPalette = std::move(palette);
    if (dropped) {
        SetPaletteModified(true);
        NotifyChanged();
    }
}

// ---------------------------------------------------------------- copies

void TJPEGImage::CopyFrom(const TPersistent* source)
{
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        Shared = jpeg->Shared;  // harmless when copying itself
        if (jpeg->Decoded) {
            const TBitmap* theirs = jpeg->Decoded.get();  // still theirs when copying itself
            auto mine = std::make_unique<TBitmap>();
            mine->CopyFrom(theirs);
            Decoded = std::move(mine);
        } else {
            DropBitmap();
        }
        CopyScaledFrom(*jpeg);
        return;
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        ResetData();
        ResetBitmap();
        Decoded->CopyFrom(bitmap);
        return;
    }
    TGraphic::CopyFrom(source);
}

void TJPEGImage::CopyTo(TPersistent& dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        // A decoded picture gives its bitmap to share. Otherwise copying out
        // leaves this picture as it is: a picture sharing its bytes and its
        // settings decodes them, and the bitmap keeps what that decoded.
        if (Decoded) {
            bitmap->CopyFrom(Decoded.get());
            return;
        }
        TJPEGImage decoder;
        decoder.Shared = Shared;
        decoder.FSettings = FSettings;
        decoder.HeldPalette = HeldPalette;
        bitmap->CopyFrom(&decoder.DecodedBitmap());
        return;
    }
    TGraphic::CopyTo(dest);
}

bool TJPEGImage::SameAs(TGraphic* other)
{
    auto* jpeg = dynamic_cast<TJPEGImage*>(other);
    if (jpeg == nullptr)
        return false;
    if (Shared->Encoded && jpeg->Shared->Encoded)
        return TGraphic::SameAs(other);
    return Shared == jpeg->Shared;
}

// ---------------------------------------------------------------- what the picture shows

void TJPEGImage::DrawOn(TCanvas& canvas, const TRect& rect)
{
    if (TBitmap* scaled = ScaledBitmap(rect.Width(), rect.Height()))
        canvas.DrawStretched(rect, scaled);
    else
        canvas.DrawStretched(rect, &DecodedBitmap());
}

bool TJPEGImage::IsEmpty() const
{
    if (Shared->Encoded)
        return false;
    return !Decoded || Decoded->IsEmpty();
}

int32_t TJPEGImage::PixelWidth() const
{
    if (Decoded)
        return Decoded->PixelWidth();
    return FSettings.ReduceBy == TJPEGReduction::ReduceNone ? Shared->HeaderWidth : ReducedWidth;
}

int32_t TJPEGImage::PixelHeight() const
{
    if (Decoded)
        return Decoded->PixelHeight();
    return FSettings.ReduceBy == TJPEGReduction::ReduceNone ? Shared->HeaderHeight : ReducedHeight;
}

void TJPEGImage::SetPixelWidth(int32_t) { throw EInvalidGraphicOperation(texts::JpegSizeChange); }
void TJPEGImage::SetPixelHeight(int32_t) { throw EInvalidGraphicOperation(texts::JpegSizeChange); }

// ---------------------------------------------------------------- streams

void TJPEGImage::ReadFromStream(TStream& stream)
{
    const int64_t size = stream.Size();
    const int64_t position = stream.Position();
    ReadEncoded(stream, size - position);
}

void TJPEGImage::WriteToStream(TStream& stream)
{
    EnsureEncoded();
    // The count written is not checked: a stream that takes less is the
    // caller's to notice.
    if (Shared->Encoded && Shared->Encoded->ByteCount() > 0)
        stream.Write(Shared->Encoded->Memory(), Shared->Encoded->ByteCount());
}

void TJPEGImage::ReadData(TStream& stream)
{
    const uint32_t count = stream.ReadU32();
    ReadEncoded(stream, count);
}

void TJPEGImage::WriteData(TStream& stream)
{
    const size_t count = Shared->Encoded ? Shared->Encoded->ByteCount() : 0;
    if (count > std::numeric_limits<uint32_t>::max())
        throw EWriteError(texts::StreamWrite);
    stream.WriteU32(static_cast<uint32_t>(count));
    if (count > 0)
        stream.WriteBuffer(Shared->Encoded->Memory(), count);
}

// ---------------------------------------------------------------- progress

void TJPEGImage::CodecProgress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r)
{
    Progress(stage, percentDone, redrawNow, r, std::string());
}

}  // namespace tremalu
