// A short text over the bottom of a picture, saying where the stereo
// adjustment stands: shown at once, faded out after about two seconds. It is
// a widget of its own above the picture's view, so it is never part of the
// picture that is saved.
#pragma once

#include <QLabel>

#include <string>

class QGraphicsOpacityEffect;
class QPropertyAnimation;
class QTimer;

namespace tremalu {

class TOverlayText : public QLabel {
public:
    explicit TOverlayText(QWidget& parent);

    // Shows text across the bottom of area (in the parent's coordinates)
    // and starts the time until it fades.
    void ShowText(const std::string& text, const QRect& area);
    // Moves the text to the bottom of a new area, without showing it again.
    void Follow(const QRect& area);
    // The text shown last (it stays readable here once faded).
    std::string Text() const { return text().toStdString(); }

private:
    void Place(const QRect& area);

    QGraphicsOpacityEffect* Opacity;
    QPropertyAnimation* Fading;
    QTimer* Shown;
};

}  // namespace tremalu
