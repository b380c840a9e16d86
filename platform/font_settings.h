// Fonts of the windows and controls.
//
// The window definitions name fonts the way the old platform did: a family,
// a character height in pixels (the em size, without internal leading), bold
// or not, and a colour. Families that the system lacks ("MS Sans Serif",
// "Arial") are matched by fontconfig to the closest sans font it has at that
// pixel size.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace tremalu {

// "MS Sans Serif" at 8 points, that is a character height of 11 pixels at
// 96 pixels per inch: every form's default font.
QFont DefaultFormFont();

// Changes one attribute of a widget's own font; the others stay inherited
// from its parent.
void SetWidgetFontName(QWidget& widget, const QString& family);
void SetWidgetFontHeight(QWidget& widget, int pixels);
void SetWidgetFontBold(QWidget& widget, bool bold);
// The colour of the widget's text.
void SetWidgetFontColor(QWidget& widget, const QColor& color);
QColor WidgetFontColor(const QWidget& widget);

}  // namespace tremalu
