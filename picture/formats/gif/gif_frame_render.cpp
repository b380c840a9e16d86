// Rendering a frame into its bitmap, once, with the mask of its transparent
// pixels.
//
// The bitmap is device-independent, 8 bits per pixel, rows bottom-up as a
// BMP file stores them, with a colour table of 256 entries: the frame's
// palette (entries past its colours are black) and each row holding the
// frame's colour indices unchanged; or, when the picture needs dithering,
// the 216-colour cube and the frame's colours diffused into it.
#include "formats/gif/gif_sub_image.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "formats/gif/gif_dither.h"
#include "formats/gif/gif_image.h"
#include "raster/bitmap.h"

#include <vector>

namespace tremalu {

namespace {

constexpr int32_t ProgressRows = 32;

std::vector<TRGBQuad> ColorTable256(const HPALETTE& palette)
{
    std::vector<TRGBQuad> table(256);
    if (palette)
        for (size_t i = 0; i < palette->Entries.size() && i < table.size(); ++i)
            table[i] = {palette->Entries[i].Blue, palette->Entries[i].Green, palette->Entries[i].Red, 0};
    return table;
}

void MarkTransparent(TPixelBuffer& mask, int32_t y, const uint8_t* indices, int32_t width, uint8_t transparent,
                     bool& any)
{
    uint8_t* bits = mask.ScanLine(y);
    for (int32_t x = 0; x < width; ++x)
        if (indices[x] == transparent) {
            bits[x >> 3] = static_cast<uint8_t>(bits[x >> 3] | (0x80 >> (x & 7)));
            any = true;
        }
}

}  // namespace

TBitmap& TGIFSubImage::FrameBitmap()
{
    if (!FBitmap)
        Render();
    return *FBitmap;
}

const TPixelBuffer* TGIFSubImage::FrameMask()
{
    if (FTransparent && FMaskPending) {
        FBitmap.reset();
        Render();
    }
    return FMask.get();
}

void TGIFSubImage::Render()
{
    // The bitmap is made again: the old one (if any) is gone.
    FBitmapHold.Release();
    const std::shared_ptr<TGIFDrawingMemory>& memory = FImage->DrawingMemory();
    if (Empty()) {
        TGIFDrawingHold hold(memory, GIFDeviceBitmapBytes(Width, Height));
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetPalette(Palette());
        bitmap->SetPixelWidth(Width);
        bitmap->SetPixelHeight(Height);
        FBitmap = std::move(bitmap);
        FBitmapHold = std::move(hold);
        return;
    }
    // The frame's own failure when its image is beyond what any bitmap may
    // hold, before anything is allocated; then the picture's when it would
    // hold more for drawing than its budget.
    if (static_cast<uint64_t>(Width) * Height > MaxBitmapPixels)
        throw EOutOfMemory(texts::gif::DibMemory);
    const bool buildMask = FTransparent && FMaskPending;
    TGIFDrawingHold bitmapHold(memory, GIFFrameBitmapBytes(Width, Height));
    TGIFDrawingHold maskHold(memory, buildMask ? GIFMaskBytes(Width, Height) : 0);
    auto bitmap = std::make_unique<TBitmap>();
    std::unique_ptr<TPixelBuffer> mask = buildMask ? TPixelBuffer::MakeMonochrome(Width, Height) : nullptr;
    bool masked = false;

    const bool dither = FImage->NeedsDither();
    TPixelLayout layout;
    layout.Width = Width;
    layout.Height = Height;
    layout.BitsPerPixel = 8;
    layout.ColorTable = dither ? ColorCubeTable() : ColorTable256(Palette());
    layout.ColorTable.resize(256);
    auto pixels = std::make_unique<TPixelBuffer>(std::move(layout));

    const uint8_t transparent = FGraphicControl != nullptr ? FGraphicControl->TransparentColorIndex : 0;
    std::vector<uint8_t> indices(Width);
    std::vector<TGIFColor> colors(dither ? Width : 0);
    std::vector<uint8_t> skip(dither ? Width : 0);
    TFloydSteinbergDitherer ditherer(dither ? Width : 0);
    const TGIFColorMap& table = ActiveColorMap();
    FImage->ReportProgress(TProgressStage::StageStarting, 0, texts::gif::Rendering);
    for (int32_t y = 0; y < Height; ++y) {
        uint8_t* row = pixels->ScanLine(y);
        if (!dither) {
            Pixels.CopyRow(y, row);
        } else {
            Pixels.CopyRow(y, indices.data());
            for (int32_t x = 0; x < Width; ++x) {
                skip[x] = FTransparent && indices[x] == transparent;
                if (!skip[x])
                    colors[x] = table.Lookup(indices[x]);
            }
            ditherer.DitherRow(colors.data(), skip.data(), row);
        }
        if (mask)
            MarkTransparent(*mask, y, dither ? indices.data() : row, Width, transparent, masked);
        if ((y + 1) % ProgressRows == 0)
            FImage->ReportProgress(TProgressStage::StageRunning, static_cast<uint8_t>((y + 1) * 100LL / Height),
                                   texts::gif::Rendering);
    }
    FImage->ReportProgress(TProgressStage::StageEnding, 100, texts::gif::Rendering);

    bitmap->AdoptHandle(std::move(pixels), false);
    if (buildMask) {
        FMask = masked ? std::move(mask) : nullptr;
        FMaskHold = masked ? std::move(maskHold) : TGIFDrawingHold();
        FMaskPending = false;
    }
    FBitmap = std::move(bitmap);
    FBitmapHold = std::move(bitmapHold);
}

}  // namespace tremalu
