#include "form.h"

#include "failure_guard.h"
#include "font_settings.h"
#include "presenter.h"
#include "screen_facts.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

namespace tremalu {

TForm::TForm(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ToQColor(clBtnFace));
    colours.setColor(QPalette::Button, ToQColor(clBtnFace));
    colours.setColor(QPalette::WindowText, ToQColor(clWindowText));
    setPalette(colours);
    setFont(DefaultFormFont());
    setMouseTracking(true);
}

TForm::~TForm() = default;

void TForm::Loaded() { setFixedSize(size()); }

void TForm::DoCreate()
{
    if (OnCreate)
        Guarded([this] { OnCreate(*this); });
}

void TForm::Show()
{
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

int TForm::ShowModal() { return Presenter().ShowModal(*this); }

int TForm::RunModalLoop()
{
    FModalResult = mrNone;
    FModal = true;
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &TForm::hidden, &loop, &QEventLoop::quit);
    show();
    raise();
    activateWindow();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    FModal = false;
    // Modality only takes effect at showing; the window is hidden by now.
    setWindowModality(Qt::NonModal);
    if (FModalResult == mrNone)
        FModalResult = mrCancel;
    return FModalResult;
}

void TForm::SetModalResult(int result)
{
    FModalResult = result;
    if (FModal && result != mrNone)
        close();
}

void TForm::setFontName(const QString& family) { SetWidgetFontName(*this, family); }
void TForm::setFontHeight(int pixels) { SetWidgetFontHeight(*this, pixels); }
void TForm::setFontBold(bool bold) { SetWidgetFontBold(*this, bold); }
void TForm::setFontColor(const QColor& color) { SetWidgetFontColor(*this, color); }

void TForm::CenterOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    // Before the first showing the frame is not known yet and the client
    // size stands for it.
    const QSize outer = frameGeometry().size();
    move(area.left() + (area.width() - outer.width()) / 2, area.top() + (area.height() - outer.height()) / 2);
}

void TForm::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closed();
}

void TForm::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        CenterOnScreen();
    QWidget::showEvent(event);
}

void TForm::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        emit hidden();
}

void TForm::mousePressEvent(QMouseEvent* event) { MousePressed(*this, *event); }
void TForm::mouseReleaseEvent(QMouseEvent* event) { MouseReleased(*this, *event); }
void TForm::mouseMoveEvent(QMouseEvent* event) { MouseMoved(*this, *event); }

}  // namespace tremalu
