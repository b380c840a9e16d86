#include "full_size_view.h"

#include "adjustment_keys.h"
#include "failure_guard.h"
#include "overlay_text.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <new>

namespace tremalu {

namespace {
constexpr double LargestZoom = 4.0;
constexpr double WheelStep = 1.25;  // per notch
}  // namespace

QImage ComposeScreenImage(const TStereoAdjustment& adjustment)
{
    TAnaglyphRows rows(adjustment.LeftSide(), adjustment.RightSide(), adjustment.Frame(), adjustment.Mix());
    QImage image(rows.Width(), rows.Height(), QImage::Format_RGB32);
    if (image.isNull())
        throw std::bad_alloc();
    // The composition's rows are 0x00RRGGBB; the screen format wants the top
    // byte set.
    for (int32_t y = 0; y < rows.Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(image.scanLine(y));
        rows.NextRow(row);
        for (int32_t x = 0; x < rows.Width(); ++x)
            row[x] |= 0xFF000000u;
    }
    return image;
}

TFullSizeView::TFullSizeView(QWidget& owner, TStereoAdjustment& adjustment)
    : QWidget(&owner, Qt::Window | Qt::FramelessWindowHint), Adjustment(adjustment), Overlay(new TOverlayText(*this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
}

void TFullSizeView::Open()
{
    Compose();
    QScreen* screen = parentWidget()->screen();
    setScreen(screen);
    setGeometry(screen->geometry());
    FZoom = 1.0;
    Centre();
    showFullScreen();
    activateWindow();
    setFocus();
}

void TFullSizeView::Compose()
{
    FAnaglyph = QImage();  // the old one goes before the new one is made
    FAnaglyph = ComposeScreenImage(Adjustment);
    ++FCompositions;
}

void TFullSizeView::ScheduleComposition()
{
    // Steps that arrive before the composition runs change only the offset:
    // one composition shows the latest.
    if (CompositionPending)
        return;
    CompositionPending = true;
    QTimer::singleShot(0, this, [this] {
        CompositionPending = false;
        Guarded([&] {
            const QSize before = FAnaglyph.size();
            Compose();
            if (FAnaglyph.size() != before)
                KeepInView();
            update();
        });
    });
}

double TFullSizeView::FitZoom() const
{
    if (FAnaglyph.isNull())
        return 1.0;
    return std::min(double(width()) / FAnaglyph.width(), double(height()) / FAnaglyph.height());
}

std::string TFullSizeView::StatusText() const { return Overlay->Text(); }

void TFullSizeView::Centre()
{
    FOrigin = QPointF((width() - FAnaglyph.width() * FZoom) / 2, (height() - FAnaglyph.height() * FZoom) / 2);
    KeepInView();
}

void TFullSizeView::KeepInView()
{
    const auto keep = [](double origin, double shown, double room) {
        if (shown <= room)
            return (room - shown) / 2;
        return std::clamp(origin, room - shown, 0.0);
    };
    FOrigin.setX(keep(FOrigin.x(), FAnaglyph.width() * FZoom, width()));
    FOrigin.setY(keep(FOrigin.y(), FAnaglyph.height() * FZoom, height()));
}

void TFullSizeView::ZoomAround(double zoom, QPointF at)
{
    zoom = std::clamp(zoom, std::min(FitZoom(), 1.0), std::max(LargestZoom, FitZoom()));
    const QPointF picturePoint = (at - FOrigin) / FZoom;
    FZoom = zoom;
    FOrigin = at - picturePoint * FZoom;
    KeepInView();
    update();
}

void TFullSizeView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (FAnaglyph.isNull())
        return;
    // Only the part on the screen is drawn, whatever the zoom.
    const QRectF shown(FOrigin, QSizeF(FAnaglyph.size()) * FZoom);
    const QRectF target = shown.intersected(QRectF(rect()));
    if (target.isEmpty())
        return;
    const QRectF source((target.topLeft() - FOrigin) / FZoom, target.size() / FZoom);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, FZoom < 1.0);
    painter.drawImage(target, FAnaglyph, source);
}

void TFullSizeView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    Guarded([&] {
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            close();
            return;
        }
        if (key == Qt::Key_F) {
            FZoom = FitZoom();
            Centre();
            update();
            return;
        }
        if (key == Qt::Key_J) {
            ZoomAround(1.0, QPointF(width() / 2.0, height() / 2.0));
            return;
        }
        const TAdjustmentKeyResult result = ApplyAdjustmentKey(Adjustment, key, event->modifiers());
        if (!result.Handled)
            return;
        if (result.Changed)
            ScheduleComposition();
        Overlay->ShowText(Adjustment.StatusText(result.Note), rect());
    });
}

void TFullSizeView::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        ZoomAround(FZoom * std::pow(WheelStep, notches), event->position());
}

void TFullSizeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    Dragging = true;
    DragFrom = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void TFullSizeView::mouseMoveEvent(QMouseEvent* event)
{
    if (!Dragging)
        return;
    FOrigin += event->position() - DragFrom;
    DragFrom = event->position();
    KeepInView();
    update();
}

void TFullSizeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    Dragging = false;
    setCursor(Qt::OpenHandCursor);
}

void TFullSizeView::resizeEvent(QResizeEvent*)
{
    KeepInView();
}

void TFullSizeView::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    // The full-size picture is not kept once the view is closed.
    FAnaglyph = QImage();
    if (OnClosed)
        OnClosed();
}

}  // namespace tremalu
