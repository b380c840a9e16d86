// The window of a file dialog run: the toolkit's own file dialog (never a
// desktop theme's), set up from a TOpenDialog's settings.
//
// It shows each filter pair's description exactly as written and filters the
// file list by that pair's own patterns; it completes a name typed without
// an extension; before it closes on a file it applies the options that
// guard the choice (refusal of a read-only file, confirmation before
// replacing one), staying open when the user must choose again; and it
// places itself centred across and a third of the way down the monitor of
// the program's main window.
#pragma once

#include "dialog_rules/filter_pairs.h"
#include "dialogs/picture_dialogs.h"

#include <QFileDialog>

#include <string>
#include <vector>

class QLineEdit;

namespace tremalu {

class TPatternFilterProxy;

class TFileDialogWindow : public QFileDialog {
    Q_OBJECT
public:
    TFileDialogWindow(const TOpenDialog& settings, bool saving, QWidget* parent = nullptr);
    ~TFileDialogWindow() override;

    const std::vector<TFilterPair>& Pairs() const { return FPairs; }
    // The pair selected now, or none when the filter has no pairs.
    const TFilterPair* SelectedPair() const;
    // The pair at a 1-based index, or none.
    const TFilterPair* PairAt(int filterIndex) const;

    // Puts a pane at the right of the standard controls, its top against
    // theirs, and widens the dialog by the pane's width.
    void AddPane(QWidget& pane);
    // Takes the pane back out before the dialog goes.
    void RemovePane(QWidget& pane);

    // Whether the chosen file may be returned, asking or telling the user
    // through the presenter when an option says so.
    bool MayReturn(const std::string& fileName);

protected:
    // Completes the name, applies the guarding options, then lets the
    // toolkit's dialog close (or open a folder).
    void accept() override;
    void showEvent(QShowEvent* event) override;

private:
    void UsePair(int index);
    void ShowName(const std::string& fileName);
    void PlaceOnMonitor();

    std::vector<TFilterPair> FPairs;
    TPatternFilterProxy* FProxy = nullptr;
    QLineEdit* FNameEdit = nullptr;
    std::string FDefaultExt;
    TOpenOptions FOptions;
    bool FSaving;
};

// The refusal of a read-only file, in the program's language: the name on
// the first line.
std::string ReadOnlyRefusalText(const std::string& fileName);

}  // namespace tremalu
