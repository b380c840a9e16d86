#include "user_settings.h"

#include "core/errors.h"

#include <QFile>
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
    QString fileName;
    {
        // A file that cannot be read as settings (damaged, or not a settings
        // file at all) holds nothing worth keeping: it is replaced, as a new
        // file would be. Its status comes from reading it when opened.
        const QSettings existing = ProgramSettings();
        fileName = existing.fileName();
        if (existing.status() == QSettings::FormatError)
            QFile::remove(fileName);
    }
    QSettings settings = ProgramSettings();
    settings.setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings.sync();
    // Only a write that failed is reported, not the state of what was read.
    if (settings.status() == QSettings::AccessError)
        throw EFCreateError(FormatMessage(texts::CannotCreateFile, {fileName.toStdString()}));
}

}  // namespace tremalu
