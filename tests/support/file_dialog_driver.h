// Runs the real file dialog in tests without blocking: a presenter that
// opens the dialog it is given, lets the test act on it as a user would
// (pick files in the list, type a name, choose a filter pair, confirm or
// cancel), and returns what the dialog returns once it has closed, as the
// program's presenter does.
#pragma once

#include "recording_presenter.h"

#include <QString>
#include <QStringList>

#include <functional>

class QFileDialog;

namespace testing_support {

class TFileDialogDriver : public TRecordingPresenter {
public:
    // Acts on the open dialog; it must leave it closed (confirmed or
    // cancelled). A dialog left open fails the test and is cancelled.
    std::function<void(QFileDialog&)> Drive;

    std::optional<tremalu::TFileChoice> RunFileDialog(QFileDialog& dialog) override;
};

// The names the dialog's file list shows in its current folder, once the
// folder has been read: waits until the list holds expected (returns it as
// soon as it does) or stops changing.
QStringList ShownNames(QFileDialog& dialog, const QStringList& expected = {});
// Makes the named entry of the list the current one, as a click on it
// would; false when the list does not show it.
bool Pick(QFileDialog& dialog, const QString& name);
// Types a name into the name box, replacing what it held.
void TypeName(QFileDialog& dialog, const QString& name);
// Presses the dialog's Open or Save button; false when it is disabled.
bool PressAccept(QFileDialog& dialog);
void PressCancel(QFileDialog& dialog);
// Chooses the pair at a 0-based position in the file type box with the
// keyboard, as a user would.
void ChooseType(QFileDialog& dialog, int position);
// The texts of the file type box, in order, and the one shown.
QStringList TypeTexts(QFileDialog& dialog);
QString ShownType(QFileDialog& dialog);

}  // namespace testing_support
