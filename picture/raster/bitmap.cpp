#include "raster/bitmap.h"

#include "core/errors.h"
#include "core/streams.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace tremalu {

TREMALU_DEFINE_CLASS(TBitmap, TGraphic)

std::recursive_mutex& GlobalImageLock()
{
    static std::recursive_mutex lock;
    return lock;
}

TBitmapDescription DescribePixels(const TPixelBuffer& pixels, bool addressable)
{
    TBitmapDescription d;
    d.Device.Width = pixels.Width();
    d.Device.Height = pixels.Height();
    d.Device.WidthBytes = static_cast<int32_t>(pixels.Stride());
    d.Device.Planes = 1;
    d.Device.BitsPixel = static_cast<uint16_t>(pixels.BitsPerPixel());
    if (!addressable)
        return d;
    d.Device.Bits = pixels.Bits();
    TBitmapInfoHeader& h = d.Header;
    h.Size = 40;
    h.Width = pixels.Width();
    h.Height = pixels.TopDown() ? -pixels.Height() : pixels.Height();
    h.Planes = 1;
    h.BitCount = static_cast<uint16_t>(pixels.BitsPerPixel());
    h.Compression = pixels.Compression();
    h.SizeImage = static_cast<uint32_t>(pixels.ByteSize());
    h.ClrUsed = pixels.BitsPerPixel() <= 8 ? static_cast<uint32_t>(pixels.ColorTable().size()) : 0;
    if (pixels.Compression() == BI_BITFIELDS)
        for (int i = 0; i < 3; ++i)
            d.Masks[i] = pixels.Masks()[i];
    return d;
}

namespace {

std::vector<TRGBQuad> DefaultColorTable(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 1:
        return {{0, 0, 0, 0}, {255, 255, 255, 0}};
    case 4:
        return SystemColorTable16();
    default:
        return ColorTableOf(*HalftonePalette());
    }
}

void FillWhite(TPixelBuffer& pixels)
{
    std::vector<uint32_t> row(static_cast<size_t>(pixels.Width()), DeviceColorBits);
    for (int32_t y = 0; y < pixels.Height(); ++y)
        pixels.WriteRow(y, 0, pixels.Width(), row.data());
}

bool SameLayout(const TPixelBuffer& a, const TPixelBuffer& b)
{
    const TPixelLayout& x = a.GetLayout();
    const TPixelLayout& y = b.GetLayout();
    return x.Width == y.Width && x.Height == y.Height && x.BitsPerPixel == y.BitsPerPixel && x.TopDown == y.TopDown &&
           x.Compression == y.Compression && std::equal(x.Masks, x.Masks + 3, y.Masks) && x.ColorTable == y.ColorTable;
}

}  // namespace

// ---------------------------------------------------------------- surface

TPixelBuffer* TBitmapCanvas::Pixels() { return Owner.FImage->Handle.get(); }
void TBitmapCanvas::BeforeChange() { Owner.Changing(); }
void TBitmapCanvas::AfterChange() { Owner.NotifyChanged(); }

// ---------------------------------------------------------------- bitmap

TBitmap::TBitmap() : FImage(std::make_shared<TBitmapImage>()) {}

TBitmap::~TBitmap()
{
    FSurface.reset();
    Release();
}

void TBitmap::Release()
{
    std::lock_guard<std::recursive_mutex> guard(GlobalImageLock());
    FImage.reset();
}

void TBitmap::Share(std::shared_ptr<TBitmapImage> image)
{
    std::lock_guard<std::recursive_mutex> guard(GlobalImageLock());
    FImage = std::move(image);
}

long TBitmap::ImageShareCount() const
{
    std::lock_guard<std::recursive_mutex> guard(GlobalImageLock());
    return FImage.use_count();
}

void TBitmap::InstallImage(std::unique_ptr<TBitmapImage> image)
{
    Share(std::move(image));
    NotifyChanged();
}

TCanvas& TBitmap::Surface()
{
    if (!FSurface)
        FSurface = std::make_unique<TBitmapCanvas>(*this);
    return *FSurface;
}

bool TBitmap::IsEmpty() const { return FImage->Handle == nullptr; }
int32_t TBitmap::PixelWidth() const { return FImage->Description.Device.Width; }
int32_t TBitmap::PixelHeight() const
{
    const int32_t h = FImage->Description.Device.Height;
    return h < 0 ? -h : h;
}

bool TBitmap::Monochrome() const { return FImage->Handle != nullptr && FImage->Handle->IsMonochrome(); }

std::unique_ptr<TPixelBuffer> TBitmap::MakePixels(const TPixelBuffer* old, const HPALETTE& palette,
                                                  const TBitmapDescription& wanted, bool& converted,
                                                  bool& deviceDependent) const
{
    converted = false;
    const TBitmapInfoHeader& h = wanted.Header;
    if (h.Size == 0) {
        deviceDependent = true;
        const int32_t width = wanted.Device.Width;
        const int32_t height = wanted.Device.Height < 0 ? -wanted.Device.Height : wanted.Device.Height;
        if (width == 0 || height == 0)
            return nullptr;
        if ((wanted.Device.Planes | wanted.Device.BitsPixel) == 1)
            return TPixelBuffer::MakeMonochrome(width, height);
        return TPixelBuffer::MakeDevice(width, height);
    }

    deviceDependent = false;
    if (h.Width == 0 || h.Height == 0)
        return nullptr;
    TPixelLayout layout;
    layout.Width = h.Width;
    layout.Height = h.Height < 0 ? -h.Height : h.Height;
    layout.TopDown = h.Height < 0;
    layout.BitsPerPixel = h.BitCount == 0 ? 32 : h.BitCount;
    if ((layout.BitsPerPixel == 16 || layout.BitsPerPixel == 32) && h.Compression == BI_BITFIELDS) {
        layout.Compression = BI_BITFIELDS;
        if (MasksAreZero(wanted.Masks))
            DefaultBitfieldsMasks(layout.BitsPerPixel, layout.Masks);
        else
            std::copy(wanted.Masks, wanted.Masks + 3, layout.Masks);
    }
    if (layout.BitsPerPixel <= 8) {
        const bool oldAddressable = old != nullptr && (!FImage->DeviceDependent || FImage->HasTwin);
        if (layout.BitsPerPixel == 1 && !oldAddressable)
            layout.ColorTable = DefaultColorTable(1);
        else if (palette)
            layout.ColorTable = ColorTableOf(*palette);
        else if (old != nullptr && oldAddressable && old->BitsPerPixel() <= 8)
            layout.ColorTable = old->ColorTable();
        else
            layout.ColorTable = DefaultColorTable(layout.BitsPerPixel);
        const size_t entries = size_t{1} << layout.BitsPerPixel;
        if (layout.ColorTable.size() > entries)
            layout.ColorTable.resize(entries);
    }
    auto pixels = std::make_unique<TPixelBuffer>(std::move(layout));
    if (old != nullptr && old->Width() == pixels->Width() && old->Height() == pixels->Height() &&
        pixels->BitsPerPixel() > 8) {
        // Same size into a true-colour layout: the pixels are converted as they are.
        std::vector<uint32_t> row(static_cast<size_t>(pixels->Width()));
        for (int32_t y = 0; y < pixels->Height(); ++y) {
            old->ReadRow(y, 0, pixels->Width(), row.data());
            pixels->WriteRow(y, 0, pixels->Width(), row.data());
        }
        converted = true;
    }
    return pixels;
}

void TBitmap::RecreateImage(const TPixelBuffer* old, HPALETTE palette, const TBitmapDescription& wanted)
{
    bool converted = false;
    bool deviceDependent = true;
    std::unique_ptr<TPixelBuffer> fresh = MakePixels(old, palette, wanted, converted, deviceDependent);
    if (fresh && !converted) {
        if (old != nullptr && SameLayout(*old, *fresh)) {
            // The old pixels cover the new ones exactly: nothing of the fill would show.
            fresh = old->Clone();
        } else {
            const TColor fontColor = FSurface ? ResolveColor(FSurface->Font().Color()) : clBlack;
            const TColor brushColor = FSurface ? ResolveColor(FSurface->Brush().Color()) : clWhite;
            const bool oldAddressable = old != nullptr && (!FImage->DeviceDependent || FImage->HasTwin);
            if (fresh->IsMonochrome() && !deviceDependent && oldAddressable && FSurface) {
                fresh->SetColorTable({{BlueOf(fontColor), GreenOf(fontColor), RedOf(fontColor), 0},
                                      {BlueOf(brushColor), GreenOf(brushColor), RedOf(brushColor), 0}});
            }
            if (FSurface) {
                TPixelCanvas fill(*fresh);
                fill.Brush().SetColor(FSurface->Brush().Color());
                fill.Brush().SetStyle(FSurface->Brush().Style());
                fill.FillRectangle({0, 0, fresh->Width(), fresh->Height()});
            } else {
                FillWhite(*fresh);
            }
            if (old != nullptr) {
                const int32_t w = std::min(old->Width(), fresh->Width());
                const int32_t h = std::min(old->Height(), fresh->Height());
                const TPixelBuffer::MonochromeColors mono{DevicePixel(fontColor), DevicePixel(brushColor)};
                std::vector<uint32_t> row(static_cast<size_t>(w));
                for (int32_t y = 0; y < h; ++y) {
                    old->ReadRow(y, 0, w, row.data(), old->IsMonochrome() && !fresh->IsMonochrome() ? &mono : nullptr);
                    fresh->WriteRow(y, 0, w, row.data());
                }
            }
        }
    }
    auto image = std::make_unique<TBitmapImage>();
    image->Description = fresh ? DescribePixels(*fresh, !deviceDependent) : wanted;
    image->Handle = std::move(fresh);
    image->DeviceDependent = deviceDependent;
    image->Palette = std::move(palette);
    image->OS2Format = FImage->OS2Format;
    Share(std::move(image));
}

void TBitmap::Changing()
{
    std::lock_guard<std::recursive_mutex> guard(GlobalImageLock());
    if (FImage.use_count() >= 2) {
        RecreateImage(FImage->Handle.get(), FImage->Halftone ? nullptr : FImage->Palette, FImage->Description);
    } else if (FImage->Handle && FImage->DeviceDependent && FImage->HasTwin) {
        FImage->HasTwin = false;
        FImage->Description.Device.Bits = nullptr;
    }
    FImage->Description.Header.ClrUsed = 0;
    FImage->Description.Header.ClrImportant = 0;
    FImage->KeptFileData.reset();
}

void TBitmap::EnsureTwin()
{
    if (!FImage->Handle || !FImage->DeviceDependent || FImage->HasTwin)
        return;
    FImage->HasTwin = true;
    FImage->Description = DescribePixels(*FImage->Handle, true);
}

void TBitmap::SetPixelWidth(int32_t width)
{
    if (width == PixelWidth())
        return;
    TBitmapDescription wanted = FImage->Description;
    wanted.Device.Width = width;
    wanted.Header.Width = width;
    RecreateImage(FImage->Handle.get(), FImage->Palette, wanted);
    NotifyChanged();
}

void TBitmap::SetPixelHeight(int32_t height)
{
    if (height == PixelHeight())
        return;
    TBitmapDescription wanted = FImage->Description;
    wanted.Device.Height = height;
    // A top-down layout stays top-down.
    wanted.Header.Height = wanted.Header.Height < 0 ? -height : height;
    RecreateImage(FImage->Handle.get(), FImage->Palette, wanted);
    NotifyChanged();
}

void TBitmap::CopyFrom(const TPersistent* source)
{
    if (source == nullptr) {
        InstallImage(std::make_unique<TBitmapImage>());
        return;
    }
    const auto* bitmap = dynamic_cast<const TBitmap*>(source);
    if (bitmap == nullptr) {
        TGraphic::CopyFrom(source);
        return;
    }
    Share(bitmap->FImage);  // harmless when copying itself
    SetTransparentFlag(bitmap->Transparent());
    FTransparentKey = bitmap->FTransparentKey;
    FTransparentMode = bitmap->FTransparentMode;
    SetPaletteModified(FImage->Palette != nullptr);
    NotifyChanged();
}

void TBitmap::DrawOn(TCanvas& canvas, const TRect& rect)
{
    const TPixelBuffer* pixels = FImage->Handle.get();
    if (pixels == nullptr)
        return;
    const TRect whole{0, 0, pixels->Width(), pixels->Height()};
    if (!Transparent()) {
        canvas.StretchPixels(rect, *pixels, whole, canvas.CopyMode, FImage->DeviceDependent && pixels->IsMonochrome());
        return;
    }
    // Drawn through its mask: pixels of the key colour leave the target as
    // it was, the others are copied; the copy mode plays no part. A key of
    // clNone masks nothing.
    const TColor key = TransparentKey();
    if (key == clNone)
        canvas.StretchPixels(rect, *pixels, whole, SRCCOPY);
    else
        canvas.StretchPixelsTransparent(rect, *pixels, whole, DevicePixel(ResolveColor(key)));
}

HPALETTE TBitmap::Palette() const
{
    // A palette is made on demand from the colour table of an indexed
    // bitmap; on a true-colour display no other palette is ever needed.
    if (!FImage->Palette && !FIgnorePalette && FImage->Handle && (!FImage->DeviceDependent || FImage->HasTwin)) {
        if (FImage->Handle->BitsPerPixel() <= 8)
            FImage->Palette = MakePalette(FImage->Handle->ColorTable());
        else
            FIgnorePalette = true;
    }
    return FImage->Palette;
}

void TBitmap::SetPalette(HPALETTE palette)
{
    if (palette == FImage->Palette)
        return;
    RecreateImage(FImage->Handle.get(), palette, FImage->Description);
    SetPaletteModified(palette != nullptr);
    NotifyChanged();
}

TPixelFormat TBitmap::PixelFormat() const
{
    if (FImage->Handle ? FImage->DeviceDependent && !FImage->HasTwin : FImage->Description.Header.Size == 0)
        return TPixelFormat::pfDevice;
    const TBitmapDescription& d = FImage->Description;
    switch (d.Header.BitCount) {
    case 1:
        return TPixelFormat::pf1bit;
    case 4:
        return TPixelFormat::pf4bit;
    case 8:
        return TPixelFormat::pf8bit;
    case 16:
        if (d.Header.Compression == BI_RGB)
            return TPixelFormat::pf15bit;
        if (d.Header.Compression == BI_BITFIELDS && d.Masks[1] == 0x07E0)
            return TPixelFormat::pf16bit;
        return TPixelFormat::pfCustom;
    case 24:
        return TPixelFormat::pf24bit;
    case 32:
        return d.Header.Compression == BI_RGB ? TPixelFormat::pf32bit : TPixelFormat::pfCustom;
    default:
        return TPixelFormat::pfCustom;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == PixelFormat())
        return;
    if (format == TPixelFormat::pfDevice) {
        SetStorageKind(TStorageKind::DeviceDependent);
        return;
    }
    if (format == TPixelFormat::pfCustom)
        throw EInvalidGraphic(texts::InvalidPixelFormat);
    static constexpr uint16_t Bits[] = {0, 1, 4, 8, 16, 16, 24, 32};
    TBitmapDescription wanted{};
    wanted.Header.Size = 40;
    wanted.Header.Width = PixelWidth();
    wanted.Header.Height = PixelHeight();
    wanted.Header.Planes = 1;
    wanted.Header.BitCount = Bits[static_cast<int>(format)];
    wanted.Device.Width = PixelWidth();
    wanted.Device.Height = PixelHeight();
    HPALETTE palette = FImage->Palette;
    switch (format) {
    case TPixelFormat::pf4bit:
        palette = MakePalette(SystemColorTable16());
        break;
    case TPixelFormat::pf8bit:
        palette = HalftonePalette();
        break;
    case TPixelFormat::pf16bit:
        wanted.Header.Compression = BI_BITFIELDS;
        DefaultBitfieldsMasks(16, wanted.Masks);
        break;
    default:
        break;
    }
    // A bitmap of true colour keeps no palette of its own.
    if (wanted.Header.BitCount > 8)
        palette = nullptr;
    if (!FImage->Handle) {
        // Nothing to convert yet: the wanted layout is only recorded.
        FImage->Description = wanted;
        return;
    }
    RecreateImage(FImage->Handle.get(), palette, wanted);
    SetPaletteModified(palette != nullptr);
    NotifyChanged();
}

TStorageKind TBitmap::StorageKind() const
{
    if (!FImage->Handle)
        return FImage->Description.Header.Size == 0 ? TStorageKind::DeviceDependent : TStorageKind::DeviceIndependent;
    return FImage->DeviceDependent ? TStorageKind::DeviceDependent : TStorageKind::DeviceIndependent;
}

void TBitmap::SetStorageKind(TStorageKind kind)
{
    if (kind == StorageKind())
        return;
    if (!FImage->Handle) {
        FImage->Description.Header.Size = kind == TStorageKind::DeviceDependent ? 0 : 40;
        return;
    }
    Changing();
    if (kind == TStorageKind::DeviceIndependent) {
        EnsureTwin();
        FImage->DeviceDependent = false;
        FImage->HasTwin = false;
    } else {
        const TPixelBuffer& dib = *FImage->Handle;
        std::unique_ptr<TPixelBuffer> device;
        if (dib.IsDeviceFormat() && !dib.TopDown()) {
            device = dib.Clone();
        } else {
            device = TPixelBuffer::MakeDevice(dib.Width(), dib.Height());
            std::vector<uint32_t> row(static_cast<size_t>(dib.Width()));
            for (int32_t y = 0; y < dib.Height(); ++y) {
                dib.ReadRow(y, 0, dib.Width(), row.data());
                device->WriteRow(y, 0, dib.Width(), row.data());
            }
        }
        FImage->Description = DescribePixels(*device, false);
        FImage->Handle = std::move(device);
        FImage->DeviceDependent = true;
        FImage->HasTwin = false;
    }
    NotifyChanged();
}

uint8_t* TBitmap::Row(int32_t i)
{
    Changing();
    if (!FImage->Handle || i < 0 || i >= FImage->Handle->Height())
        throw EInvalidGraphicOperation(texts::RowOutOfRange);
    EnsureTwin();
    return FImage->Handle->ScanLine(i);
}

void TBitmap::AdoptHandle(std::unique_ptr<TPixelBuffer> pixels, bool deviceDependent)
{
    if (pixels && pixels.get() == FImage->Handle.get())
        return;
    auto image = std::make_unique<TBitmapImage>();
    image->Description = pixels ? DescribePixels(*pixels, !deviceDependent) : TBitmapDescription{};
    image->Handle = std::move(pixels);
    image->DeviceDependent = deviceDependent;
    image->Palette = FImage->Palette;
    InstallImage(std::move(image));
}

std::unique_ptr<TPixelBuffer> TBitmap::DetachHandle()
{
    Changing();
    FImage->HasTwin = false;
    FImage->Description.Device.Bits = nullptr;
    return std::move(FImage->Handle);
}

HPALETTE TBitmap::DetachPalette()
{
    Changing();
    return std::exchange(FImage->Palette, nullptr);
}

TColor TBitmap::TransparentKey() const
{
    if (FTransparentMode == TTransparentMode::Fixed || !FImage->Handle)
        return FTransparentKey;
    if (FImage->Handle->IsMonochrome())
        return clWhite;
    return ColorOfDevicePixel(FImage->Handle->PixelAt(0, FImage->Handle->Height() - 1));
}

void TBitmap::SetTransparentKey(TColor key)
{
    if (key == FTransparentKey)
        return;
    Changing();
    FTransparentKey = key;
    FTransparentMode = key == clDefault ? TTransparentMode::Automatic : TTransparentMode::Fixed;
    NotifyChanged();
}

}  // namespace tremalu
