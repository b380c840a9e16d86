// The program's windows and its event loop.
//
// Windows are created in the program's order; the first one created is the
// main window. Run shows the main window and handles events until the main
// window is closed, whatever other windows are still open. The windows live
// until the application object goes, and are freed last created first.
#pragma once

#include "form.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tremalu {

class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // The application title (see message_box.h).
    void SetTitle(const std::string& title);

    // Creates a window of class Form, sets reference to it, then runs its
    // creation handler (a failure there is shown and creation goes on).
    // reference is cleared when the window is freed.
    template <class Form>
    void CreateForm(Form*& reference)
    {
        auto form = std::make_unique<Form>();
        Form* created = form.get();
        reference = created;
        Adopt(std::move(form), [&reference] { reference = nullptr; });
        created->DoCreate();
    }

    TForm* MainForm() const { return FMainForm; }

    // Shows the main window and runs the event loop until it is closed.
    // started, when given, runs once from the event loop as soon as it
    // turns, the main window shown, inside the failure guard (what the
    // program was asked to do at start-up). Returns the exit status.
    int Run(const std::function<void()>& started = {});

private:
    void Adopt(std::unique_ptr<TForm> form, std::function<void()> forget);

    struct Owned {
        std::unique_ptr<TForm> Form;
        std::function<void()> Forget;
    };
    std::vector<Owned> FForms;
    TForm* FMainForm = nullptr;
};

// The main window of the application object that exists now, or none (no
// application object, or no window created yet). Dialogs that place
// themselves on the main window's monitor ask here.
TForm* ApplicationMainForm();

}  // namespace tremalu
