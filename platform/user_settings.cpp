#include "user_settings.h"

#include "core/errors.h"

#include <QSettings>

namespace tremalu {

namespace {

// Named here rather than through the application's names: the application
// name is the title "TREMALU" that message boxes show, and the file keeps
// the lower-case name of the program.
QSettings ProgramSettings() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "tremalu", "tremalu"); }

}  // namespace

std::string ReadSetting(const std::string& key, const std::string& fallback)
{
    const QVariant value = ProgramSettings().value(QString::fromStdString(key));
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void WriteSetting(const std::string& key, const std::string& value)
{
    QSettings settings = ProgramSettings();
    settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw EFCreateError(FormatMessage(texts::CannotCreateFile, {settings.fileName().toStdString()}));
}

}  // namespace tremalu
