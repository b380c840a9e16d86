// The paint box of the picture dialogs' preview pane: the selected picture,
// reduced when it is larger than the box, or "(vide)".
//
// The picture is drawn by our own drawing (DrawAt at its own size, centred;
// DrawStretched into the rectangle that PlacePreview gives, anchored at the
// top-left corner) into a 32-bit image of the box's size filled with the
// box's colour; "(vide)" is written centred on that colour.
#pragma once

#include "control_events.h"

#include <QImage>
#include <QWidget>

namespace tremalu {

class TPicture;

class TPreviewPaintBox : public QWidget {
    Q_OBJECT
public:
    TPreviewPaintBox(const TPicture& picture, QWidget* parent = nullptr);

    // Runs on a double-click, inside the failure guard.
    TClickHandler OnDoubleClick;

    // What the box shows, at its own size; a picture that fails to draw
    // shows as none.
    QImage Render() const;
    // The picture drawn as the box draws it, onto the box's colour; raises
    // what drawing raises. Kinds that decode at their first draw decode
    // here, and an animated picture starts its animation over the box's
    // colour, where the box shows it.
    QImage DrawPicture() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    const TPicture& FPicture;
};

}  // namespace tremalu
