// One frame of a GIF picture: the extensions before it, its image
// descriptor, its local colour table and its pixels (one colour index per
// pixel), and what drawing makes of it once: the frame bitmap, the mask of
// its transparent pixels and its palette.
#pragma once

#include "core/geometry.h"
#include "formats/gif/gif_drawing_memory.h"
#include "formats/gif/gif_extensions.h"
#include "formats/gif/gif_items.h"

#include <memory>
#include <vector>

namespace tremalu {

class TBitmap;
class TCanvas;
class TPixelBuffer;

// The colour indices of a frame. They are kept in the order the data stores
// them (interlaced frames in their four passes) and only as far as decoding
// reached: every pixel beyond holds the fill, so a frame that declares a
// large size and brings little data costs little.
class TGIFPixels {
public:
    void Reset(int32_t width, int32_t height, uint8_t fill, bool interlaced);
    void Clear() { *this = TGIFPixels(); }

    bool Present() const { return FPresent; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    uint8_t Fill() const { return FFill; }
    // Width × height.
    size_t Count() const { return static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight); }
    // What decoding gave, in stored order; never longer than Count.
    std::vector<uint8_t>& Decoded() { return FDecoded; }
    const std::vector<uint8_t>& Decoded() const { return FDecoded; }

    // Row y (0 at the top) of the picture: width indices.
    void CopyRow(int32_t y, uint8_t* out) const;
    uint8_t At(int32_t x, int32_t y) const;

private:
    // Where row y of the picture lies among the stored rows.
    size_t StoredRow(int32_t y) const;

    bool FPresent = false;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    uint8_t FFill = 0;
    bool FInterlaced = false;
    std::vector<uint8_t> FDecoded;
};

// The extensions of a frame, in the order read.
using TGIFExtensionList = TGIFList<TGIFExtension>;

class TGIFSubImage : public TGIFItem {
    TREMALU_DECLARE_CLASS()
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    // The extensions up to the image descriptor, the descriptor, the local
    // colour table and the pixel data.
    void ReadFromStream(TStream& stream) override;
    void WriteToStream(TStream& stream) const override;
    int Version() const override;
    // How many colour indices reading may keep for this frame: what its
    // picture may still hold (gif_drawing_memory.h). Data that decodes to
    // more is refused with "Mémoire insuffisante" as it is read.
    void SetIndexRoom(uint64_t room) { FIndexRoom = room; }
    // A copy of everything read, belonging to image.
    std::unique_ptr<TGIFSubImage> Clone(TGIFImage* image) const;

    // The image descriptor as stored (a width or height of 0 replaced by
    // the logical screen's).
    uint8_t Separator = 0x2C;
    uint16_t Left = 0;
    uint16_t Top = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t Packed = 0;
    bool Interlaced() const { return (Packed & 0x40) != 0; }

    TGIFLocalColorMap ColorMap;
    TGIFExtensionList Extensions;
    TGIFPixels Pixels;

    // True when one of its graphic control extensions sets transparency.
    bool Transparent() const { return FTransparent; }
    // The first graphic control extension read for the frame, or none: its
    // delay and transparent index are the frame's.
    TGIFGraphicControlExtension* GraphicControlExtension() const { return FGraphicControl; }
    // No pixel data, or a width or height of 0.
    bool Empty() const { return !Pixels.Present() || Width == 0 || Height == 0; }
    // The local table when it has entries, else the global one when it has,
    // else the (empty) local one.
    const TGIFColorMap& ActiveColorMap() const;
    TRect BoundsRect() const { return Bounds(Left, Top, Width, Height); }

    // ---- drawing (see gif_frame_render.cpp and gif_frame_draw.cpp)

    // The frame rendered into a bitmap, on first use: 8 bits per pixel with
    // the frame's palette, or dithered to the 216-colour cube when the
    // picture needs dithering. Builds the mask with it.
    TBitmap& FrameBitmap();
    bool HasFrameBitmap() const { return FBitmap != nullptr; }
    // One bit per pixel, set where the pixel has the transparent index; none
    // when the frame is not transparent or no pixel has that index. Asking
    // for it renders the frame again when its mask is still pending.
    const TPixelBuffer* FrameMask();
    // The frame's palette: its bitmap's, else the cached one, else the cube
    // when dithering, else the local table, else the picture's.
    HPALETTE Palette();
    // Drops the bitmap, mask and palette (they are made again on use).
    void ReleaseDrawing();

    // Draws the frame into rect, which stands for the whole logical screen;
    // tiled at natural size with tile; through its mask with transparent.
    void DrawFrame(TCanvas& canvas, const TRect& rect, bool transparent, bool tile);
    // Where the frame lies when the logical screen is drawn into rect.
    TRect MapFrameRect(const TRect& rect) const;
    // Where the frame goes: MapFrameRect, or with tile a copy at natural
    // size in every logical-screen tile laid from rect's top-left corner that
    // begins inside rect; only those that meet clip.
    std::vector<TRect> Placements(const TRect& rect, bool tile, const TRect& clip) const;

private:
    void ReadExtensions(TStream& stream);
    void AddExtension(std::unique_ptr<TGIFExtension> extension);
    void Render();
    void TransparentBlit(TCanvas& canvas, const TRect& placed);

    bool FTransparent = false;
    TGIFGraphicControlExtension* FGraphicControl = nullptr;
    uint64_t FIndexRoom = MaxGIFDecodedIndices;

    // The bitmap and the mask, each held on the picture's drawing budget
    // before it is made (gif_drawing_memory.h).
    std::unique_ptr<TBitmap> FBitmap;
    TGIFDrawingHold FBitmapHold;
    std::unique_ptr<TPixelBuffer> FMask;
    TGIFDrawingHold FMaskHold;
    bool FMaskPending = true;
    HPALETTE FPalette;
};

}  // namespace tremalu
