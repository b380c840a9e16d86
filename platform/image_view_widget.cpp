#include "image_view_widget.h"

#include "raster/bitmap.h"
#include "device_image.h"
#include "failure_guard.h"
#include "resource_bitmap.h"

#include <QPainter>
#include <QPaintEvent>

namespace tremalu {

TImageView::TImageView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    FImage.OnInvalidate = [this] {
        FFailureReported = false;
        update();
    };
    FImage.OnRepaintNow = [this] { repaint(); };
    FImage.OnBoundsChanged = [this] { FollowModelBounds(); };
    FollowModelBounds();
}

TImageView::~TImageView()
{
    FImage.OnInvalidate = nullptr;
    FImage.OnRepaintNow = nullptr;
    FImage.OnBoundsChanged = nullptr;
}

void TImageView::SetBounds(int left, int top, int width, int height) { FImage.SetBounds(left, top, width, height); }

void TImageView::setPictureFile(const QString& bmpPath)
{
    const std::unique_ptr<TBitmap> bitmap = LoadResourceBitmap(bmpPath);
    FImage.Picture().SetGraphic(bitmap.get());
}

void TImageView::FollowModelBounds()
{
    if (FSyncing)
        return;
    FSyncing = true;
    QWidget::setGeometry(FImage.Left(), FImage.Top(), FImage.Width(), FImage.Height());
    FSyncing = false;
}

void TImageView::FollowWidgetGeometry()
{
    if (FSyncing)
        return;
    const QRect g = geometry();
    FSyncing = true;
    FImage.SetBounds(g.x(), g.y(), g.width(), g.height());
    FSyncing = false;
    // The model may have kept its own size (AutoSize).
    if (FImage.BoundsRect() != Bounds(g.x(), g.y(), g.width(), g.height()))
        FollowModelBounds();
}

void TImageView::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    FollowWidgetGeometry();
}

void TImageView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FollowWidgetGeometry();
}

void TImageView::paintEvent(QPaintEvent* event)
{
    const QRect target = [this] {
        const TRect t = FImage.TargetRect();
        return QRect(t.Left, t.Top, t.Width(), t.Height()).intersected(rect());
    }();
    if (target.isEmpty())
        return;
    const QColor behind = parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                                         : palette().color(QPalette::Window);
    QImage shown;
    std::string failure;
    GuardedDeferred(
        [&] {
            TDeviceImage pixels(width(), height(),
                                RGB(static_cast<uint8_t>(behind.red()), static_cast<uint8_t>(behind.green()),
                                    static_cast<uint8_t>(behind.blue())));
            FImage.Paint(pixels.Canvas());
            shown = pixels.PrepareForQt();
        },
        failure);
    if (!failure.empty()) {
        if (!FFailureReported)
            ReportFailureLater(failure);
        FFailureReported = true;
        return;
    }
    QPainter painter(this);
    const QRect area = target.intersected(event->rect());
    painter.drawImage(area, shown, area);
}

void TImageView::mousePressEvent(QMouseEvent* event) { MousePressed(*this, *event); }
void TImageView::mouseReleaseEvent(QMouseEvent* event) { MouseReleased(*this, *event); }
void TImageView::mouseMoveEvent(QMouseEvent* event) { MouseMoved(*this, *event); }

}  // namespace tremalu
