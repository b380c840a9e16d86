// The image view control: a widget that hosts the picture subsystem's
// image view model (TImage) and shows it.
//
// Painting draws the model through our own drawing onto a 32-bit image of
// the widget's size, prefilled with the parent's colour so that what the
// picture leaves undrawn looks like the parent behind it; only the part of
// the view that the picture covers is put on the screen. Every change of
// the picture repaints the view, and a view that sizes itself to its
// picture moves the widget with it.
#pragma once

#include "control_events.h"
#include "raster/image_view.h"

#include <QRect>
#include <QString>
#include <QWidget>

#include <string>

namespace tremalu {

class TImageView : public QWidget, public TControlEvents {
    Q_OBJECT
public:
    explicit TImageView(QWidget* parent = nullptr);
    ~TImageView() override;

    TImage& Image() { return FImage; }
    const TImage& Image() const { return FImage; }
    TPicture& Picture() { return FImage.Picture(); }

    // Moves and sizes the view; with AutoSize on the picture's size wins.
    void SetBounds(int left, int top, int width, int height);
    // The window definition sets bounds through here (the same as SetBounds).
    void setGeometry(const QRect& bounds) { SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height()); }

    // Settings of the window definition.
    void setAutoSize(bool on) { FImage.SetAutoSize(on); }
    void setCenter(bool on) { FImage.SetCenter(on); }
    void setStretch(bool on) { FImage.SetStretch(on); }
    void setTransparent(bool on) { FImage.SetTransparent(on); }
    // Loads a BMP picture (artwork) through our reader.
    void setPictureFile(const QString& bmpPath);

protected:
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void FollowModelBounds();
    void FollowWidgetGeometry();

    TImage FImage;
    bool FSyncing = false;
    // A picture that fails to draw is reported once, not at every repaint;
    // the next change of the picture or the bounds allows a new report.
    bool FFailureReported = false;
};

}  // namespace tremalu
