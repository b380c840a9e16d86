// A presenter for tests: it records every message box, modal showing and
// file dialog instead of showing them, and answers as told.
#pragma once

#include "presenter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;

namespace testing_support {

class TRecordingPresenter : public tremalu::TPresenter {
public:
    int MessageBox(const tremalu::TMessageBoxRequest& request) override;
    int ShowModal(tremalu::TForm& form) override;
    std::optional<tremalu::TFileChoice> RunFileDialog(QFileDialog& dialog) override;

    std::vector<tremalu::TMessageBoxRequest> Boxes;
    // The message boxes shown so far, a line each: caption, ": ", text.
    std::string BoxTexts() const;
    std::vector<tremalu::TForm*> ModalForms;
    int FileDialogs = 0;

    int MessageBoxAnswer = tremalu::mrOk;
    int ModalAnswer = tremalu::mrCancel;
    std::optional<tremalu::TFileChoice> FileAnswer;
    // Runs while a form would be shown modally (the form is not shown).
    std::function<void(tremalu::TForm&)> WhileModal;
};

// The presenter every GUI test program starts with: any message box, modal
// window or file dialog that a test did not ask for fails that test instead
// of blocking it.
class TUnexpectedPresenter : public tremalu::TPresenter {
public:
    int MessageBox(const tremalu::TMessageBoxRequest& request) override;
    int ShowModal(tremalu::TForm& form) override;
    std::optional<tremalu::TFileChoice> RunFileDialog(QFileDialog& dialog) override;
};

}  // namespace testing_support
