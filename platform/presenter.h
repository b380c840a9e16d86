// The seam through which every modal interaction goes: message boxes, file
// choosers and modal windows. The program uses the Qt presenter; tests put a
// recorder in its place and check what would have been shown, while every
// other widget stays real.
#pragma once

#include <optional>
#include <string>

class QFileDialog;

namespace tremalu {

class TForm;

enum class TMessageIcon { None, Stop, Exclamation, Information, Question };
enum class TMessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Answers of message boxes and results of modal windows share one set of
// numbers, as on the old platform.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

struct TMessageBoxRequest {
    std::string Text;  // UTF-8, shown as plain text
    std::string Caption;
    TMessageIcon Icon = TMessageIcon::None;
    TMessageButtons Buttons = TMessageButtons::Ok;
};

// What the user chose in a file dialog: the full path and the 1-based index
// of the filter entry selected when the dialog closed.
struct TFileChoice {
    std::string FileName;
    int FilterIndex = 1;
};

class TPresenter {
public:
    virtual ~TPresenter() = default;
    // Shows the message box, application-modal, and returns the answer.
    virtual int MessageBox(const TMessageBoxRequest& request) = 0;
    // Shows the form modally and returns its modal result once it closes.
    virtual int ShowModal(TForm& form) = 0;
    // Runs the prepared dialog; nothing when the user cancels.
    virtual std::optional<TFileChoice> RunFileDialog(QFileDialog& dialog) = 0;
};

// The presenter in use: the Qt one unless a replacement is installed.
TPresenter& Presenter();
// The presenter that shows real Qt dialogs, whatever is installed.
TPresenter& QtPresenter();

// Installs a replacement presenter for its own lifetime.
class TPresenterOverride {
public:
    explicit TPresenterOverride(TPresenter& replacement);
    ~TPresenterOverride();
    TPresenterOverride(const TPresenterOverride&) = delete;
    TPresenterOverride& operator=(const TPresenterOverride&) = delete;

private:
    TPresenter* Previous;
};

}  // namespace tremalu
