#include "recording_presenter.h"

#include "form.h"

#include <gtest/gtest.h>

namespace testing_support {

int TRecordingPresenter::MessageBox(const tremalu::TMessageBoxRequest& request)
{
    Boxes.push_back(request);
    return MessageBoxAnswer;
}

std::string TRecordingPresenter::BoxTexts() const
{
    std::string all;
    for (const tremalu::TMessageBoxRequest& box : Boxes)
        all += box.Caption + ": " + box.Text + "\n";
    return all;
}

int TRecordingPresenter::ShowModal(tremalu::TForm& form)
{
    ModalForms.push_back(&form);
    if (WhileModal)
        WhileModal(form);
    return ModalAnswer;
}

std::optional<tremalu::TFileChoice> TRecordingPresenter::RunFileDialog(QFileDialog&)
{
    ++FileDialogs;
    return FileAnswer;
}

int TUnexpectedPresenter::MessageBox(const tremalu::TMessageBoxRequest& request)
{
    ADD_FAILURE() << "unexpected message box \"" << request.Caption << "\": " << request.Text;
    return tremalu::mrOk;
}

int TUnexpectedPresenter::ShowModal(tremalu::TForm& form)
{
    ADD_FAILURE() << "unexpected modal window " << form.objectName().toStdString();
    return tremalu::mrCancel;
}

std::optional<tremalu::TFileChoice> TUnexpectedPresenter::RunFileDialog(QFileDialog&)
{
    ADD_FAILURE() << "unexpected file dialog";
    return std::nullopt;
}

}  // namespace testing_support
