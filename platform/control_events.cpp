#include "control_events.h"

#include "failure_guard.h"

#include <QMouseEvent>
#include <QWidget>

namespace tremalu {

void TControlEvents::Click(QWidget& control)
{
    if (OnClick)
        Guarded([&] { OnClick(control); });
}

void TControlEvents::MousePressed(QWidget&, QMouseEvent& event)
{
    event.accept();
    if (event.button() == Qt::LeftButton)
        LeftPressed = true;
}

void TControlEvents::MouseReleased(QWidget& control, QMouseEvent& event)
{
    event.accept();
    if (event.button() != Qt::LeftButton || !LeftPressed)
        return;
    LeftPressed = false;
    if (control.rect().contains(event.position().toPoint()))
        Click(control);
}

void TControlEvents::MouseMoved(QWidget& control, QMouseEvent& event)
{
    event.accept();
    if (!OnMouseMove)
        return;
    const QPoint at = event.position().toPoint();
    Guarded([&] { OnMouseMove(control, at.x(), at.y()); });
}

}  // namespace tremalu
