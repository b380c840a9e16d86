// The full-size view: the anaglyph at 100 % (one picture pixel per screen
// pixel), centred on black, borderless and full screen on the screen of the
// window that opened it, to judge the result through the glasses.
//
// Dragging with the left button pans; the wheel zooms around the pointer
// between fitting the screen and 400 %; F fits, J returns to 100 %. The
// adjustment keys work as in the result window (the full-size anaglyph is
// recomposed, steps that arrive meanwhile merged into one). Escape or Enter
// closes the view; OnClosed then lets its owner show the same offset.
#pragma once

#include "stereo_adjustment.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <functional>

namespace tremalu {

class TOverlayText;

class TFullSizeView : public QWidget {
public:
    // A window of owner's (so that owner's modality does not block it).
    TFullSizeView(QWidget& owner, TStereoAdjustment& adjustment);

    // Composes the anaglyph at full size and shows it at 100 %, centred,
    // full screen on the owner's screen.
    void Open();

    double Zoom() const { return FZoom; }
    // The zoom at which the whole anaglyph fits the screen.
    double FitZoom() const;
    // Where the picture's top-left corner lies, in the view's pixels.
    QPointF Origin() const { return FOrigin; }
    const QImage& Anaglyph() const { return FAnaglyph; }
    // How many times the full-size anaglyph was composed.
    int Compositions() const { return FCompositions; }
    std::string StatusText() const;

    std::function<void()> OnClosed;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Compose();
    void ScheduleComposition();
    // Zooms to zoom keeping the picture point under `at` where it is.
    void ZoomAround(double zoom, QPointF at);
    void Centre();
    // Keeps the picture over the screen: centred on an axis where it is
    // smaller, edge to edge where it is larger.
    void KeepInView();

    TStereoAdjustment& Adjustment;
    TOverlayText* Overlay;
    QImage FAnaglyph;
    double FZoom = 1.0;
    QPointF FOrigin;
    bool Dragging = false;
    QPointF DragFrom;
    bool CompositionPending = false;
    int FCompositions = 0;
};

// The full-size anaglyph of the adjustment as a screen image.
QImage ComposeScreenImage(const TStereoAdjustment& adjustment);

}  // namespace tremalu
