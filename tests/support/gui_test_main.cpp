// Every GUI test program runs real widgets on Qt's offscreen platform, with
// the picture modules started and the toolkit set up as the program does,
// settings kept in a temporary folder, and with a presenter that fails a
// test for any box it did not expect.
#include "picture_modules.h"
#include "presenter.h"
#include "recording_presenter.h"
#include "temp_dir.h"
#include "toolkit.h"

#include <QSettings>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The offscreen platform cannot stack windows nor pass size hints to a
// window manager, and says so each time; the tests check the active window
// and the sizes themselves instead.
QtMessageHandler StandardHandler = nullptr;

void QuietOffscreenNotices(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support ")))
        return;
    if (StandardHandler != nullptr)
        StandardHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    StandardHandler = qInstallMessageHandler(QuietOffscreenNotices);
    tremalu::TPictureModules modules;
    tremalu::TToolkit toolkit(argv[0]);
    // The program's settings go to a folder of the run's own, never to the
    // user's: every window starts from the defaults.
    testing_support::TempDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings.Path()));
    testing_support::TUnexpectedPresenter unexpected;
    tremalu::TPresenterOverride strict(unexpected);
    return RUN_ALL_TESTS();
}
