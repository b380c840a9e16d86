// The picture file dialogs: TOpenPictureDialog and TSavePictureDialog.
//
// Both run the toolkit's own file dialog (never a desktop theme's, see
// file_dialog_window.h) through the presenter, so that tests can answer in
// the user's place. FileName and FilterIndex carry over from one run to the
// next: after a confirmed run they hold the chosen full path and the
// 1-based index of the selected filter pair; after a cancel both are left
// as they were. The picture dialogs add the preview pane (preview_pane.h).
#pragma once

#include "core/graphic.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tremalu {

class TFileDialogWindow;
class TPicturePreviewPane;

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

    // Shows the dialog modally; true when the user confirmed a file. A
    // name confirmed without an extension comes back with the selected
    // pair's (or DefaultExt), as the dialog window completes it; ofReadOnly
    // is cleared and ofExtensionDifferent tells whether the name's
    // extension differs from DefaultExt.
    bool Run();

protected:
    virtual bool IsSaveDialog() const { return false; }
    // Adds what a kind of dialog shows besides the file list, before it is
    // shown; Finish takes it back once the dialog has closed.
    virtual void Prepare(TFileDialogWindow& dialog);
    virtual void Finish(TFileDialogWindow& dialog);
};

class TOpenPictureDialog : public TOpenDialog {
public:
    // The default filter lists every registered picture format.
    TOpenPictureDialog();
    ~TOpenPictureDialog() override;

    // The picture of the selected file, shown by the preview pane.
    TPicture& PreviewPicture() { return *FPreview; }
    // The preview pane, made at its first use; it lives as long as the
    // dialog object and is lent to the dialog window of each run.
    TPicturePreviewPane& PreviewPane();

protected:
    void Prepare(TFileDialogWindow& dialog) override;
    void Finish(TFileDialogWindow& dialog) override;

private:
    std::unique_ptr<TPicture> FPreview;
    std::unique_ptr<TPicturePreviewPane> FPane;
};

class TSavePictureDialog : public TOpenPictureDialog {
protected:
    bool IsSaveDialog() const override { return true; }
};

}  // namespace tremalu
