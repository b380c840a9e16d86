#include "label.h"

#include "caption_drawing.h"
#include "font_settings.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace tremalu {

TLabel::TLabel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(!FTransparent);
}

void TLabel::SetCaption(const QString& caption)
{
    if (caption == FCaption)
        return;
    FCaption = caption;
    AdjustBounds();
    update();
}

void TLabel::setTransparent(bool transparent)
{
    FTransparent = transparent;
    setAutoFillBackground(!transparent);
    update();
}

void TLabel::setAutoSize(bool autoSize)
{
    FAutoSize = autoSize;
    AdjustBounds();
}

void TLabel::setFontName(const QString& family) { SetWidgetFontName(*this, family); }
void TLabel::setFontHeight(int pixels) { SetWidgetFontHeight(*this, pixels); }
void TLabel::setFontBold(bool bold) { SetWidgetFontBold(*this, bold); }
void TLabel::setFontColor(const QColor& color) { SetWidgetFontColor(*this, color); }

void TLabel::AdjustBounds()
{
    if (!FAutoSize)
        return;
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(FCaption), metrics.height());
}

void TLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    DrawCaption(painter, rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, FCaption, isEnabled(),
                palette().color(QPalette::WindowText));
}

void TLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        AdjustBounds();
    QWidget::changeEvent(event);
}

void TLabel::mousePressEvent(QMouseEvent* event) { MousePressed(*this, *event); }
void TLabel::mouseReleaseEvent(QMouseEvent* event) { MouseReleased(*this, *event); }
void TLabel::mouseMoveEvent(QMouseEvent* event) { MouseMoved(*this, *event); }

}  // namespace tremalu
