#include "font_settings.h"

#include <QPalette>
#include <QWidget>

namespace tremalu {

namespace {

constexpr int DefaultCharacterHeight = 11;

QFont SansFamily(QFont font, const QString& family)
{
    font.setFamilies({family});
    // Tells fontconfig what to fall back to when the family is missing.
    font.setStyleHint(QFont::SansSerif);
    return font;
}

}  // namespace

QFont DefaultFormFont()
{
    QFont font = SansFamily(QFont(), QStringLiteral("MS Sans Serif"));
    font.setPixelSize(DefaultCharacterHeight);
    font.setBold(false);
    return font;
}

void SetWidgetFontName(QWidget& widget, const QString& family)
{
    widget.setFont(SansFamily(widget.font(), family));
}

void SetWidgetFontHeight(QWidget& widget, int pixels)
{
    QFont font = widget.font();
    font.setPixelSize(pixels);
    widget.setFont(font);
}

void SetWidgetFontBold(QWidget& widget, bool bold)
{
    QFont font = widget.font();
    font.setBold(bold);
    widget.setFont(font);
}

void SetWidgetFontColor(QWidget& widget, const QColor& color)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    palette.setColor(QPalette::Text, color);
    widget.setPalette(palette);
}

QColor WidgetFontColor(const QWidget& widget)
{
    return widget.palette().color(QPalette::WindowText);
}

}  // namespace tremalu
