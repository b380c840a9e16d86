#include "gui_helpers.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

namespace testing_support {

void ShowWindow(QWidget& window)
{
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
}

namespace {

QWindow* WindowOf(QWidget& control)
{
    QWidget* top = control.window();
    return top->windowHandle();
}

}  // namespace

void MoveMouseTo(QWidget& control, QPoint at)
{
    QTest::mouseMove(WindowOf(control), control.mapTo(control.window(), at));
}

void ClickAt(QWidget& control, QPoint at)
{
    const QPoint inWindow = control.mapTo(control.window(), at);
    QTest::mouseMove(WindowOf(control), inWindow);
    QTest::mouseClick(WindowOf(control), Qt::LeftButton, Qt::NoModifier, inWindow);
}

QImage Snapshot(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QColor PixelAt(const QImage& image, int x, int y) { return QColor(image.pixel(x, y)); }

}  // namespace testing_support
