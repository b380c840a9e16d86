#include "toolkit.h"

#include "core/ui_handover.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStyleFactory>
#include <QTranslator>

namespace tremalu {

TToolkit::TToolkit(const std::string& programPath) : ProgramPath(programPath)
{
    Argv[0] = ProgramPath.data();
    Application = std::make_unique<QApplication>(Argc, Argv);
    // The windows are ended by the program (closing the main window), not
    // by the toolkit when the last one goes.
    QApplication::setQuitOnLastWindowClosed(false);
    // One style everywhere, whatever the desktop's theme.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    Translator = std::make_unique<QTranslator>();
    InstallToolkitTranslations(*Translator, QLocale::system());
    // Animation painters hand their paint steps to the user-interface
    // thread (bound where the picture modules start, on this same thread); a
    // step handed over wakes the event loop, which runs it.
    QApplication* application = Application.get();
    UiHandOver().SetWaker([application] {
        QMetaObject::invokeMethod(application, [] { UiHandOver().Drain(); }, Qt::QueuedConnection);
    });
}

TToolkit::~TToolkit()
{
    UiHandOver().SetWaker(nullptr);
    QCoreApplication::removeTranslator(Translator.get());
    Translator.reset();
    Application.reset();
}

bool InstallToolkitTranslations(QTranslator& translator, const QLocale& locale)
{
    // "qt" is the catalogue that gathers Qt's modules (qtbase_xx and others).
    if (!translator.load(locale, QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

}  // namespace tremalu
