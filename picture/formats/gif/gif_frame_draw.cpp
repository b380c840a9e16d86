// Drawing one frame onto a surface: placed where it lies on the logical
// screen scaled into the destination rectangle (or tiled at natural size),
// opaque or through its mask.
#include "formats/gif/gif_sub_image.h"

#include "core/checked_math.h"
#include "formats/gif/gif_image.h"
#include "raster/bitmap.h"

#include <algorithm>

namespace tremalu {

namespace {

// Keeps a surface's copy mode for the length of a drawing.
class KeepCopyMode {
public:
    explicit KeepCopyMode(TCanvas& canvas) : Canvas(canvas), Saved(canvas.CopyMode) {}
    ~KeepCopyMode() { Canvas.CopyMode = Saved; }
    KeepCopyMode(const KeepCopyMode&) = delete;
    KeepCopyMode& operator=(const KeepCopyMode&) = delete;

private:
    TCanvas& Canvas;
    TRasterOp Saved;
};

// The first tile index whose copy, at offset and of the given extent, can
// reach past from (tiles of the given pitch laid from origin).
int64_t FirstTileReaching(int64_t origin, int64_t offset, int64_t extent, int64_t pitch, int64_t from)
{
    const int64_t gap = from - (origin + offset + extent);
    return gap < 0 ? 0 : gap / pitch;
}

}  // namespace

TRect TGIFSubImage::MapFrameRect(const TRect& rect) const
{
    const int32_t sw = FImage->Header.Width, sh = FImage->Header.Height;
    const int32_t w = rect.Right - rect.Left, h = rect.Bottom - rect.Top;
    return {rect.Left + MulDiv(Left, w, sw), rect.Top + MulDiv(Top, h, sh), rect.Left + MulDiv(Left + Width, w, sw),
            rect.Top + MulDiv(Top + Height, h, sh)};
}

std::vector<TRect> TGIFSubImage::Placements(const TRect& rect, bool tile, const TRect& clip) const
{
    if (!tile)
        return {MapFrameRect(rect)};
    std::vector<TRect> placed;
    const int64_t sw = FImage->Header.Width, sh = FImage->Header.Height;
    if (sw <= 0 || sh <= 0)
        return placed;
    // Tiles that cannot meet the clip are not visited, so a large rectangle
    // over a small screen costs only what shows.
    for (int64_t j = FirstTileReaching(rect.Top, Top, Height, sh, clip.Top);; ++j) {
        const int64_t ty = rect.Top + j * sh;
        if (ty >= rect.Bottom || ty + Top >= clip.Bottom)
            break;
        for (int64_t i = FirstTileReaching(rect.Left, Left, Width, sw, clip.Left);; ++i) {
            const int64_t tx = rect.Left + i * sw;
            if (tx >= rect.Right || tx + Left >= clip.Right)
                break;
            placed.push_back(Bounds(static_cast<int32_t>(tx + Left), static_cast<int32_t>(ty + Top), Width, Height));
        }
    }
    return placed;
}

void TGIFSubImage::DrawFrame(TCanvas& canvas, const TRect& rect, bool transparent, bool tile)
{
    const bool masked = transparent && FTransparent && FrameMask() != nullptr;
    TBitmap& bitmap = FrameBitmap();
    for (const TRect& placed : Placements(rect, tile, canvas.ClipBounds())) {
        if (masked)
            TransparentBlit(canvas, placed);
        else
            canvas.DrawStretched(placed, &bitmap);
    }
}

// Where the mask is 1 the destination stays, elsewhere it takes the frame:
// the mask, white for 1 and black for 0, is ANDed onto the destination, then
// a copy of the frame whose masked pixels are black is ORed onto it; both
// are stretched alike.
void TGIFSubImage::TransparentBlit(TCanvas& canvas, const TRect& placed)
{
    TBitmap& bitmap = FrameBitmap();
    const TPixelBuffer* source = bitmap.PeekPixels();
    if (source == nullptr || !FMask)
        return;
    const int32_t w = source->Width(), h = source->Height();
    // A copy for this draw only, held on the picture's budget while it lives.
    const TGIFDrawingHold hold(FImage->DrawingMemory(), GIFDeviceBitmapBytes(w, h));
    std::unique_ptr<TPixelBuffer> blackened = TPixelBuffer::MakeDevice(w, h);
    for (int32_t y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(blackened->ScanLine(y));
        source->ReadRow(y, 0, w, row);
        const uint8_t* bits = FMask->ScanLine(y);
        for (int32_t x = 0; x < w; ++x)
            if ((bits[x >> 3] & (0x80 >> (x & 7))) != 0)
                row[x] = 0;
    }
    TPixelCanvas maskSurface(*FMask);
    TPixelCanvas frameSurface(*blackened);
    const TRect whole = Bounds(0, 0, w, h);
    KeepCopyMode keep(canvas);
    canvas.CopyMode = SRCAND;
    canvas.CopyRectangle(placed, maskSurface, whole);
    canvas.CopyMode = SRCPAINT;
    canvas.CopyRectangle(placed, frameSurface, whole);
}

}  // namespace tremalu
