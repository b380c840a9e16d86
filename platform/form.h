// A window of the program: a fixed-size, dialog-style top-level window.
//
// Its controls come from a window definition (a Qt Designer form whose
// setupUi fills it); Loaded() then fixes the client size to the one the
// definition gave. The window cannot be resized, has a title bar with the
// system menu and close box only, paints the button-face colour behind its
// controls, uses the default form font and is centred on the screen each
// time it is shown. Closing it hides it; the window object lives on.
#pragma once

#include "control_events.h"
#include "presenter.h"

#include <QColor>
#include <QString>
#include <QWidget>

namespace tremalu {

class TForm : public QWidget, public TControlEvents {
    Q_OBJECT
public:
    explicit TForm(QWidget* parent = nullptr);
    ~TForm() override;

    // The window creation handler (FormCreate).
    TClickHandler OnCreate;

    // Fixes the client size to the current size, once the window definition
    // has been loaded.
    void Loaded();
    // Runs the creation handler inside the failure guard: a failure is
    // shown and the window is kept.
    void DoCreate();

    // Modeless showing: shows the window, or only brings it to the front
    // when it is already shown.
    void Show();
    // Modal showing through the presenter: blocks until the window is
    // closed, the other windows taking no input meanwhile. Returns the
    // modal result (mrCancel when closed with the close box).
    int ShowModal();
    // The modal loop itself, for the presenter.
    int RunModalLoop();
    bool IsModal() const { return FModal; }
    int ModalResult() const { return FModalResult; }
    // Setting a result other than mrNone while the window is modal closes it.
    void SetModalResult(int result);

    // Settings of the window definition.
    void setFontName(const QString& family);
    void setFontHeight(int pixels);
    void setFontBold(bool bold);
    void setFontColor(const QColor& color);

signals:
    // The window was closed by the user or by the program.
    void closed();
    // The window was hidden, whatever the reason.
    void hidden();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void CenterOnScreen();

    bool FModal = false;
    int FModalResult = mrNone;
};

}  // namespace tremalu
