// The toolkit's start-up: the Qt application object, the widget style and
// the toolkit's own texts (standard buttons, file dialogs) in the user's
// language.
#pragma once

#include <QLocale>

#include <memory>
#include <string>

class QApplication;
class QTranslator;

namespace tremalu {

class TToolkit {
public:
    // Qt is given the program's path and nothing else: the command line is
    // the program's own (names of pictures), never options of Qt's.
    explicit TToolkit(const std::string& programPath);
    ~TToolkit();
    TToolkit(const TToolkit&) = delete;
    TToolkit& operator=(const TToolkit&) = delete;

private:
    int Argc = 1;
    std::string ProgramPath;
    char* Argv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> Application;
    std::unique_ptr<QTranslator> Translator;
};

// Loads Qt's translations for locale into translator and installs it;
// false when Qt has none for that language (English texts stay).
bool InstallToolkitTranslations(QTranslator& translator, const QLocale& locale);

}  // namespace tremalu
