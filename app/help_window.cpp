#include "help_window.h"

#include "help_page.h"

namespace tremalu {

TFaide* Faide = nullptr;

TFaide::TFaide()
{
    setupUi(this);
    Loaded();
    BindEvents();
}

void TFaide::BindEvents() { OnCreate = Bind(this, &TFaide::FormCreate); }

void TFaide::FormCreate(QObject&) { Web->Navigate(HelpPagePath(CurrentDirectory())); }

}  // namespace tremalu
