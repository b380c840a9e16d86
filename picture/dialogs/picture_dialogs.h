// The picture file dialogs: TOpenPictureDialog and TSavePictureDialog.
//
// Both run the toolkit's own file dialog (never a desktop theme's) through
// the presenter, so that tests can answer in the user's place. FileName and
// FilterIndex carry over from one run to the next: after a confirmed run
// they hold the chosen full path and the 1-based index of the selected
// filter pair; after a cancel both are left as they were.
#pragma once

#include "graphic.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

class QFileDialog;

namespace tremalu {

enum class TOpenOption {
    ofReadOnly,
    ofOverwritePrompt,
    ofHideReadOnly,
    ofNoChangeDir,
    ofShowHelp,
    ofNoValidate,
    ofAllowMultiSelect,
    ofExtensionDifferent,
    ofPathMustExist,
    ofFileMustExist,
    ofCreatePrompt,
    ofShareAware,
    ofNoReadOnlyReturn,
    ofNoTestFileCreate,
    ofNoNetworkButton,
    ofNoLongNames,
    ofOldStyleDialog,
    ofNoDereferenceLinks,
    ofEnableIncludeNotify,
    ofEnableSizing,
};
using TOpenOptions = std::set<TOpenOption>;

class TOpenDialog {
public:
    TOpenDialog() = default;
    virtual ~TOpenDialog();
    TOpenDialog(const TOpenDialog&) = delete;
    TOpenDialog& operator=(const TOpenDialog&) = delete;

    std::string DefaultExt;
    std::string FileName;
    std::string Filter;
    int FilterIndex = 1;
    std::string InitialDir;
    TOpenOptions Options = {TOpenOption::ofHideReadOnly, TOpenOption::ofEnableSizing};
    std::string Title;
    // The chosen files of the last confirmed run.
    std::vector<std::string> Files;

    // Shows the dialog modally; true when the user confirmed a file.
    bool Run();

protected:
    virtual bool IsSaveDialog() const { return false; }
    // Adds what a kind of dialog shows besides the file list.
    virtual void Prepare(QFileDialog& dialog);
};

class TOpenPictureDialog : public TOpenDialog {
public:
    // The default filter lists every registered picture format.
    TOpenPictureDialog();
    ~TOpenPictureDialog() override;

    // The picture of the selected file, shown by the preview pane.
    TPicture& PreviewPicture() { return *FPreview; }

private:
    std::unique_ptr<TPicture> FPreview;
};

class TSavePictureDialog : public TOpenPictureDialog {
protected:
    bool IsSaveDialog() const override { return true; }
};

}  // namespace tremalu
