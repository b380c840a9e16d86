#include "panel.h"

#include "caption_drawing.h"
#include "screen_facts.h"

#include <QPainter>

namespace tremalu {

TPanel::TPanel(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAutoFillBackground(true);
}

void TPanel::setBevelOuter(TBevelCut cut)
{
    FBevelOuter = cut;
    update();
}

void TPanel::setBevelInner(TBevelCut cut)
{
    FBevelInner = cut;
    update();
}

void TPanel::setBevelWidth(int width)
{
    FBevelWidth = width < 1 ? 1 : width;
    update();
}

void TPanel::setCaption(const QString& caption)
{
    FCaption = caption;
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect frame = rect();
    for (const TBevelCut cut : {FBevelOuter, FBevelInner}) {
        if (cut == bvNone)
            continue;
        const QColor light = ToQColor(clBtnHighlight);
        const QColor shadow = ToQColor(clBtnShadow);
        for (int i = 0; i < FBevelWidth; ++i) {
            if (cut == bvRaised)
                DrawBevel(painter, frame, light, shadow);
            else
                DrawBevel(painter, frame, shadow, light);
            frame.adjust(1, 1, -1, -1);
        }
    }
    DrawCaption(painter, frame, Qt::AlignCenter | Qt::TextSingleLine, FCaption, isEnabled(),
                palette().color(QPalette::WindowText));
}

void TPanel::mousePressEvent(QMouseEvent* event) { MousePressed(*this, *event); }
void TPanel::mouseReleaseEvent(QMouseEvent* event) { MouseReleased(*this, *event); }
void TPanel::mouseMoveEvent(QMouseEvent* event) { MouseMoved(*this, *event); }

}  // namespace tremalu
