#include "message_box.h"

#include "core/errors.h"

#include <QCoreApplication>

namespace tremalu {

std::string ApplicationTitle() { return QCoreApplication::applicationName().toStdString(); }

void SetApplicationTitle(const std::string& title)
{
    // The application name, not the display name: Qt would append a display
    // name to every window caption.
    QCoreApplication::setApplicationName(QString::fromStdString(title));
}

int ShowMessageBox(const std::string& text, const std::string& caption, TMessageIcon icon, TMessageButtons buttons)
{
    return Presenter().MessageBox({text, caption, icon, buttons});
}

void ShowFailureMessage(const std::string& message)
{
    ShowMessageBox(MessageBoxText(message), ApplicationTitle(), TMessageIcon::Stop, TMessageButtons::Ok);
}

}  // namespace tremalu
