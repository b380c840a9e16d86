#include "presenter.h"

#include "form.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>

namespace tremalu {

namespace {

QMessageBox::Icon QtIcon(TMessageIcon icon)
{
    switch (icon) {
    case TMessageIcon::Stop:
        return QMessageBox::Critical;
    case TMessageIcon::Exclamation:
        return QMessageBox::Warning;
    case TMessageIcon::Information:
        return QMessageBox::Information;
    case TMessageIcon::Question:
        return QMessageBox::Question;
    case TMessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons QtButtons(TMessageButtons buttons)
{
    switch (buttons) {
    case TMessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case TMessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case TMessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case TMessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

int AnswerOf(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return mrOk;
    case QMessageBox::Yes:
        return mrYes;
    case QMessageBox::No:
        return mrNo;
    default:
        return mrCancel;
    }
}

class TQtPresenter : public TPresenter {
public:
    int MessageBox(const TMessageBoxRequest& request) override
    {
        // The window that had the focus gets it back once the box is gone,
        // whatever window the toolkit would pick by itself.
        QPointer<QWidget> previous = QApplication::activeWindow();
        QMessageBox box(QtIcon(request.Icon), QString::fromStdString(request.Caption),
                        QString::fromStdString(request.Text), QtButtons(request.Buttons));
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(Qt::ApplicationModal);
        if (request.Buttons == TMessageButtons::Ok)
            box.setEscapeButton(QMessageBox::Ok);
        const int answer = AnswerOf(box.exec());
        if (previous && previous->isVisible())
            previous->activateWindow();
        return answer;
    }

    int ShowModal(TForm& form) override { return form.RunModalLoop(); }

    std::optional<TFileChoice> RunFileDialog(QFileDialog& dialog) override
    {
        // Qt's own dialog, never a desktop theme's: the picture dialogs add
        // a preview pane to it.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setWindowModality(Qt::ApplicationModal);
        QPointer<QWidget> previous = QApplication::activeWindow();
        const bool accepted = dialog.exec() == QDialog::Accepted;
        if (previous && previous->isVisible())
            previous->activateWindow();
        const QStringList files = dialog.selectedFiles();
        if (!accepted || files.isEmpty())
            return std::nullopt;
        TFileChoice choice;
        choice.FileName = files.front().toStdString();
        choice.FilterIndex = static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
        if (choice.FilterIndex < 1)
            choice.FilterIndex = 1;
        return choice;
    }
};

TPresenter*& CurrentPresenter()
{
    static TPresenter* current = &QtPresenter();
    return current;
}

}  // namespace

TPresenter& QtPresenter()
{
    static TQtPresenter presenter;
    return presenter;
}

TPresenter& Presenter() { return *CurrentPresenter(); }

TPresenterOverride::TPresenterOverride(TPresenter& replacement) : Previous(CurrentPresenter())
{
    CurrentPresenter() = &replacement;
}

TPresenterOverride::~TPresenterOverride() { CurrentPresenter() = Previous; }

}  // namespace tremalu
