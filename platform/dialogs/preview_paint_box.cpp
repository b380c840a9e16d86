#include "dialogs/preview_paint_box.h"

#include "device_image.h"
#include "core/errors.h"
#include "failure_guard.h"
#include "core/graphic.h"
#include "dialog_rules/preview_layout.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tremalu {

namespace {

TColor ColorOf(const QColor& c)
{
    return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}

}  // namespace

TPreviewPaintBox::TPreviewPaintBox(const TPicture& picture, QWidget* parent) : QWidget(parent), FPicture(picture)
{
}

QImage TPreviewPaintBox::DrawPicture() const
{
    if (width() <= 0 || height() <= 0)
        return {};
    const TRect box = Bounds(0, 0, width(), height());
    const TPreviewPlacement place = PlacePreview(FPicture.PixelWidth(), FPicture.PixelHeight(), box);
    TDeviceImage pixels(width(), height(), ColorOf(palette().color(QPalette::Window)));
    if (place.How == TPreviewPlacement::Kind::AtOwnSize)
        pixels.Canvas().DrawAt(place.At.X, place.At.Y, FPicture.Graphic());
    else if (place.How == TPreviewPlacement::Kind::Stretched)
        pixels.Canvas().DrawStretched(place.Into, FPicture.Graphic());
    return pixels.PrepareForQt().copy();
}

QImage TPreviewPaintBox::Render() const
{
    if (width() <= 0 || height() <= 0)
        return {};
    const QColor behind = palette().color(QPalette::Window);
    const TRect box = Bounds(0, 0, width(), height());
    const TPreviewPlacement place = PlacePreview(FPicture.PixelWidth(), FPicture.PixelHeight(), box);
    QImage image;
    try {
        image = DrawPicture();
    } catch (const Exception&) {
        // Nothing in the preview reports a failure: a picture that cannot be
        // drawn shows as no picture at all.
        image = QImage();
    }
    const bool drawn = !image.isNull() && place.How != TPreviewPlacement::Kind::EmptyText;
    if (image.isNull()) {
        image = QImage(width(), height(), QImage::Format_RGB32);
        image.fill(behind);
    }
    if (!drawn) {
        QPainter painter(&image);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(behind);
        const QString text = QString::fromUtf8(PreviewEmptyText);
        const QFontMetrics metrics(font());
        const TPoint at = CentredText(metrics.horizontalAdvance(text), metrics.height(), box);
        painter.drawText(at.X, at.Y + metrics.ascent(), text);
    }
    return image;
}

void TPreviewPaintBox::paintEvent(QPaintEvent* event)
{
    QImage image;
    std::string failure;
    // Failures of the preview's own are caught in Render; anything else
    // (memory) is reported once the paint is over.
    GuardedDeferred([&] { image = Render(); }, failure);
    if (!failure.empty())
        ReportFailureLater(failure);
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(event->rect(), image, event->rect());
}

void TPreviewPaintBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && OnDoubleClick)
        Guarded([this] { OnDoubleClick(*this); });
    event->accept();
}

}  // namespace tremalu
