// Text and bevels of the controls, drawn the way the old platform drew them.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace tremalu {

// Draws text into rect with Qt alignment flags; disabled text is embossed
// (the highlight colour one pixel down and right, the shadow colour over it).
void DrawCaption(QPainter& painter, const QRect& rect, int flags, const QString& text, bool enabled,
                 const QColor& color);

// A one-pixel bevel along the edges of rect: topLeft on the top row and left
// column, bottomRight on the right column and bottom row (which own the
// top-right and bottom-left corners).
void DrawBevel(QPainter& painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight);

}  // namespace tremalu
