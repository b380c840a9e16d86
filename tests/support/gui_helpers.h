// Mouse input and pixel checks for GUI tests.
//
// Mouse events go in through the window, as the window system would send
// them: the toolkit finds the control under the point, so a test checks
// what a user pointing there would get.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

class QWidget;

namespace testing_support {

// Shows a window and waits until it can take input.
void ShowWindow(QWidget& window);

// Moves the mouse to a point given in control's coordinates (its window
// must be shown).
void MoveMouseTo(QWidget& control, QPoint at);
// Presses and releases the left button there.
void ClickAt(QWidget& control, QPoint at);

// The pixels of a widget as it paints itself.
QImage Snapshot(QWidget& widget);
QColor PixelAt(const QImage& image, int x, int y);

}  // namespace testing_support
