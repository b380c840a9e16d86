#include "dialogs/file_dialog_window.h"

#include "application.h"
#include "dialog_rules/chosen_name.h"
#include "dialog_rules/dialog_placement.h"
#include "dialogs/pattern_filter_proxy.h"
#include "presenter.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QShowEvent>

namespace tremalu {

namespace {

// The toolkit's own widgets inside its file dialog, found by the names it
// gives them.
const char* const NameEditName = "fileNameEdit";
const char* const FileTypeComboName = "fileTypeCombo";
const char* const ListViewName = "listView";

// Space between the standard controls and a pane added at their right.
constexpr int PaneSpacing = 6;

QString ToolkitText(const char* text) { return QCoreApplication::translate("QFileDialog", text); }

}  // namespace

std::string ReadOnlyRefusalText(const std::string& fileName)
{
    return fileName + "\nCe fichier est en lecture seule.\nChoisissez un autre nom de fichier.";
}

TFileDialogWindow::TFileDialogWindow(const TOpenDialog& settings, bool saving, QWidget* parent)
    : QFileDialog(parent), FDefaultExt(settings.DefaultExt), FOptions(settings.Options), FSaving(saving)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    // The confirmation before replacing a file is asked in accept(), with
    // the other guarding options, through the presenter.
    setOption(QFileDialog::DontConfirmOverwrite, true);
    setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    setFileMode(!saving && FOptions.contains(TOpenOption::ofFileMustExist) ? QFileDialog::ExistingFile
                                                                            : QFileDialog::AnyFile);
    // Without a title of its own the dialog takes the toolkit's caption, in
    // the user's language.
    setWindowTitle(settings.Title.empty() ? ToolkitText(saving ? "Save As" : "Open")
                                          : QString::fromStdString(settings.Title));
    setSizeGripEnabled(FOptions.contains(TOpenOption::ofEnableSizing));
    FNameEdit = findChild<QLineEdit*>(NameEditName);

    if (auto* files = findChild<QFileSystemModel*>()) {
        files->setNameFilterDisables(true);
        FProxy = new TPatternFilterProxy(this);
        setProxyModel(FProxy);
    }
    FPairs = ParseFilter(settings.Filter);
    QStringList descriptions;
    for (const TFilterPair& pair : FPairs)
        descriptions << QString::fromStdString(pair.Description);
    if (!descriptions.isEmpty())
        setNameFilters(descriptions);
    if (auto* combo = findChild<QComboBox*>(FileTypeComboName))
        connect(combo, &QComboBox::currentIndexChanged, this, &TFileDialogWindow::UsePair);
    if (settings.FilterIndex >= 1 && settings.FilterIndex <= descriptions.size())
        selectNameFilter(descriptions[settings.FilterIndex - 1]);
    UsePair(static_cast<int>(descriptions.indexOf(selectedNameFilter())));

    if (!settings.InitialDir.empty())
        setDirectory(QString::fromStdString(settings.InitialDir));
    if (!settings.FileName.empty())
        selectFile(QString::fromStdString(settings.FileName));
}

TFileDialogWindow::~TFileDialogWindow() = default;

const TFilterPair* TFileDialogWindow::PairAt(int filterIndex) const
{
    if (filterIndex < 1 || filterIndex > static_cast<int>(FPairs.size()))
        return nullptr;
    return &FPairs[static_cast<size_t>(filterIndex - 1)];
}

const TFilterPair* TFileDialogWindow::SelectedPair() const
{
    if (const auto* combo = findChild<QComboBox*>(FileTypeComboName))
        return PairAt(combo->currentIndex() + 1);
    return PairAt(static_cast<int>(nameFilters().indexOf(selectedNameFilter())) + 1);
}

void TFileDialogWindow::UsePair(int index)
{
    if (FProxy == nullptr)
        return;
    const TFilterPair* pair = PairAt(index + 1);
    FProxy->SetPatterns(pair != nullptr ? pair->Patterns : std::vector<std::string>{});
}

void TFileDialogWindow::AddPane(QWidget& pane)
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (grid == nullptr)
        return;
    grid->addWidget(&pane, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop | Qt::AlignLeft);
    pane.show();
    resize(width() + PaneSpacing + pane.width(), height());
}

void TFileDialogWindow::RemovePane(QWidget& pane)
{
    if (QLayout* own = layout())
        own->removeWidget(&pane);
    pane.hide();
    pane.setParent(nullptr);
}

void TFileDialogWindow::ShowName(const std::string& fileName)
{
    if (FNameEdit == nullptr)
        return;
    // A file picked in the list would still count as the choice.
    if (auto* list = findChild<QListView*>(ListViewName); list != nullptr && list->selectionModel() != nullptr)
        list->selectionModel()->clearSelection();
    const QFileInfo info(QString::fromStdString(fileName));
    const bool here = info.absolutePath() == directory().absolutePath();
    FNameEdit->setText(here ? info.fileName() : info.absoluteFilePath());
}

bool TFileDialogWindow::MayReturn(const std::string& fileName)
{
    if (!IsExistingFile(fileName))
        return true;
    const QString shownName = QFileInfo(QString::fromStdString(fileName)).fileName();
    if (FOptions.contains(TOpenOption::ofNoReadOnlyReturn) && IsReadOnlyFile(fileName)) {
        TMessageBoxRequest refusal;
        refusal.Text = ReadOnlyRefusalText(shownName.toStdString());
        refusal.Caption = windowTitle().toStdString();
        refusal.Icon = TMessageIcon::Exclamation;
        refusal.Buttons = TMessageButtons::Ok;
        Presenter().MessageBox(refusal);
        return false;
    }
    if (FSaving && FOptions.contains(TOpenOption::ofOverwritePrompt)) {
        TMessageBoxRequest question;
        question.Text = ToolkitText("%1 already exists.\nDo you want to replace it?").arg(shownName).toStdString();
        question.Caption = windowTitle().toStdString();
        question.Icon = TMessageIcon::Exclamation;
        question.Buttons = TMessageButtons::YesNo;
        return Presenter().MessageBox(question) == mrYes;
    }
    return true;
}

void TFileDialogWindow::accept()
{
    const QStringList files = selectedFiles();
    // No name, or a folder: the toolkit's dialog opens the folder.
    if (files.isEmpty() || QFileInfo(files.front()).isDir()) {
        QFileDialog::accept();
        return;
    }
    const std::string chosen = files.front().toStdString();
    const std::string completed = CompleteChosenName(chosen, SelectedPair(), FDefaultExt, FSaving);
    if (completed != chosen)
        ShowName(completed);
    if (!MayReturn(completed))
        return;
    QFileDialog::accept();
}

void TFileDialogWindow::PlaceOnMonitor()
{
    const TForm* mainForm = ApplicationMainForm();
    const QScreen* screen = mainForm != nullptr ? mainForm->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    // Before the window is first mapped its frame is not known and the
    // client size stands for it.
    const QSize outer = frameGeometry().size();
    const TPoint at = DialogPlacement(Bounds(area.x(), area.y(), area.width(), area.height()), outer.width(),
                                      outer.height());
    move(at.X, at.Y);
}

void TFileDialogWindow::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        PlaceOnMonitor();
        // Without ofEnableSizing the dialog keeps the size it opens with.
        if (!FOptions.contains(TOpenOption::ofEnableSizing))
            setFixedSize(size());
    }
    QFileDialog::showEvent(event);
}

}  // namespace tremalu
