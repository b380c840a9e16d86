// TGIFImage: reading, copying, size and palette.
#include "formats/gif/gif_image.h"

#include "core/errors.h"
#include "core/streams.h"
#include "formats/gif/gif_dither.h"
#include "formats/gif/gif_painter.h"
#include "raster/bitmap.h"

namespace tremalu {

TREMALU_DEFINE_CLASS(TGIFImage, TGraphic)

TGIFSettings& GIFSettings()
{
    static TGIFSettings settings;
    return settings;
}

namespace {

constexpr uint8_t ExtensionIntroducer = 0x21;
constexpr uint8_t ImageSeparator = 0x2C;
constexpr uint8_t TrailerByte = 0x3B;

// Sets a flag for its lifetime.
class RaisedFlag {
public:
    explicit RaisedFlag(bool& flag) : Flag(flag) { Flag = true; }
    ~RaisedFlag() { Flag = false; }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;

private:
    bool& Flag;
};

}  // namespace

TGIFImage::TGIFImage() : Header(this), Images(this) {}

TGIFImage::~TGIFImage() { StopAllPainters(); }

void TGIFImage::Warning(const TObject& sender, TGIFSeverity severity, const std::string& text)
{
    if (OnWarning)
        OnWarning(sender, severity, text);
}

void TGIFImage::ReportProgress(TProgressStage stage, uint8_t percent, const std::string& message)
{
    Progress(stage, percent, false, TRect{}, message);
}

void TGIFImage::Clear()
{
    StopAllPainters();
    Images.Clear();
    Header.Clear();
    FPalette.reset();
}

// ---------------------------------------------------------------- reading

void TGIFImage::ReadFromStream(TStream& stream)
{
    Progress(TProgressStage::StageStarting, 0, false, TRect{}, texts::gif::Loading);
    Clear();
    const int64_t start = stream.Position();
    try {
        // The blocks are read a few bytes at a time: from memory, not from
        // the system's file each time. A stream that is not in memory is
        // read into memory first, and afterwards left where reading ended.
        if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
            ReadParts(*memory);
        } else {
            TMemoryStream copy;
            const int64_t rest = stream.Size() - start;
            if (rest > 0)
                copy.ReadFrom(stream, static_cast<size_t>(rest));
            ReadParts(copy);
            stream.SetPosition(start + copy.Position());
        }
    } catch (...) {
        // The stream goes back to where reading began; the failure goes on.
        stream.SetPosition(start);
        Progress(TProgressStage::StageEnding, 0, false, TRect{}, texts::gif::Loading);
        throw;
    }
    Progress(TProgressStage::StageEnding, 100, false, TRect{}, texts::gif::Loading);
    NotifyChanged();
}

void TGIFImage::ReadParts(TCustomMemoryStream& stream)
{
    Header.ReadFromStream(stream);
    ReadBlocks(stream);
    TGIFTrailer(this).ReadFromStream(stream);
}

void TGIFImage::ReadBlocks(TStream& stream)
{
    const int64_t size = stream.Size();
    // Refuse at reading: the frames together keep at most
    // MaxGIFDecodedIndices colour indices, and a frame whose data decodes
    // past what is left is refused ("Mémoire insuffisante") before its
    // pixels are allocated. Decoding only when drawn was the other way;
    // refusing here keeps reading, drawing and writing on one copy of the
    // indices, and a picture that holds no more than a bitmap's worth of
    // them is read exactly as before.
    uint64_t decoded = 0;
    for (;;) {
        uint8_t block = 0;
        do {
            if (!ReadGIFByte(stream, block))
                return;  // no trailer needed
        } while (block == 0);
        if (block == TrailerByte) {
            stream.Seek(-1, TSeekOrigin::Current);
            return;
        }
        if (block != ExtensionIntroducer && block != ImageSeparator) {
            // The frames read so far are kept.
            Warning(*this, TGIFSeverity::Warning, texts::gif::UnknownBlock);
            return;
        }
        stream.Seek(-1, TSeekOrigin::Current);
        auto frame = std::make_unique<TGIFSubImage>(this);
        frame->SetIndexRoom(MaxGIFDecodedIndices - decoded);
        frame->ReadFromStream(stream);
        decoded += frame->Pixels.Decoded().size();
        Images.Add(std::move(frame));
        const int64_t at = stream.Position();
        Progress(TProgressStage::StageRunning, static_cast<uint8_t>(size > 0 ? at * 100 / size : 100), false, TRect{},
                 texts::gif::Loading);
    }
}

// ---------------------------------------------------------------- writing and copies

void TGIFImage::WriteToStream(TStream& stream)
{
    Header.WriteToStream(stream);
    Images.WriteToStream(stream);
    TGIFTrailer(this).WriteToStream(stream);
}

void TGIFImage::CopyFrom(const TPersistent* source)
{
    if (const auto* gif = dynamic_cast<const TGIFImage*>(source)) {
        if (gif == this)
            return;
        Clear();
        Header.Assign(gif->Header);
        for (const auto& frame : gif->Images)
            Images.Add(frame->Clone(this));
        DrawOptions = gif->DrawOptions;
        AnimationSpeed = gif->AnimationSpeed;
        DrawBackgroundColor = gif->DrawBackgroundColor;
        PainterTiming = gif->PainterTiming;
        return;
    }
    TGraphic::CopyFrom(source);
}

void TGIFImage::CopyTo(TPersistent& dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest)) {
        // The buffer as it stands, or as BufferAsBitmap would make it (this
        // copy does not keep it).
        TGIFDrawingHold hold;
        if (FAnimationBuffer) {
            bitmap->CopyFrom(FAnimationBuffer.get());
        } else if (const std::unique_ptr<TBitmap> made = MakeFirstFrameBuffer(hold)) {
            bitmap->CopyFrom(made.get());
        } else {
            const TBitmap empty;
            bitmap->CopyFrom(&empty);
        }
        return;
    }
    TGraphic::CopyTo(dest);
}

// ---------------------------------------------------------------- size and palette

void TGIFImage::SetPixelWidth(int32_t width)
{
    for (const auto& frame : Images)
        if (width < frame->Left + frame->Width)
            throw GIFException(texts::gif::WidthTooSmall);
    Header.Width = static_cast<uint16_t>(width);
    StopAnimation();
    NotifyChanged();
}

void TGIFImage::SetPixelHeight(int32_t height)
{
    for (const auto& frame : Images)
        if (height < frame->Top + frame->Height)
            throw GIFException(texts::gif::HeightTooSmall);
    Header.Height = static_cast<uint16_t>(height);
    StopAnimation();
    NotifyChanged();
}

bool TGIFImage::NeedsDither() const
{
    return (DrawOptions & gdDither) != 0 && ((DrawOptions & gdAutoDither) == 0 || GIFSettings().PaletteDisplay);
}

HPALETTE TGIFImage::Palette() const
{
    if (FAnimationBuffer)
        if (HPALETTE own = FAnimationBuffer->Palette())
            return own;
    if (FPalette)
        return FPalette;
    if (NeedsDither())
        return FPalette = ColorCubePalette();
    if (Header.ColorMap.Count() > 0)
        return FPalette = Header.ColorMap.ExportPalette();
    if (Images.Empty())
        return nullptr;
    // Frame 1 without a table of its own asks the picture again.
    if (FPaletteQuery)
        throw GIFException(texts::gif::NoColorTable);
    RaisedFlag querying(FPaletteQuery);
    return Images.First().Palette();
}

}  // namespace tremalu
