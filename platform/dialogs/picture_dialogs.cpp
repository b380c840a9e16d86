#include "dialogs/picture_dialogs.h"

#include "dialog_rules/chosen_name.h"
#include "failure_guard.h"
#include "dialogs/file_dialog_window.h"
#include "core/format_registry.h"
#include "presenter.h"
#include "dialogs/preview_pane.h"

#include <QApplication>
#include <QToolTip>

namespace tremalu {

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Prepare(TFileDialogWindow&) {}

void TOpenDialog::Finish(TFileDialogWindow&) {}

bool TOpenDialog::Run()
{
    Files.clear();
    // Owned by the active window, so that the window system keeps it above.
    TFileDialogWindow dialog(*this, IsSaveDialog(), QApplication::activeWindow());
    std::optional<TFileChoice> choice;
    {
        Prepare(dialog);
        struct TFinisher {
            TOpenDialog& Owner;
            TFileDialogWindow& Dialog;
            ~TFinisher() { Owner.Finish(Dialog); }
        } finisher{*this, dialog};
        choice = Presenter().RunFileDialog(dialog);
    }
    if (!choice)
        return false;
    // The dialog window has already completed a name typed without an
    // extension (TFileDialogWindow::accept): the choice is taken as it is.
    FileName = choice->FileName;
    FilterIndex = choice->FilterIndex;
    Files.push_back(FileName);
    // The old platform's returned flags: no read-only box is ever shown, and
    // the extension is compared with the default one.
    Options.erase(TOpenOption::ofReadOnly);
    if (HasOtherExtension(FileName, DefaultExt))
        Options.insert(TOpenOption::ofExtensionDifferent);
    else
        Options.erase(TOpenOption::ofExtensionDifferent);
    return true;
}

TOpenPictureDialog::TOpenPictureDialog() : FPreview(std::make_unique<TPicture>())
{
    Filter = PictureFilter(TGraphic::StaticClass());
}

TOpenPictureDialog::~TOpenPictureDialog() = default;

TPicturePreviewPane& TOpenPictureDialog::PreviewPane()
{
    if (!FPane)
        FPane = std::make_unique<TPicturePreviewPane>(*FPreview);
    return *FPane;
}

void TOpenPictureDialog::Prepare(TFileDialogWindow& dialog)
{
    TPicturePreviewPane& pane = PreviewPane();
    dialog.AddPane(pane);
    pane.DialogOpened();
    QObject::connect(&dialog, &QFileDialog::currentChanged, &pane, [&pane](const QString& path) {
        // The preview keeps its own failures silent; anything else (memory)
        // is shown like any failure of a handler.
        Guarded([&] { pane.ShowSelection(path); });
    });
}

void TOpenPictureDialog::Finish(TFileDialogWindow& dialog)
{
    // The button's tooltip may still be shown over a dialog that is gone.
    QToolTip::hideText();
    if (FPane) {
        QObject::disconnect(&dialog, nullptr, FPane.get(), nullptr);
        dialog.RemovePane(*FPane);
        FPane->DialogClosed();
    }
}

}  // namespace tremalu
