#include "speed_button.h"

#include "raster/bitmap.h"
#include "caption_drawing.h"
#include "device_image.h"
#include "failure_guard.h"
#include "font_settings.h"
#include "glyph_greying.h"
#include "resource_bitmap.h"
#include "screen_facts.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace tremalu {

namespace {

// Space between glyph and caption when a button has both.
constexpr int GlyphSpacing = 4;

TColor ColorOf(const QColor& c) { return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())); }

}  // namespace

TSpeedButton::TSpeedButton(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(std::unique_ptr<TBitmap> glyph)
{
    FGlyph = std::move(glyph);
    if (FGlyph)
        FGlyph->SetTransparent(true);
    update();
}

void TSpeedButton::setGlyph(const QString& bmpPath) { SetGlyph(LoadResourceBitmap(bmpPath)); }

void TSpeedButton::setCaption(const QString& caption)
{
    FCaption = caption;
    update();
}

void TSpeedButton::setFlat(bool flat)
{
    FFlat = flat;
    update();
}

void TSpeedButton::setFontName(const QString& family) { SetWidgetFontName(*this, family); }
void TSpeedButton::setFontHeight(int pixels) { SetWidgetFontHeight(*this, pixels); }
void TSpeedButton::setFontBold(bool bold) { SetWidgetFontBold(*this, bold); }
void TSpeedButton::setFontColor(const QColor& color) { SetWidgetFontColor(*this, color); }

QRect TSpeedButton::GlyphRect(int shift) const
{
    if (!FGlyph || FGlyph->IsEmpty())
        return {};
    const int gw = FGlyph->PixelWidth(), gh = FGlyph->PixelHeight();
    const int captionWidth = FCaption.isEmpty() ? 0 : GlyphSpacing + QFontMetrics(font()).horizontalAdvance(FCaption);
    const int x = (width() - gw - captionWidth + 1) / 2;
    const int y = (height() - gh + 1) / 2;
    return QRect(x + shift, y + shift, gw, gh);
}

QRect TSpeedButton::CaptionRect(int shift) const
{
    const QRect glyph = GlyphRect(shift);
    if (glyph.isNull())
        return rect().translated(shift, shift);
    const int left = glyph.right() + 1 + GlyphSpacing;
    return QRect(left, shift, width() - left, height());
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    const int shift = IsDown() ? 1 : 0;
    const TColor face = ColorOf(palette().color(QPalette::Window));
    QImage faceAndGlyph;
    std::string failure;
    GuardedDeferred(
        [&] {
            TDeviceImage pixels(width(), height(), face);
            if (pixels.IsEmpty())
                return;
            const QRect glyph = GlyphRect(shift);
            if (!glyph.isNull()) {
                pixels.Canvas().DrawAt(glyph.x(), glyph.y(), FGlyph.get());
                if (!isEnabled())
                    GreyPixels(pixels.Pixels(), Bounds(glyph.x(), glyph.y(), glyph.width(), glyph.height()), face);
            }
            faceAndGlyph = pixels.PrepareForQt();
        },
        failure);

    QPainter painter(this);
    if (!faceAndGlyph.isNull())
        painter.drawImage(0, 0, faceAndGlyph);
    else
        painter.fillRect(rect(), palette().color(QPalette::Window));
    const int alignment = GlyphRect(shift).isNull() ? Qt::AlignCenter : (Qt::AlignLeft | Qt::AlignVCenter);
    DrawCaption(painter, CaptionRect(shift), alignment | Qt::TextSingleLine, FCaption, isEnabled(),
                palette().color(QPalette::ButtonText));
    if (isEnabled() && IsDown())
        DrawBevel(painter, rect(), ToQColor(clBtnShadow), ToQColor(clBtnHighlight));
    else if (!FFlat || (isEnabled() && FMouseInControl))
        DrawBevel(painter, rect(), ToQColor(clBtnHighlight), ToQColor(clBtnShadow));
    if (!failure.empty())
        ReportFailureLater(failure);
}

void TSpeedButton::enterEvent(QEnterEvent* event)
{
    FMouseInControl = true;
    update();
    QWidget::enterEvent(event);
}

void TSpeedButton::leaveEvent(QEvent* event)
{
    FMouseInControl = false;
    update();
    QWidget::leaveEvent(event);
}

void TSpeedButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        FPressed = false;
        update();
    }
    QWidget::changeEvent(event);
}

void TSpeedButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        FPressed = true;
        FMouseInControl = true;
        update();
    }
    MousePressed(*this, *event);
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        FPressed = false;
        update();
    }
    MouseReleased(*this, *event);
}

void TSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    // While the button is held, leaving its area shows it up again.
    const bool inside = rect().contains(event->position().toPoint());
    if (FPressed && inside != FMouseInControl) {
        FMouseInControl = inside;
        update();
    }
    MouseMoved(*this, *event);
}

}  // namespace tremalu
