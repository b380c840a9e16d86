// The image view: a control's model that shows its picture at natural
// size, centred, or stretched into its bounds, and can size itself to its
// picture. The window layer hosts it in a widget and calls Paint with a
// surface over the widget's pixels.
#pragma once

#include "raster/drawing.h"
#include "core/graphic.h"

#include <functional>

namespace tremalu {

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TImage {
public:
    TImage();
    ~TImage();
    TImage(const TImage&) = delete;
    TImage& operator=(const TImage&) = delete;

    TPicture& Picture() { return FPicture; }
    const TPicture& Picture() const { return FPicture; }

    bool AutoSize() const { return FAutoSize; }
    // Switching it on sizes the view to its picture at once.
    void SetAutoSize(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool IncrementalDisplay = false;
    TAlign Align = TAlign::alNone;

    int32_t Left() const { return FLeft; }
    int32_t Top() const { return FTop; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    // While AutoSize is on, the width and height follow the picture.
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetLeft(int32_t v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int32_t v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int32_t v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int32_t v) { SetBounds(FLeft, FTop, FWidth, v); }

    // Where the picture is drawn, in the view's own coordinates.
    TRect TargetRect() const;
    // Draws the picture onto a surface covering the view.
    void Paint(TCanvas& target);
    bool IsPainting() const { return FDrawing; }
    // Whether the view covers its whole area (its parent need not paint
    // behind it).
    bool Opaque() const { return FOpaque; }

    // The surface of the picture's bitmap, for drawing into the picture. A
    // view without a picture first gets a white bitmap of its own size.
    // EInvalidOperation "Ne peut modifier une image que si elle contient un
    // bitmap" when the picture is of another kind.
    TCanvas& Surface();

    // The host repaints when asked, and moves the control when its bounds
    // change.
    std::function<void()> OnInvalidate;
    std::function<void()> OnRepaintNow;
    std::function<void()> OnBoundsChanged;
    TProgressEvent OnProgress;

private:
    void PictureChanged();
    void PictureProgress(TObject& sender, TProgressStage stage, uint8_t percent, bool redrawNow, const TRect& r,
                         const std::string& msg);
    void AutoSizeOf(int32_t& width, int32_t& height) const;
    void Invalidate();

    TPicture FPicture;
    bool FAutoSize = false;
    bool FCenter = false;
    bool FStretch = false;
    bool FTransparent = false;
    bool FDrawing = false;
    bool FOpaque = false;
    int32_t FLeft = 0;
    int32_t FTop = 0;
    int32_t FWidth = 105;
    int32_t FHeight = 105;
};

}  // namespace tremalu
