// Drawing surfaces and their tools.
//
// A TCanvas draws on pixel memory: a bitmap's own pixels (TBitmapCanvas) or
// memory owned by a window (TPixelCanvas). Every drawing operation is framed
// by BeforeChange and AfterChange, which a bitmap's surface uses to copy
// shared pixels before the first change and to announce the change after it.
#pragma once

#include "core/color.h"
#include "core/geometry.h"
#include "raster/pixel_buffer.h"
#include "raster/raster_ops.h"

#include <atomic>
#include <functional>
#include <mutex>

namespace tremalu {

class TGraphic;

enum class TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

// The hatch patterns, 8 × 8 pixels aligned on the surface's origin: whether
// pixel (x, y) lies on a line of the hatched style (false for the others).
bool OnHatchLine(TBrushStyle style, int32_t x, int32_t y);

// A drawing tool with settings; its owner hears of every change that makes
// a difference. Setting a tool to the settings it already has notifies
// nobody.
class TGraphicsObject {
public:
    std::function<void()> OnChange;

protected:
    void Changed()
    {
        if (OnChange)
            OnChange();
    }
};

class TBrush : public TGraphicsObject {
public:
    TColor Color() const { return FColor; }
    TBrushStyle Style() const { return FStyle; }
    // Choosing a colour while the brush is clear makes it solid.
    void SetColor(TColor color);
    // Making the brush clear also makes its colour white.
    void SetStyle(TBrushStyle style);

private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = TBrushStyle::bsSolid;
};

class TFont : public TGraphicsObject {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor color);

private:
    TColor FColor = clWindowText;
};

class TCanvas {
public:
    TCanvas();
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBrush& Brush() { return FBrush; }
    TFont& Font() { return FFont; }
    TRasterOp CopyMode = SRCCOPY;

    // Draws a graphic at its natural size with its top-left corner at (x, y).
    void DrawAt(int32_t x, int32_t y, TGraphic* graphic);
    // Draws a graphic into a rectangle.
    void DrawStretched(const TRect& rect, TGraphic* graphic);
    // Fills a rectangle with the brush: solid colour, nothing for a clear
    // brush, the hatch lines only for a hatched one.
    void FillRectangle(const TRect& rect);
    // Copies sourceRect of another surface, scaled, into destRect with CopyMode.
    void CopyRectangle(const TRect& destRect, TCanvas& source, const TRect& sourceRect);
    // The area that can be drawn: the whole surface.
    TRect ClipBounds();

    void LockSurface();
    void UnlockSurface();
    bool TryLockSurface();

    // Drawing steps used by the graphics when they draw themselves. Both
    // clip to the surface; sizes that differ are scaled nearest-neighbour
    // (column ⌊i × w ÷ rw⌋, row ⌊j × h ÷ rh⌋), never blended. A monochrome
    // device bitmap (colourMonochrome) takes the text colour for its 0 bits
    // and the background colour for its 1 bits; every other source shows the
    // colours of its own table.
    void StretchPixels(const TRect& dest, const TPixelBuffer& source, const TRect& sourceRect, TRasterOp rop,
                       bool colourMonochrome = false);
    // Like StretchPixels with SRCCOPY, but source pixels whose colour is the
    // key leave the destination as it was.
    void StretchPixelsTransparent(const TRect& dest, const TPixelBuffer& source, const TRect& sourceRect,
                                  uint32_t keyPixel);
    // Colours of the drawing context, set by DrawAt before a graphic draws.
    TColor TextColor = clBlack;
    TColor BackgroundColor = clWhite;

    // The pixels being drawn on, or null when there is nothing to draw on
    // (an empty bitmap). Raises EInvalidOperation "Le canevas ne permet pas
    // de dessiner" when no pixels can be had.
    virtual TPixelBuffer* Pixels() = 0;

protected:
    virtual void BeforeChange() {}
    virtual void AfterChange() {}

private:
    void FillWithPattern(const TRect& rect);
    // The brush's pixels along count pixels of row y from column x0.
    void BrushPattern(int32_t y, int32_t x0, int32_t count, uint32_t* out) const;

    TBrush FBrush;
    TFont FFont;
    std::recursive_mutex Lock;
    std::atomic<int> LockCount{0};
};

// A surface over pixel memory owned by someone else, such as the backing
// image of a window.
class TPixelCanvas : public TCanvas {
public:
    explicit TPixelCanvas(TPixelBuffer& target) : Target(target) {}
    TPixelBuffer* Pixels() override { return &Target; }

private:
    TPixelBuffer& Target;
};

}  // namespace tremalu
