// Message boxes of the program, always through the presenter.
#pragma once

#include "presenter.h"

#include <string>

namespace tremalu {

// The application title: the caption of failure message boxes and the name
// the desktop knows the program by.
std::string ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// Shows a message box with the text exactly as given; returns the answer.
int ShowMessageBox(const std::string& text, const std::string& caption, TMessageIcon icon,
                   TMessageButtons buttons = TMessageButtons::Ok);

// The standard failure box: the message with its closing "." rule, the
// application title, the stop icon and one OK button.
void ShowFailureMessage(const std::string& message);

}  // namespace tremalu
