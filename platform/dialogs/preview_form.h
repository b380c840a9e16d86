// The full-size preview of the picture dialogs: a sizeable tool window
// "PreviewForm", captioned "Prévisualiser", owned by the file dialog, that
// shows a copy of the preview picture stretched over its client area inside
// a 5-pixel border. It first takes the picture's own size (the window is
// not limited to the screen); an empty picture leaves it at its first
// size. Escape closes it.
#pragma once

#include "form.h"

namespace tremalu {

class TImageView;
class TPanel;
class TPicture;

inline constexpr const char* PreviewCaption = "Prévisualiser";

class TPreviewForm : public TForm {
    Q_OBJECT
public:
    TPreviewForm(const TPicture& picture, QWidget* owner);
    ~TPreviewForm() override;

    TPanel& Panel() { return *FPanel; }
    TImageView& Image() { return *FImage; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TPanel* FPanel;
    TImageView* FImage;
};

}  // namespace tremalu
