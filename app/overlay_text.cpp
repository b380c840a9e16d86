#include "overlay_text.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QTimer>

namespace tremalu {

namespace {
constexpr int ShownMilliseconds = 1600;
constexpr int FadingMilliseconds = 400;
constexpr int Margin = 6;
}  // namespace

TOverlayText::TOverlayText(QWidget& parent)
    : QLabel(&parent), Opacity(new QGraphicsOpacityEffect(this)), Fading(new QPropertyAnimation(Opacity, "opacity", this)),
      Shown(new QTimer(this))
{
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    // Light text on a darkened band reads on any anaglyph.
    setStyleSheet("QLabel { color: white; background-color: rgba(0, 0, 0, 160); padding: 4px; }");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGraphicsEffect(Opacity);
    Fading->setDuration(FadingMilliseconds);
    Fading->setStartValue(1.0);
    Fading->setEndValue(0.0);
    connect(Fading, &QPropertyAnimation::finished, this, &QWidget::hide);
    Shown->setSingleShot(true);
    Shown->setInterval(ShownMilliseconds);
    connect(Shown, &QTimer::timeout, Fading, [this] { Fading->start(); });
    hide();
}

void TOverlayText::ShowText(const std::string& text, const QRect& area)
{
    Fading->stop();
    Opacity->setOpacity(1.0);
    setText(QString::fromStdString(text));
    Place(area);
    raise();
    show();
    Shown->start();
}

void TOverlayText::Follow(const QRect& area)
{
    if (isVisible())
        Place(area);
}

void TOverlayText::Place(const QRect& area)
{
    const int width = std::max(area.width() - 2 * Margin, 1);
    const int height = heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height();
    setGeometry(area.left() + Margin, area.bottom() - Margin - height, width, height);
}

}  // namespace tremalu
