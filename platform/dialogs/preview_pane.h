// The preview pane that the picture dialogs add at the right of the file
// dialog: PicturePanel holding PictureLabel (the picture's size, or
// "Image :"), PreviewButton (opens the full-size preview) and PaintPanel
// with PaintBox (the picture, reduced to fit).
//
// The pane shows the dialog's preview picture, which it loads itself at each
// selection change. It outlives a run of the dialog: the label and the
// button keep the state of the last selection until the next one, also in
// a later run.
#pragma once

#include "panel.h"

#include <QString>

namespace tremalu {

class TLabel;
class TPicture;
class TPreviewPaintBox;
class TSpeedButton;

class TPicturePreviewPane : public TPanel {
    Q_OBJECT
public:
    explicit TPicturePreviewPane(TPicture& preview, QWidget* parent = nullptr);
    ~TPicturePreviewPane() override;

    TLabel& PictureLabel() { return *FLabel; }
    TSpeedButton& PreviewButton() { return *FButton; }
    TPanel& PaintPanel() { return *FPaintPanel; }
    TPreviewPaintBox& PaintBox() { return *FPaintBox; }

    // The dialog opens: the picture is emptied; the label and the button
    // keep their state.
    void DialogOpened();
    // The dialog closes: an animated picture stops animating (its painter
    // stopped and joined); the picture itself stays until the next run.
    void DialogClosed();
    // The selection of the dialog is now path (a file, a folder, or
    // nothing): loads it into the preview picture by its extension. Any
    // failure is silent: "Image :", the button disabled, no picture.
    void ShowSelection(const QString& path);
    // The picture in a window of its own, modal to the dialog.
    void ShowFullSize();

private:
    void ShowNothing();

    TPicture& FPreview;
    TLabel* FLabel;
    TSpeedButton* FButton;
    TPanel* FPaintPanel;
    TPreviewPaintBox* FPaintBox;
};

}  // namespace tremalu
