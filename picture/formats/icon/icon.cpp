#include "formats/icon/icon.h"

#include "core/errors.h"
#include "core/streams.h"
#include "formats/icon/icon_directory.h"
#include "raster/drawing.h"
#include "raster/pixel_buffer.h"

#include <limits>

namespace tremalu {

TREMALU_DEFINE_CLASS(TIcon, TGraphic)

namespace {

constexpr uint16_t IconType = 1;

}  // namespace

TIcon::TIcon() : Image(std::make_shared<TIconImage>())
{
    SetTransparentFlag(true);
}

void TIcon::CopyFrom(const TPersistent* source)
{
    if (const auto* icon = dynamic_cast<const TIcon*>(source)) {
        Image = icon->Image;
        RequestedWidth = icon->RequestedWidth;
        RequestedHeight = icon->RequestedHeight;
        NotifyChanged();
        return;
    }
    TGraphic::CopyFrom(source);
}

bool TIcon::IsEmpty() const { return Image->FileBytes.empty() && !Image->Made; }

int32_t TIcon::PixelWidth() const
{
    return Image->Made && Image->Image.Width != 0 ? Image->Image.Width : DisplayIconSize;
}

int32_t TIcon::PixelHeight() const
{
    return Image->Made && Image->Image.Height != 0 ? Image->Image.Height : DisplayIconSize;
}

void TIcon::SetPixelWidth(int32_t width)
{
    if (Image->Made)
        throw EInvalidGraphicOperation(texts::IconSizeChange);
    RequestedWidth = width;
}

void TIcon::SetPixelHeight(int32_t height)
{
    if (Image->Made)
        throw EInvalidGraphicOperation(texts::IconSizeChange);
    RequestedHeight = height;
}

void TIcon::ReadFromStream(TStream& stream)
{
    const int64_t count = stream.Size() - stream.Position();
    if (count < 0 || static_cast<uint64_t>(count) > std::numeric_limits<size_t>::max())
        throw EReadError(texts::StreamRead);
    auto image = std::make_shared<TIconImage>();
    image->FileBytes.resize(static_cast<size_t>(count));
    stream.ReadBuffer(image->FileBytes.data(), image->FileBytes.size());
    if (IconFileType(image->FileBytes) > IconType)
        throw EInvalidGraphic(texts::InvalidIcon);
    Image = std::move(image);
    NotifyChanged();
}

void TIcon::WriteToStream(TStream& stream)
{
    if (!Image->FileBytes.empty())
        stream.WriteBuffer(Image->FileBytes.data(), Image->FileBytes.size());
}

void TIcon::MakeIcon()
{
    if (Image->Made || Image->FileBytes.empty())
        return;
    const std::vector<uint8_t>& file = Image->FileBytes;
    const uint16_t type = IconFileType(file);
    if (type > IconType)
        throw EInvalidGraphic(texts::InvalidIcon);
    TIconPixels chosen;
    // A file of type 0 stands for the platform's standard application icon,
    // which this system does not have: it is made empty, shows nothing and
    // keeps reporting the standard size.
    if (type == IconType) {
        const std::vector<TIconEntry> entries = ReadIconDirectory(file);
        const bool requested = RequestedWidth != 0 || RequestedHeight != 0;
        const size_t best =
            ChooseIconEntry(entries, requested ? RequestedWidth : DisplayIconSize,
                            requested ? RequestedHeight : DisplayIconSize,
                            DisplayColorCapacity(DisplayPlanes, DisplayBitsPerPixel));
        chosen = DecodeIconImage(file, entries[best]);
    }
    Image->Image = std::move(chosen);
    Image->Made = true;
}

void TIcon::DrawOn(TCanvas& canvas, const TRect& rect)
{
    MakeIcon();
    TPixelBuffer* target = canvas.Pixels();
    if (target != nullptr && !Image->Image.Color.empty())
        DrawIconPixels(Image->Image, *target, rect.Left, rect.Top);
}

}  // namespace tremalu
