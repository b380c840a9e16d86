// Unit3: the help window (TFaide): the page of advice "index.htm" from the
// current working directory, in an HTML view. Created hidden at start-up,
// which is when the page is loaded; shown without blocking the other
// windows; closing it hides it.
#pragma once

#include "form.h"
#include "ui_help_window.h"

namespace tremalu {

class TFaide : public TForm, public Ui::Faide {
public:
    TFaide();

    // Hands the page's path to the view, once.
    void FormCreate(QObject& Sender);

private:
    void BindEvents();
};

extern TFaide* Faide;

}  // namespace tremalu
