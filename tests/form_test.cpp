// Windows of the platform layer: their fixed settings, showing (modeless,
// modal, centred), closing, the application's window list and event loop,
// and the toolkit's translations.
#include "application.h"
#include "core/errors.h"
#include "form.h"
#include "gui_helpers.h"
#include "message_box.h"
#include "panel.h"
#include "recording_presenter.h"
#include "toolkit.h"

#include <QApplication>
#include <QFontInfo>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::ClickAt;
using testing_support::ShowWindow;

namespace {

// A window as a definition would make it: a client size, then Loaded.
class TSampleForm : public TForm {
public:
    explicit TSampleForm(int width = 300, int height = 200)
    {
        resize(width, height);
        Loaded();
        Button = new TPanel(this);
        Button->setGeometry(10, 10, 50, 20);
        Button->OnClick = [this](QObject&) { ++Clicks; };
    }
    TPanel* Button;
    int Clicks = 0;
};

// Fails the test and closes window if the event loop is still running after
// a few seconds, so that a broken loop ends instead of hanging.
class Watchdog {
public:
    explicit Watchdog(QWidget& window)
    {
        QObject::connect(&Timer, &QTimer::timeout, &window, [&window] {
            ADD_FAILURE() << "the event loop did not end";
            window.close();
        });
        Timer.setSingleShot(true);
        Timer.start(5000);
    }

private:
    QTimer Timer;
};

}  // namespace

TEST(Form, IsAFixedSizeDialogWindowOfTheDefinitionsClientSize)
{
    TSampleForm form(632, 426);
    EXPECT_EQ(form.size(), QSize(632, 426));
    EXPECT_EQ(form.minimumSize(), QSize(632, 426));
    EXPECT_EQ(form.maximumSize(), QSize(632, 426));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

TEST(Form, PaintsTheButtonFaceAndUsesAnElevenPixelSansFont)
{
    TSampleForm form;
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(192, 192, 192));
    const QImage pixels = testing_support::Snapshot(form);
    EXPECT_EQ(testing_support::PixelAt(pixels, 150, 150), QColor(192, 192, 192));
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_EQ(QFontInfo(form.font()).pixelSize(), 11);
    EXPECT_FALSE(QFontInfo(form.font()).bold());
    EXPECT_EQ(form.font().styleHint(), QFont::SansSerif);
}

TEST(Form, IsCentredOnTheScreenEachTimeItIsShown)
{
    TSampleForm form(300, 200);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ShowWindow(form);
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form.frameGeometry().center().y() - screen.center().y()), 1);
    form.hide();
    form.move(screen.left() + 5, screen.top() + 7);
    ShowWindow(form);
    EXPECT_LE(std::abs(form.frameGeometry().center().x() - screen.center().x()), 1);
    form.hide();
}

TEST(Form, ModelessShowingOfAShownWindowBringsItToTheFront)
{
    TSampleForm first, second;
    first.Show();
    second.Show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &second; }));
    first.Show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &first; }));
    EXPECT_TRUE(second.isVisible());
    first.hide();
    second.hide();
}

TEST(Form, ClosingHidesTheWindowAndKeepsIt)
{
    auto* form = new TSampleForm;
    QPointer<TSampleForm> alive(form);
    QSignalSpy closed(form, &TForm::closed);
    ShowWindow(*form);
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(closed.count(), 1);
    QCoreApplication::processEvents();
    ASSERT_FALSE(alive.isNull());
    form->Show();
    EXPECT_TRUE(form->isVisible());
    delete form;
}

TEST(Form, ShowModalGoesThroughThePresenter)
{
    testing_support::TRecordingPresenter recorder;
    TPresenterOverride installed(recorder);
    recorder.ModalAnswer = mrOk;
    TSampleForm form;
    EXPECT_EQ(form.ShowModal(), mrOk);
    ASSERT_EQ(recorder.ModalForms.size(), 1u);
    EXPECT_EQ(recorder.ModalForms.front(), &form);
}

TEST(Form, ModalLoopBlocksTheOtherWindowsUntilClosed)
{
    TSampleForm main, dialog(200, 100);
    ShowWindow(main);
    bool checked = false;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.IsModal());
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        ClickAt(*main.Button, QPoint(5, 5));
        EXPECT_EQ(main.Clicks, 0) << "the main window took a click while the modal window was shown";
        checked = true;
        dialog.close();
    });
    Watchdog watchdog(dialog);
    EXPECT_EQ(dialog.RunModalLoop(), mrCancel);
    EXPECT_TRUE(checked);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsModal());
    ClickAt(*main.Button, QPoint(5, 5));
    EXPECT_EQ(main.Clicks, 1);
    main.hide();
}

TEST(Form, SettingAModalResultClosesTheModalWindow)
{
    TSampleForm dialog;
    QTimer::singleShot(0, &dialog, [&] { dialog.SetModalResult(mrOk); });
    Watchdog watchdog(dialog);
    EXPECT_EQ(dialog.RunModalLoop(), mrOk);
    EXPECT_FALSE(dialog.isVisible());
    // Outside a modal showing a result closes nothing.
    ShowWindow(dialog);
    dialog.SetModalResult(mrCancel);
    EXPECT_TRUE(dialog.isVisible());
    dialog.hide();
}

namespace {

class TFailingCreationForm : public TSampleForm {
public:
    TFailingCreationForm()
    {
        OnCreate = [this](QObject&) {
            CreationStarted = true;
            throw EInvalidGraphic("Image bitmap incorrecte");
        };
    }
    bool CreationStarted = false;
};

class TCountingForm : public TSampleForm {
public:
    TCountingForm()
    {
        OnCreate = [this](QObject&) { ++Created; };
    }
    int Created = 0;
};

}  // namespace

TEST(Application, ACreationFailureIsShownAndStartUpGoesOn)
{
    testing_support::TRecordingPresenter recorder;
    TPresenterOverride installed(recorder);
    TFailingCreationForm* failing = nullptr;
    TCountingForm* next = nullptr;
    {
        TApplication application;
        application.SetTitle("TREMALU");
        application.CreateForm(failing);
        ASSERT_NE(failing, nullptr);
        EXPECT_TRUE(failing->CreationStarted);
        ASSERT_EQ(recorder.Boxes.size(), 1u);
        EXPECT_EQ(recorder.Boxes[0].Text, "Image bitmap incorrecte.");
        EXPECT_EQ(recorder.Boxes[0].Caption, "TREMALU");
        EXPECT_EQ(recorder.Boxes[0].Icon, TMessageIcon::Stop);
        application.CreateForm(next);
        ASSERT_NE(next, nullptr);
        EXPECT_EQ(next->Created, 1);
        // The first window created is the main window, failure or not.
        EXPECT_EQ(application.MainForm(), failing);
    }
    // The windows went with the application, and so did the references.
    EXPECT_EQ(failing, nullptr);
    EXPECT_EQ(next, nullptr);
}

TEST(Application, ClosingTheMainWindowEndsTheLoopWhileOthersAreOpen)
{
    TApplication application;
    TSampleForm* main = nullptr;
    TSampleForm* other = nullptr;
    application.CreateForm(main);
    application.CreateForm(other);
    other->Show();
    QTimer::singleShot(0, main, [&] {
        EXPECT_TRUE(main->isVisible()) << "Run shows the main window";
        main->close();
    });
    Watchdog watchdog(*main);
    EXPECT_EQ(application.Run(), 0);
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(other->isVisible());
}

TEST(Application, ClosingAnotherWindowDoesNotEndTheLoop)
{
    TApplication application;
    TSampleForm* main = nullptr;
    TSampleForm* other = nullptr;
    application.CreateForm(main);
    application.CreateForm(other);
    bool stillRunning = false;
    QTimer::singleShot(0, other, [&] {
        other->Show();
        other->close();
        QTimer::singleShot(50, main, [&] {
            stillRunning = true;
            main->close();
        });
    });
    Watchdog watchdog(*main);
    application.Run();
    EXPECT_TRUE(stillRunning);
}

// What the program is asked to do at start-up (pictures named on its
// command line) runs once the main window is shown, inside the loop; a
// failure there is shown and the program goes on.
TEST(Application, StartUpWorkRunsInTheLoopWithTheMainWindowShown)
{
    testing_support::TRecordingPresenter recorder;
    TPresenterOverride installed(recorder);
    TApplication application;
    application.SetTitle("TREMALU");
    TSampleForm* main = nullptr;
    application.CreateForm(main);
    int runs = 0;
    Watchdog watchdog(*main);
    EXPECT_EQ(application.Run([&] {
                  ++runs;
                  EXPECT_TRUE(main->isVisible());
                  // The loop goes on after the failure, until the main
                  // window closes.
                  QTimer::singleShot(0, main, [&] { main->close(); });
                  throw EFOpenError("Impossible d'ouvrir le fichier g.bmp");
              }),
              0);
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(recorder.Boxes.size(), 1u);
    EXPECT_EQ(recorder.Boxes[0].Text, "Impossible d'ouvrir le fichier g.bmp.");
}

TEST(Application, TitleIsTheApplicationNameNotTheDisplayName)
{
    TApplication application;
    application.SetTitle("TREMALU");
    EXPECT_EQ(QCoreApplication::applicationName(), "TREMALU");
    EXPECT_EQ(ApplicationTitle(), "TREMALU");
    // Qt would append a display name to every window caption.
    TSampleForm form;
    form.setWindowTitle("TREMALU : Aide");
    ShowWindow(form);
    EXPECT_EQ(form.windowHandle()->title(), "TREMALU : Aide");
    form.hide();
}

TEST(Toolkit, StandardTextsFollowTheLocale)
{
    QTranslator french;
    ASSERT_TRUE(InstallToolkitTranslations(french, QLocale(QLocale::French, QLocale::France)));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
    QCoreApplication::removeTranslator(&french);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    QTranslator none;
    EXPECT_FALSE(InstallToolkitTranslations(none, QLocale(QLocale::C)));
}
