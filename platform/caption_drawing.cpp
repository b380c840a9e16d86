#include "caption_drawing.h"

#include "screen_facts.h"

#include <QPainter>

namespace tremalu {

void DrawCaption(QPainter& painter, const QRect& rect, int flags, const QString& text, bool enabled,
                 const QColor& color)
{
    if (text.isEmpty())
        return;
    if (enabled) {
        painter.setPen(color);
        painter.drawText(rect, flags, text);
        return;
    }
    painter.setPen(ToQColor(clBtnHighlight));
    painter.drawText(rect.translated(1, 1), flags, text);
    painter.setPen(ToQColor(clBtnShadow));
    painter.drawText(rect, flags, text);
}

void DrawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const int left = rect.left(), top = rect.top(), right = rect.right(), bottom = rect.bottom();
    painter.fillRect(QRect(left, top, rect.width() - 1, 1), topLeft);
    painter.fillRect(QRect(left, top, 1, rect.height() - 1), topLeft);
    painter.fillRect(QRect(right, top, 1, rect.height()), bottomRight);
    painter.fillRect(QRect(left, bottom, rect.width(), 1), bottomRight);
}

}  // namespace tremalu
