// The failure guard: what escapes a handler is shown in the standard box,
// and the program goes on.
#include "core/errors.h"
#include "failure_guard.h"
#include "form.h"
#include "gui_helpers.h"
#include "image_view_widget.h"
#include "message_box.h"
#include "panel.h"
#include "recording_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tremalu;
using testing_support::TRecordingPresenter;

namespace {

class FailureGuard : public ::testing::Test {
protected:
    FailureGuard() { SetApplicationTitle("TREMALU"); }

    TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
};

struct DotCase {
    const char* Message;
    const char* Shown;
};

void PrintTo(const DotCase& c, std::ostream* out) { *out << '"' << c.Message << '"'; }

class FailureGuardText : public FailureGuard, public ::testing::WithParamInterface<DotCase> {};

}  // namespace

TEST_P(FailureGuardText, ShowsTheMessageWithTheClosingDotRule)
{
    const bool completed = Guarded([] { throw EInvalidGraphic(GetParam().Message); });
    EXPECT_FALSE(completed);
    ASSERT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Boxes[0].Text, GetParam().Shown);
    EXPECT_EQ(Recorder.Boxes[0].Caption, "TREMALU");
    EXPECT_EQ(Recorder.Boxes[0].Icon, TMessageIcon::Stop);
    EXPECT_EQ(Recorder.Boxes[0].Buttons, TMessageButtons::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FailureGuardText,
    ::testing::Values(DotCase{"Image bitmap incorrecte", "Image bitmap incorrecte."},
                      DotCase{"Erreur JPEG #42", "Erreur JPEG #42."},
                      DotCase{"Déjà fini.", "Déjà fini."},
                      DotCase{"Attention !", "Attention !"},
                      DotCase{"Extension de fichier graphique inconnue (.xyz)",
                              "Extension de fichier graphique inconnue (.xyz)"},
                      DotCase{"Division par zéro", "Division par zéro."},
                      DotCase{"fin en é", "fin en é."},
                      DotCase{"tiret-", "tiret-"},
                      DotCase{"barre/", "barre/."},
                      DotCase{"", ""}));

TEST_F(FailureGuard, CaptionIsTheApplicationTitle)
{
    SetApplicationTitle("Autre titre");
    Guarded([] { throw EReadError("Erreur de lecture du flux"); });
    SetApplicationTitle("TREMALU");
    ASSERT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Boxes[0].Caption, "Autre titre");
}

TEST_F(FailureGuard, FailuresOfTheLibraryAndTheSilentAbort)
{
    EXPECT_FALSE(Guarded([] { throw std::bad_alloc(); }));
    EXPECT_FALSE(Guarded([] { throw std::runtime_error("boom"); }));
    ASSERT_EQ(Recorder.Boxes.size(), 2u);
    EXPECT_EQ(Recorder.Boxes[0].Text, "Mémoire insuffisante.");
    EXPECT_EQ(Recorder.Boxes[1].Text, "boom.");
    // The silent abort cancels without a word.
    EXPECT_FALSE(Guarded([] { throw EAbort(); }));
    EXPECT_EQ(Recorder.Boxes.size(), 2u);
    EXPECT_TRUE(Guarded([] {}));
    EXPECT_EQ(Recorder.Boxes.size(), 2u);
}

TEST_F(FailureGuard, ControlHandlersFailInsideTheGuardAndTheProgramGoesOn)
{
    TForm form;
    form.resize(200, 100);
    form.Loaded();
    auto* panel = new TPanel(&form);
    panel->setGeometry(0, 0, 100, 100);
    int reached = 0;
    panel->OnClick = [&](QObject&) {
        ++reached;
        throw EFOpenError("Impossible d'ouvrir le fichier /tmp/x.bmp");
    };
    panel->OnMouseMove = [&](QObject&, int, int) { throw EConvertError("Impossible d'affecter TBitmap à TIcon"); };
    form.OnMouseMove = [&](QObject&, int, int) { ++reached; };
    testing_support::ShowWindow(form);

    testing_support::ClickAt(*panel, QPoint(10, 10));
    // The handler got as far as it got; the failure was shown, once.
    EXPECT_EQ(reached, 1);
    ASSERT_GE(Recorder.Boxes.size(), 2u);
    EXPECT_EQ(Recorder.Boxes[0].Text, "Impossible d'affecter TBitmap à TIcon.");
    EXPECT_EQ(Recorder.Boxes.back().Text, "Impossible d'ouvrir le fichier /tmp/x.bmp.");
    // The window still works.
    testing_support::MoveMouseTo(form, QPoint(150, 50));
    EXPECT_EQ(reached, 2);
    form.hide();
}

namespace {

// A picture that cannot be drawn, like a damaged one found at its first draw.
class TUndrawable : public TGraphic {
    TREMALU_DECLARE_CLASS()
public:
    void CopyFrom(const TPersistent*) override {}
    void DrawOn(TCanvas&, const TRect&) override { throw EInvalidGraphic("Image bitmap incorrecte"); }
    bool IsEmpty() const override { return false; }
    int32_t PixelHeight() const override { return 10; }
    int32_t PixelWidth() const override { return 10; }
    void SetPixelHeight(int32_t) override {}
    void SetPixelWidth(int32_t) override {}
    void ReadFromStream(TStream&) override {}
    void WriteToStream(TStream&) override {}
};
TREMALU_DEFINE_CLASS(TUndrawable, TGraphic)

}  // namespace

TEST_F(FailureGuard, APaintingFailureIsShownAfterThePaintOncePerChange)
{
    TImageView view;
    view.SetBounds(0, 0, 20, 20);
    TUndrawable broken;
    view.Picture().SetGraphic(&broken);
    (void)view.grab();
    EXPECT_TRUE(Recorder.Boxes.empty()) << "no box in the middle of painting";
    QCoreApplication::processEvents();
    ASSERT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Boxes[0].Text, "Image bitmap incorrecte.");
    // Repainting the same picture does not show the box again...
    (void)view.grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(Recorder.Boxes.size(), 1u);
    // ...a new picture that fails again does.
    view.Picture().SetGraphic(&broken);
    (void)view.grab();
    QCoreApplication::processEvents();
    EXPECT_EQ(Recorder.Boxes.size(), 2u);
}

TEST(QtMessageBox, IsApplicationModalAndGivesTheFocusBack)
{
    SetApplicationTitle("TREMALU");
    TForm owner;
    owner.resize(200, 100);
    owner.Loaded();
    testing_support::ShowWindow(owner);
    owner.activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &owner; }));
    TPresenterOverride real(QtPresenter());

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(box->windowTitle(), "TREMALU");
        EXPECT_EQ(box->text(), "Ne peut modifier une image que si elle contient un bitmap.");
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    ReportFailure("Ne peut modifier une image que si elle contient un bitmap");
    EXPECT_TRUE(seen);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &owner; }));
    owner.hide();
}

TEST(QtMessageBox, ProgramWarningsKeepTheirTextCaptionAndIcon)
{
    TPresenterOverride real(QtPresenter());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->windowTitle(), "Allons, voyons...");
        EXPECT_EQ(box->text(), "Il faut DEUX images pour créer un anaglyphe...");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(ShowMessageBox("Il faut DEUX images pour créer un anaglyphe...", "Allons, voyons...",
                             TMessageIcon::Exclamation),
              mrOk);
    EXPECT_TRUE(seen);
}
