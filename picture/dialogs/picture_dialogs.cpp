#include "picture_dialogs.h"

#include "filter_pairs.h"
#include "format_registry.h"
#include "presenter.h"

#include <QFileDialog>
#include <QStringList>

namespace tremalu {

TOpenDialog::~TOpenDialog() = default;

void TOpenDialog::Prepare(QFileDialog&) {}

bool TOpenDialog::Run()
{
    Files.clear();
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(IsSaveDialog() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(IsSaveDialog() ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!Title.empty())
        dialog.setWindowTitle(QString::fromStdString(Title));
    QStringList descriptions;
    for (const TFilterPair& pair : ParseFilter(Filter))
        descriptions << QString::fromStdString(pair.Description);
    dialog.setNameFilters(descriptions);
    if (FilterIndex >= 1 && FilterIndex <= descriptions.size())
        dialog.selectNameFilter(descriptions[FilterIndex - 1]);
    if (!InitialDir.empty())
        dialog.setDirectory(QString::fromStdString(InitialDir));
    if (!FileName.empty())
        dialog.selectFile(QString::fromStdString(FileName));
    Prepare(dialog);

    const std::optional<TFileChoice> choice = Presenter().RunFileDialog(dialog);
    if (!choice)
        return false;
    FileName = choice->FileName;
    FilterIndex = choice->FilterIndex;
    Files.push_back(FileName);
    return true;
}

TOpenPictureDialog::TOpenPictureDialog() : FPreview(std::make_unique<TPicture>())
{
    Filter = PictureFilter(TGraphic::StaticClass());
}

TOpenPictureDialog::~TOpenPictureDialog() = default;

}  // namespace tremalu
