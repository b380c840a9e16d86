#include "formats/metafile/metafile.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/streams.h"
#include "formats/metafile/metafile_player.h"
#include "formats/metafile/wmf_records.h"
#include "raster/drawing.h"
#include "raster/pixel_buffer.h"

#include <cstring>
#include <limits>

namespace tremalu {

TREMALU_DEFINE_CLASS(TMetafile, TGraphic)

namespace {

constexpr int32_t HundredthsPerInch = 2540;

[[noreturn]] void InvalidMetafile() { throw EInvalidGraphic(texts::InvalidMetafile); }

// A difference of two 32-bit coordinates, refused when it does not fit.
int32_t Extent(int32_t from, int32_t to)
{
    const int64_t d = int64_t{to} - from;
    if (d < std::numeric_limits<int32_t>::min() || d > std::numeric_limits<int32_t>::max())
        InvalidMetafile();
    return static_cast<int32_t>(d);
}

// A Windows metafile's own header, as the platform checks it before taking
// the metafile: type 1 (memory) or 2 (disk), a header of 9 words.
bool PlayableWindowsMetafile(const std::vector<uint8_t>& records)
{
    if (records.size() < WindowsHeaderSize)
        return false;
    const uint16_t type = static_cast<uint16_t>(records[0] | (records[1] << 8));
    const uint16_t headerWords = static_cast<uint16_t>(records[2] | (records[3] << 8));
    return (type == 1 || type == 2) && headerWords == 9;
}

}  // namespace

TMetafile::TMetafile() : FImage(std::make_shared<TMetafileImage>())
{
    SetTransparentFlag(true);
}

void TMetafile::CopyFrom(const TPersistent* source)
{
    if (const auto* metafile = dynamic_cast<const TMetafile*>(source)) {
        FImage = metafile->FImage;
        FEnhanced = metafile->FEnhanced;
        NotifyChanged();
        return;
    }
    TGraphic::CopyFrom(source);
}

TMetafileImage& TMetafile::Unshared()
{
    if (FImage.use_count() > 1)
        FImage = std::make_shared<TMetafileImage>(*FImage);
    return *FImage;
}

int32_t TMetafile::PixelWidth() const
{
    const TMetafileImage& i = *FImage;
    if (!i.Records)
        return i.PendingWidth;
    // A Windows metafile is sized at the screen's resolution (one of 0 units
    // per inch too: converted on the screen, its header records that size).
    if (i.Windows)
        return MulDiv(i.Width, DisplayPixelsPerInch, HundredthsPerInch);
    return MulDivWide(i.Width, i.Header.DevicePixels[0], int64_t{i.Header.DeviceMillimetres[0]} * 100);
}

int32_t TMetafile::PixelHeight() const
{
    const TMetafileImage& i = *FImage;
    if (!i.Records)
        return i.PendingHeight;
    if (i.Windows)
        return MulDiv(i.Height, DisplayPixelsPerInch, HundredthsPerInch);
    return MulDivWide(i.Height, i.Header.DevicePixels[1], int64_t{i.Header.DeviceMillimetres[1]} * 100);
}

void TMetafile::SetPixelWidth(int32_t width)
{
    TMetafileImage& i = Unshared();
    if (!i.Records)
        i.PendingWidth = width;
    else if (i.Windows)
        i.Width = MulDiv(width, HundredthsPerInch, DisplayPixelsPerInch);
    else
        i.Width = MulDivWide(width, int64_t{i.Header.DeviceMillimetres[0]} * 100, i.Header.DevicePixels[0]);
    NotifyChanged();
}

void TMetafile::SetPixelHeight(int32_t height)
{
    TMetafileImage& i = Unshared();
    if (!i.Records)
        i.PendingHeight = height;
    else if (i.Windows)
        i.Height = MulDiv(height, HundredthsPerInch, DisplayPixelsPerInch);
    else
        i.Height = MulDivWide(height, int64_t{i.Header.DeviceMillimetres[1]} * 100, i.Header.DevicePixels[1]);
    NotifyChanged();
}

void TMetafile::ReadFromStream(TStream& stream)
{
    const int64_t remaining = stream.Size() - stream.Position();
    bool enhanced = false;
    if (remaining > static_cast<int64_t>(EnhancedLookAhead)) {
        uint8_t ahead[EnhancedLookAhead];
        const int64_t start = stream.Position();
        stream.ReadBuffer(ahead, sizeof ahead);
        stream.SetPosition(start);
        enhanced = LooksEnhanced(ahead);
    }
    if (enhanced)
        ReadEnhanced(stream, remaining);
    else
        ReadPlaceable(stream);
    NotifyChanged();
}

void TMetafile::ReadEnhanced(TStream& stream, int64_t remaining)
{
    uint8_t first[EnhancedLookAhead];
    stream.ReadBuffer(first, sizeof first);
    if (!LooksEnhanced(first))
        InvalidMetafile();
    const TEnhancedHeader header = ReadEnhancedHeader(first, sizeof first);
    // The rest of the records, up to the size the header gives: the stream
    // must hold them (checked before anything is allocated).
    if (header.TotalSize > static_cast<uint64_t>(remaining))
        throw EReadError(texts::StreamRead);
    if (header.TotalSize < EnhancedLookAhead || header.RecordSize < MinimumEnhancedHeader ||
        header.RecordSize > header.TotalSize)
        InvalidMetafile();
    auto records = std::make_shared<std::vector<uint8_t>>(header.TotalSize);
    std::memcpy(records->data(), first, sizeof first);
    stream.ReadBuffer(records->data() + sizeof first, records->size() - sizeof first);

    auto image = std::make_shared<TMetafileImage>();
    image->Header = header;
    image->Width = Extent(header.Frame[0], header.Frame[2]);
    image->Height = Extent(header.Frame[1], header.Frame[3]);
    image->UnitsPerInch = 0;
    image->Records = std::move(records);
    FImage = std::move(image);
    FEnhanced = true;
}

void TMetafile::ReadPlaceable(TStream& stream)
{
    uint8_t first[PlaceableHeaderSize];
    stream.ReadBuffer(first, sizeof first);
    TPlaceableHeader header;
    if (!ReadPlaceableHeader(first, header))
        InvalidMetafile();
    const int64_t rest = stream.Size() - stream.Position();
    if (rest < 0 || static_cast<uint64_t>(rest) > std::numeric_limits<size_t>::max())
        throw EReadError(texts::StreamRead);
    auto records = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(rest));
    stream.ReadBuffer(records->data(), records->size());
    if (!PlayableWindowsMetafile(*records))
        InvalidMetafile();

    auto image = std::make_shared<TMetafileImage>();
    image->Windows = true;
    image->Placeable = header;
    image->UnitsPerInch = header.UnitsPerInch;
    const int32_t units = header.UnitsPerInch != 0 ? header.UnitsPerInch : DisplayPixelsPerInch;
    image->Width = MulDiv(header.Right - header.Left, HundredthsPerInch, units);
    image->Height = MulDiv(header.Bottom - header.Top, HundredthsPerInch, units);
    image->Records = std::move(records);
    FImage = std::move(image);
    FEnhanced = false;
}

void TMetafile::WriteToStream(TStream& stream)
{
    const TMetafileImage& i = *FImage;
    if (!i.Records)
        return;
    if (i.Windows) {
        // The placeable header again, with its checksum.
        uint8_t header[PlaceableHeaderSize] = {};
        const auto put16 = [&](size_t at, uint16_t v) {
            header[at] = static_cast<uint8_t>(v);
            header[at + 1] = static_cast<uint8_t>(v >> 8);
        };
        put16(0, static_cast<uint16_t>(PlaceableKey));
        put16(2, static_cast<uint16_t>(PlaceableKey >> 16));
        put16(6, static_cast<uint16_t>(i.Placeable.Left));
        put16(8, static_cast<uint16_t>(i.Placeable.Top));
        put16(10, static_cast<uint16_t>(i.Placeable.Right));
        put16(12, static_cast<uint16_t>(i.Placeable.Bottom));
        put16(14, i.Placeable.UnitsPerInch);
        uint16_t sum = 0;
        for (size_t at = 0; at < 20; at += 2)
            sum ^= static_cast<uint16_t>(header[at] | (header[at + 1] << 8));
        put16(20, sum);
        stream.WriteBuffer(header, sizeof header);
    }
    stream.WriteBuffer(i.Records->data(), i.Records->size());
}

void TMetafile::DrawOn(TCanvas& canvas, const TRect& rect)
{
    TPixelBuffer* target = canvas.Pixels();
    if (target != nullptr)
        PlayMetafile(*FImage, *target, rect);
}

}  // namespace tremalu
