// The program's three windows as the program builds them: their
// definitions, the start gate, the status line and the help window.
#include "application.h"
#include "raster/bitmap.h"
#include "gui_helpers.h"
#include "program_icon.h"
#include "recording_presenter.h"
#include "temp_dir.h"
#include "image_choice_window.h"
#include "result_window.h"
#include "help_window.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace tremalu;
using testing_support::ClickAt;
using testing_support::MoveMouseTo;
using testing_support::ShowWindow;

namespace {

constexpr const char* PageMarker = "Page de test des conseils";

// The windows created as the program creates them, from a working
// directory that holds a help page.
class Windows : public ::testing::Test {
protected:
    Windows()
    {
        Application.SetTitle("TREMALU");
        Application.CreateForm(Depart);
        Application.CreateForm(Result);
        Application.CreateForm(Faide);
        ShowWindow(*Depart);
    }
    ~Windows() override
    {
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
    }

    static std::string WithPage(const testing_support::TempDir& dir)
    {
        std::ofstream(dir.File("index.htm")) << "<html><body><p>" << PageMarker << "</p></body></html>";
        return dir.Path();
    }

    void ClickTitle() { ClickAt(*Depart->titre, QPoint(260, 100)); }

    testing_support::TempDir Dir;
    testing_support::TWorkingDirectory Cwd{WithPage(Dir)};
    testing_support::TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
    TApplication Application;
};

bool ButtonsEnabled()
{
    return Depart->ChargeG->isEnabled() && Depart->ChargeD->isEnabled() && Depart->calcul->isEnabled() &&
           Depart->Baide->isEnabled();
}

bool ButtonsDisabled()
{
    return !Depart->ChargeG->isEnabled() && !Depart->ChargeD->isEnabled() && !Depart->calcul->isEnabled() &&
           !Depart->Baide->isEnabled();
}

std::string StatusLine() { return Depart->Info->CaptionText(); }

}  // namespace

TEST_F(Windows, CaptionsAndFixedClientSizes)
{
    struct Expected {
        TForm* Form;
        const char* Caption;
        QSize Client;
    };
    for (const Expected& e : {Expected{Depart, "TREMALU : Choix des images", {632, 426}},
                              Expected{Result, "TREMALU : Chaussez vos lunettes !", {505, 453}},
                              Expected{Faide, "TREMALU : Aide", {632, 453}}}) {
        EXPECT_EQ(e.Form->windowTitle(), QString::fromUtf8(e.Caption));
        EXPECT_EQ(e.Form->size(), e.Client) << e.Caption;
        EXPECT_EQ(e.Form->minimumSize(), e.Client) << e.Caption;
        EXPECT_EQ(e.Form->maximumSize(), e.Client) << e.Caption;
        EXPECT_EQ(e.Form->font().pixelSize(), 11) << e.Caption;
    }
    EXPECT_EQ(Application.MainForm(), Depart);
    // Only the image-choice window is shown at start-up.
    EXPECT_FALSE(Result->isVisible());
    EXPECT_FALSE(Faide->isVisible());
}

namespace {

struct ControlBounds {
    const char* Window;
    const char* Name;
    const char* Parent;
    QRect Bounds;
};

void PrintTo(const ControlBounds& c, std::ostream* out) { *out << c.Window << "." << c.Name; }

class WindowControls : public Windows, public ::testing::WithParamInterface<ControlBounds> {};

TForm* WindowNamed(const std::string& name)
{
    return name == "Depart" ? static_cast<TForm*>(Depart)
                            : name == "Result" ? static_cast<TForm*>(Result) : static_cast<TForm*>(Faide);
}

}  // namespace

TEST_P(WindowControls, LieWhereTheDefinitionPutsThem)
{
    const ControlBounds& c = GetParam();
    auto* control = WindowNamed(c.Window)->findChild<QWidget*>(c.Name);
    ASSERT_NE(control, nullptr) << c.Name;
    EXPECT_EQ(control->geometry(), c.Bounds) << c.Name;
    EXPECT_EQ(control->parentWidget()->objectName(), c.Parent) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, WindowControls,
    ::testing::Values(ControlBounds{"Depart", "ChargeG", "Depart", {0, 0, 33, 33}},
                      ControlBounds{"Depart", "ChargeD", "Depart", {32, 0, 33, 33}},
                      ControlBounds{"Depart", "calcul", "Depart", {64, 0, 57, 33}},
                      ControlBounds{"Depart", "Baide", "Depart", {120, 0, 33, 33}},
                      ControlBounds{"Depart", "FG", "Depart", {8, 352, 305, 17}},
                      ControlBounds{"Depart", "FD", "Depart", {320, 352, 305, 17}},
                      ControlBounds{"Depart", "TG", "Depart", {8, 368, 305, 17}},
                      ControlBounds{"Depart", "TD", "Depart", {320, 368, 305, 17}},
                      ControlBounds{"Depart", "Panel1", "Depart", {8, 40, 305, 305}},
                      ControlBounds{"Depart", "IG", "Panel1", {8, 8, 289, 289}},
                      ControlBounds{"Depart", "Panel2", "Depart", {320, 40, 305, 305}},
                      ControlBounds{"Depart", "ID", "Panel2", {8, 8, 289, 289}},
                      ControlBounds{"Depart", "Panel3", "Depart", {8, 392, 617, 23}},
                      ControlBounds{"Depart", "Info", "Panel3", {8, 3, 601, 17}},
                      ControlBounds{"Depart", "ptitre", "Depart", {50, 80, 540, 220}},
                      ControlBounds{"Depart", "titre", "ptitre", {10, 10, 520, 200}},
                      ControlBounds{"Result", "SpeedButton2", "Result", {8, 8, 41, 41}},
                      ControlBounds{"Result", "Panel1", "Result", {56, 8, 441, 441}},
                      ControlBounds{"Result", "IR", "Panel1", {8, 8, 425, 425}},
                      ControlBounds{"Faide", "Web", "Faide", {8, 8, 617, 441}}),
    [](const ::testing::TestParamInfo<ControlBounds>& info) {
        return std::string(info.param.Window) + "_" + info.param.Name;
    });

TEST_F(Windows, ControlSettingsOfTheImageChoiceWindow)
{
    // Hand cursor on the folder buttons and the title; the others keep the arrow.
    for (QWidget* hand : std::initializer_list<QWidget*>{Depart->ChargeG, Depart->ChargeD, Depart->ptitre,
                                                         Depart->titre})
        EXPECT_EQ(hand->cursor().shape(), Qt::PointingHandCursor) << hand->objectName().toStdString();
    EXPECT_EQ(Depart->calcul->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(Depart->Baide->cursor().shape(), Qt::ArrowCursor);

    for (TSpeedButton* button : {Depart->ChargeG, Depart->ChargeD, Depart->calcul, Depart->Baide})
        EXPECT_TRUE(button->Flat());
    struct Glyph {
        TSpeedButton* Button;
        int Width, Height;
        TPixelFormat Format;
    };
    for (const Glyph& g : {Glyph{Depart->ChargeG, 25, 25, TPixelFormat::pf24bit},
                           Glyph{Depart->ChargeD, 25, 25, TPixelFormat::pf24bit},
                           Glyph{Depart->calcul, 50, 25, TPixelFormat::pf24bit},
                           Glyph{Result->SpeedButton2, 32, 32, TPixelFormat::pf4bit}}) {
        ASSERT_NE(g.Button->Glyph(), nullptr);
        EXPECT_EQ(g.Button->Glyph()->PixelWidth(), g.Width);
        EXPECT_EQ(g.Button->Glyph()->PixelHeight(), g.Height);
        EXPECT_EQ(g.Button->Glyph()->PixelFormat(), g.Format);
    }
    EXPECT_EQ(Depart->Baide->Glyph(), nullptr);
    EXPECT_EQ(Depart->Baide->Caption(), "?");
    EXPECT_EQ(Depart->Baide->font().pixelSize(), 27);
    EXPECT_TRUE(Depart->Baide->font().bold());
    EXPECT_EQ(Depart->Baide->font().families().value(0), "Arial");
    EXPECT_EQ(Depart->Baide->palette().color(QPalette::ButtonText), QColor(0, 0, 128));

    EXPECT_EQ(Depart->Info->font().pixelSize(), 13);
    EXPECT_EQ(Depart->Info->font().families().value(0), "Arial");
    EXPECT_EQ(Depart->Info->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    for (TLabel* label : {Depart->FG, Depart->FD, Depart->TG, Depart->TD, Depart->Info}) {
        EXPECT_FALSE(label->AutoSize());
        EXPECT_TRUE(label->Transparent());
    }
    for (TLabel* label : {Depart->FG, Depart->FD, Depart->TG, Depart->TD})
        EXPECT_TRUE(label->Caption().isEmpty());

    for (TPanel* frame : {Depart->Panel1, Depart->Panel2, Depart->Panel3})
        EXPECT_EQ(frame->BevelOuter(), TPanel::bvLowered);
    EXPECT_EQ(Depart->ptitre->BevelOuter(), TPanel::bvRaised);
    EXPECT_EQ(Result->Panel1->BevelOuter(), TPanel::bvLowered);

    // The title picture: 520 × 200 at 16 bits per pixel, and the view sizes itself to it.
    EXPECT_TRUE(Depart->titre->Image().AutoSize());
    auto* title = dynamic_cast<TBitmap*>(Depart->titre->Picture().Graphic());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->PixelWidth(), 520);
    EXPECT_EQ(title->PixelHeight(), 200);
    EXPECT_EQ(title->PixelFormat(), TPixelFormat::pf16bit);
    // The previews start empty.
    EXPECT_EQ(Depart->IG->Picture().Graphic(), nullptr);
    EXPECT_EQ(Depart->ID->Picture().Graphic(), nullptr);

    EXPECT_EQ(Result->SpeedButton2->toolTip(), "ENTEGISTRER L'ANAGLYPHE");
    EXPECT_EQ(Result->SpeedButton2->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Windows, TheTitlePictureIsShownOnBlack)
{
    const QImage shown = testing_support::Snapshot(*Depart->titre);
    EXPECT_EQ(shown.size(), QSize(520, 200));
    EXPECT_EQ(testing_support::PixelAt(shown, 2, 2), QColor(0, 0, 0));
    // Somewhere in the middle, the gold letters.
    int golden = 0;
    for (int x = 0; x < 520; ++x) {
        const QColor c = testing_support::PixelAt(shown, x, 90);
        golden += c.red() > 180 && c.green() > 100 && c.blue() < 120;
    }
    EXPECT_GT(golden, 100);
}

TEST_F(Windows, CreationResetsThePairState)
{
    Depart->Pair.LeftLoaded = true;
    Depart->Pair.RightLoaded = true;
    Depart->DoCreate();
    EXPECT_FALSE(Depart->Pair.LeftLoaded);
    EXPECT_FALSE(Depart->Pair.RightLoaded);
}

TEST_F(Windows, WaitingForTheTitleNothingAnswers)
{
    EXPECT_TRUE(ButtonsDisabled());
    EXPECT_EQ(StatusLine(), "Cliquez sur le titre pour commencer.");
    for (QWidget* control : std::initializer_list<QWidget*>{Depart->ChargeG, Depart->ChargeD, Depart->calcul,
                                                            Depart->Baide, Depart->FG, Depart->Panel3})
        MoveMouseTo(*control, QPoint(3, 3));
    MoveMouseTo(*Depart, QPoint(300, 20));
    EXPECT_EQ(StatusLine(), "Cliquez sur le titre pour commencer.");
    // The buttons do not react to clicks.
    ClickAt(*Depart->Baide, QPoint(16, 16));
    EXPECT_FALSE(Faide->isVisible());
    EXPECT_TRUE(ButtonsDisabled());
    // SetInfo itself holds the invitation until the buttons are enabled.
    Depart->SetInfo("autre texte");
    EXPECT_EQ(StatusLine(), "Cliquez sur le titre pour commencer.");
}

TEST_F(Windows, ClickingTheTitlesMarginDoesNothing)
{
    ClickAt(*Depart->ptitre, QPoint(5, 5));
    ClickAt(*Depart->ptitre, QPoint(535, 215));
    ClickAt(*Depart->ptitre, QPoint(270, 215));
    EXPECT_TRUE(ButtonsDisabled());
    EXPECT_TRUE(Depart->ptitre->isVisible());
    EXPECT_EQ(StatusLine(), "Cliquez sur le titre pour commencer.");
}

TEST_F(Windows, ClickingTheTitleEnablesTheButtonsForGood)
{
    ClickTitle();
    EXPECT_TRUE(ButtonsEnabled());
    EXPECT_FALSE(Depart->ptitre->isVisible());
    EXPECT_FALSE(Depart->titre->isVisible());
    EXPECT_EQ(StatusLine(), "");
    // Where the title was, the previews now take the mouse.
    MoveMouseTo(*Depart->ChargeG, QPoint(16, 16));
    MoveMouseTo(*Depart, QPoint(300, 200));
    EXPECT_EQ(StatusLine(), "");
}

namespace {

struct Hover {
    const char* Control;
    const char* Text;
};

void PrintTo(const Hover& h, std::ostream* out) { *out << h.Control; }

class StatusLineHover : public Windows, public ::testing::WithParamInterface<Hover> {};

}  // namespace

TEST_P(StatusLineHover, FollowsTheMouse)
{
    ClickTitle();
    QWidget* control = Depart->findChild<QWidget*>(GetParam().Control);
    ASSERT_NE(control, nullptr);
    // From a text of another control, so that a change shows.
    MoveMouseTo(*Depart->calcul, QPoint(5, 5));
    Depart->SetInfo("avant");
    MoveMouseTo(*control, QPoint(4, 4));
    EXPECT_EQ(StatusLine(), GetParam().Text) << GetParam().Control;
}

INSTANTIATE_TEST_SUITE_P(Texts, StatusLineHover,
                         ::testing::Values(Hover{"ChargeG", "Chargement de l'image GAUCHE."},
                                           Hover{"ChargeD", "Chargement de l'image DROITE."},
                                           Hover{"calcul", "Création de l'anaglyphe."},
                                           Hover{"Baide", "Conseils pour réussir un anaglyphe."},
                                           Hover{"FG", ""}, Hover{"FD", ""}, Hover{"TG", ""}, Hover{"TD", ""},
                                           Hover{"Panel1", ""}, Hover{"IG", ""}, Hover{"Panel2", ""},
                                           Hover{"ID", ""}, Hover{"Panel3", "avant"}, Hover{"Info", "avant"}),
                         [](const ::testing::TestParamInfo<Hover>& info) { return info.param.Control; });

TEST_F(Windows, StatusLineKeepsItsTextOverTheStatusBar)
{
    ClickTitle();
    MoveMouseTo(*Depart->ChargeD, QPoint(16, 16));
    EXPECT_EQ(StatusLine(), "Chargement de l'image DROITE.");
    MoveMouseTo(*Depart->Panel3, QPoint(3, 3));
    MoveMouseTo(*Depart->Info, QPoint(100, 8));
    EXPECT_EQ(StatusLine(), "Chargement de l'image DROITE.");
    // The window's own surface clears it.
    MoveMouseTo(*Depart, QPoint(300, 20));
    EXPECT_EQ(StatusLine(), "");
    // The buttons overlap by a pixel: the later one is on top.
    MoveMouseTo(*Depart->ChargeG, QPoint(32, 10));
    EXPECT_EQ(StatusLine(), "Chargement de l'image DROITE.");
}

TEST_F(Windows, HelpPageComesFromTheWorkingDirectoryAtStartUp)
{
    EXPECT_EQ(Faide->Web->Address(), Dir.File("index.htm"));
    EXPECT_FALSE(Faide->Web->ShowsNotFoundPage());
    EXPECT_TRUE(Faide->Web->toPlainText().contains(PageMarker));
}

TEST_F(Windows, HelpButtonShowsOneWindowHoweverOftenClicked)
{
    ClickTitle();
    const int windowsBefore = static_cast<int>(QApplication::topLevelWidgets().size());
    for (int i = 0; i < 3; ++i)
        ClickAt(*Depart->Baide, QPoint(16, 16));
    EXPECT_TRUE(Faide->isVisible());
    EXPECT_EQ(static_cast<int>(QApplication::topLevelWidgets().size()), windowsBefore);
    int helpWindows = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        helpWindows += w->isVisible() && w->windowTitle() == "TREMALU : Aide";
    EXPECT_EQ(helpWindows, 1);
    EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == Faide; }));
    // The main window is not blocked by it.
    MoveMouseTo(*Depart->calcul, QPoint(5, 5));
    EXPECT_EQ(StatusLine(), "Création de l'anaglyphe.");
    // Closing hides it; it can be shown again, with the same page.
    Faide->close();
    EXPECT_FALSE(Faide->isVisible());
    ClickAt(*Depart->Baide, QPoint(16, 16));
    EXPECT_TRUE(Faide->isVisible());
    EXPECT_TRUE(Faide->Web->toPlainText().contains(PageMarker));
}

TEST_F(Windows, ClosingTheMainWindowEndsTheProgramWithTheHelpOpen)
{
    ClickTitle();
    ClickAt(*Depart->Baide, QPoint(16, 16));
    ASSERT_TRUE(Faide->isVisible());
    QTimer::singleShot(0, Depart, [] { Depart->close(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "the event loop did not end";
        QCoreApplication::exit(1);
    });
    watchdog.start(5000);
    EXPECT_EQ(Application.Run(), 0);
    EXPECT_FALSE(Depart->isVisible());
    EXPECT_TRUE(Faide->isVisible());
    EXPECT_TRUE(Recorder.Boxes.empty());
}

TEST(HelpWindow, StartedElsewhereItShowsThatThePageIsMissing)
{
    testing_support::TempDir empty;
    testing_support::TWorkingDirectory cwd(empty.Path());
    TApplication application;
    TFaide* help = nullptr;
    application.CreateForm(help);
    EXPECT_EQ(help->Web->Address(), empty.File("index.htm"));
    EXPECT_TRUE(help->Web->ShowsNotFoundPage());
    EXPECT_TRUE(help->Web->toPlainText().contains("Impossible d'afficher la page"));
}

TEST(HelpWindow, TheRootDirectoryGetsNoSecondSlash)
{
    testing_support::TWorkingDirectory cwd("/");
    TApplication application;
    TFaide* help = nullptr;
    application.CreateForm(help);
    EXPECT_EQ(help->Web->Address(), "/index.htm");
}

TEST(HelpWindow, TheProgramsOwnPageGivesAdvice)
{
    testing_support::TWorkingDirectory cwd(TREMALU_RESOURCES_DIR);
    TApplication application;
    TFaide* help = nullptr;
    application.CreateForm(help);
    EXPECT_FALSE(help->Web->ShowsNotFoundPage());
    const QString text = help->Web->toPlainText();
    for (const char* topic : {"Conseils pour réussir un anaglyphe", "écartement", "GAUCHE", "DROITE",
                              "alignées verticalement", "filtre rouge sur l'œil gauche", "JPEG", "BMP"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(topic))) << topic;
}

TEST(ProgramIcon, IsReadFromItsArtwork)
{
    InstallProgramIcon();
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().value(0), QSize(64, 64));
    const QImage image = icon.pixmap(64, 64).toImage();
    EXPECT_EQ(QColor(image.pixel(1, 62)), QColor(0, 0, 0));
}
