#include "application.h"

#include "failure_guard.h"
#include "message_box.h"

#include <QEventLoop>
#include <QObject>

namespace tremalu {

namespace {

TApplication* CurrentApplication = nullptr;

}  // namespace

TApplication::TApplication() { CurrentApplication = this; }

TApplication::~TApplication()
{
    if (CurrentApplication == this)
        CurrentApplication = nullptr;
    while (!FForms.empty()) {
        Owned last = std::move(FForms.back());
        FForms.pop_back();
        last.Forget();
        last.Form.reset();
    }
}

void TApplication::SetTitle(const std::string& title) { SetApplicationTitle(title); }

void TApplication::Adopt(std::unique_ptr<TForm> form, std::function<void()> forget)
{
    if (FMainForm == nullptr)
        FMainForm = form.get();
    FForms.push_back({std::move(form), std::move(forget)});
}

int TApplication::Run(const std::function<void()>& started)
{
    if (FMainForm == nullptr)
        return 0;
    QEventLoop loop;
    // Closing the main window ends the program even while other windows
    // are open.
    QObject::connect(FMainForm, &TForm::closed, &loop, [&loop] { loop.exit(0); });
    FMainForm->Show();
    if (started)
        QMetaObject::invokeMethod(&loop, [&started] { Guarded(started); }, Qt::QueuedConnection);
    return loop.exec();
}

TForm* ApplicationMainForm() { return CurrentApplication != nullptr ? CurrentApplication->MainForm() : nullptr; }

}  // namespace tremalu
