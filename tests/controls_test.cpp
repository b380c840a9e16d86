// The controls of the platform layer: speed buttons, labels, panels, and
// how every control reports the mouse to its form.
#include "raster/bitmap.h"
#include "form.h"
#include "glyph_greying.h"
#include "gui_helpers.h"
#include "label.h"
#include "panel.h"
#include "speed_button.h"

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWindow>

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::ClickAt;
using testing_support::MoveMouseTo;
using testing_support::PixelAt;
using testing_support::ShowWindow;
using testing_support::Snapshot;

namespace {

const QColor Face(192, 192, 192);
const QColor Highlight(255, 255, 255);
const QColor Shadow(128, 128, 128);

// A 25 × 25 glyph: an olive border (its bottom-left pixel makes olive the
// transparent colour) around a red square.
std::unique_ptr<TBitmap> RedSquareGlyph()
{
    auto glyph = std::make_unique<TBitmap>();
    glyph->SetPixelWidth(25);
    glyph->SetPixelHeight(25);
    glyph->Surface().Brush().SetColor(clOlive);
    glyph->Surface().FillRectangle({0, 0, 25, 25});
    glyph->Surface().Brush().SetColor(clRed);
    glyph->Surface().FillRectangle({5, 5, 20, 20});
    return glyph;
}

class Controls : public ::testing::Test {
protected:
    Controls()
    {
        Form.resize(200, 100);
        Form.Loaded();
        Button = new TSpeedButton(&Form);
        Button->setGeometry(0, 0, 33, 33);
        Button->setFlat(true);
        Button->SetGlyph(RedSquareGlyph());
        Button->OnClick = [this](QObject&) { ++Clicks; };
        ShowWindow(Form);
    }
    ~Controls() override { Form.hide(); }

    QWindow* Window() { return Form.windowHandle(); }

    TForm Form;
    TSpeedButton* Button;
    int Clicks = 0;
};

}  // namespace

TEST_F(Controls, FlatButtonShowsABorderOnlyWhileTheMouseIsOverIt)
{
    MoveMouseTo(Form, QPoint(150, 80));
    QImage shown = Snapshot(*Button);
    EXPECT_EQ(PixelAt(shown, 0, 0), Face);
    EXPECT_EQ(PixelAt(shown, 32, 32), Face);

    MoveMouseTo(*Button, QPoint(16, 16));
    EXPECT_TRUE(Button->MouseInControl());
    shown = Snapshot(*Button);
    EXPECT_EQ(PixelAt(shown, 0, 0), Highlight);
    EXPECT_EQ(PixelAt(shown, 32, 32), Shadow);
    EXPECT_EQ(PixelAt(shown, 32, 0), Shadow) << "the right edge owns the top-right corner";

    MoveMouseTo(Form, QPoint(150, 80));
    EXPECT_FALSE(Button->MouseInControl());
    EXPECT_EQ(PixelAt(Snapshot(*Button), 0, 0), Face);
}

TEST_F(Controls, GlyphIsCentredAndItsBottomLeftColourIsTransparent)
{
    const QImage shown = Snapshot(*Button);
    // Glyph at (4, 4): its olive border lets the face through, the red
    // square (5..19 of the glyph) shows.
    EXPECT_EQ(PixelAt(shown, 4, 4), Face);
    EXPECT_EQ(PixelAt(shown, 8, 8), Face);
    EXPECT_EQ(PixelAt(shown, 9, 9), QColor(255, 0, 0));
    EXPECT_EQ(PixelAt(shown, 23, 23), QColor(255, 0, 0));
    EXPECT_EQ(PixelAt(shown, 24, 24), Face);
}

TEST_F(Controls, HeldButtonIsLoweredAndClicksOnlyWhenReleasedOverIt)
{
    const QPoint centre = Button->mapTo(&Form, QPoint(16, 16));
    QTest::mouseMove(Window(), centre);
    QTest::mousePress(Window(), Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_TRUE(Button->IsDown());
    QImage shown = Snapshot(*Button);
    EXPECT_EQ(PixelAt(shown, 0, 0), Shadow);
    EXPECT_EQ(PixelAt(shown, 32, 32), Highlight);
    // The glyph moves one pixel down and to the right.
    EXPECT_EQ(PixelAt(shown, 9, 9), Face);
    EXPECT_EQ(PixelAt(shown, 10, 10), QColor(255, 0, 0));
    EXPECT_EQ(Clicks, 0);
    QTest::mouseRelease(Window(), Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(Clicks, 1);
    EXPECT_FALSE(Button->IsDown());

    // Pressed over it, released elsewhere: no click.
    QTest::mousePress(Window(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseMove(Window(), QPoint(150, 80));
    EXPECT_FALSE(Button->IsDown());
    QTest::mouseRelease(Window(), Qt::LeftButton, Qt::NoModifier, QPoint(150, 80));
    EXPECT_EQ(Clicks, 1);
    // The right button does not click.
    QTest::mouseClick(Window(), Qt::RightButton, Qt::NoModifier, centre);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(Controls, DisabledButtonIsGreyedHasNoBorderAndDoesNotClick)
{
    Button->setEnabled(false);
    MoveMouseTo(*Button, QPoint(16, 16));
    const QImage shown = Snapshot(*Button);
    EXPECT_EQ(PixelAt(shown, 0, 0), Face);
    const QColor glyph = PixelAt(shown, 16, 16);
    EXPECT_EQ(glyph.red(), glyph.green());
    EXPECT_EQ(glyph.green(), glyph.blue());
    EXPECT_EQ(glyph.red(), (Luminance(255, 0, 0) + 2 * 192) / 3);
    EXPECT_EQ(PixelAt(shown, 4, 4), Face);
    ClickAt(*Button, QPoint(16, 16));
    EXPECT_EQ(Clicks, 0);
    Button->setEnabled(true);
    ClickAt(*Button, QPoint(16, 16));
    EXPECT_EQ(Clicks, 1);
}

namespace {

bool HasColor(const QImage& image, const QColor& color)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (QColor(image.pixel(x, y)) == color)
                return true;
    return false;
}

}  // namespace

TEST_F(Controls, CaptionUsesItsOwnFontAndIsEmbossedWhenDisabled)
{
    auto* help = new TSpeedButton(&Form);
    help->setGeometry(120, 0, 33, 33);
    help->setFlat(true);
    help->setCaption("?");
    help->setFontName("Arial");
    help->setFontHeight(27);
    help->setFontBold(true);
    help->setFontColor(QColor(0, 0, 128));
    EXPECT_EQ(help->font().pixelSize(), 27);
    EXPECT_TRUE(help->font().bold());
    // The button's font is its own; the form keeps its default.
    EXPECT_EQ(Form.font().pixelSize(), 11);
    QImage shown = Snapshot(*help);
    EXPECT_TRUE(HasColor(shown, QColor(0, 0, 128)));
    help->setEnabled(false);
    shown = Snapshot(*help);
    EXPECT_FALSE(HasColor(shown, QColor(0, 0, 128)));
    EXPECT_TRUE(HasColor(shown, Shadow));
    EXPECT_TRUE(HasColor(shown, Highlight));
}

TEST_F(Controls, ButtonTakesNoFocusAndShowsItsHintAsTooltip)
{
    EXPECT_EQ(Button->focusPolicy(), Qt::NoFocus);
    Button->setToolTip("ENTEGISTRER L'ANAGLYPHE");
    QHelpEvent rest(QEvent::ToolTip, QPoint(16, 16), Button->mapToGlobal(QPoint(16, 16)));
    QCoreApplication::sendEvent(Button, &rest);
    EXPECT_EQ(QToolTip::text(), "ENTEGISTRER L'ANAGLYPHE");
    QToolTip::hideText();
}

TEST(GlyphGreying, WashesColoursTowardsTheFaceAndKeepsTheFace)
{
    auto pixels = TPixelBuffer::MakeDevice(3, 2);
    pixels->SetPixelAt(0, 0, DevicePixel(clRed));
    pixels->SetPixelAt(1, 0, DevicePixel(clSilver));
    pixels->SetPixelAt(2, 0, DevicePixel(clBlack));
    pixels->SetPixelAt(0, 1, DevicePixel(clRed));
    // The bottom row lies outside the area, and the area's overhang is cut.
    GreyPixels(*pixels, {0, 0, 5, 1}, clBtnFace);
    EXPECT_EQ(pixels->PixelAt(0, 0), DevicePixel(RGB(153, 153, 153)));
    EXPECT_EQ(pixels->PixelAt(1, 0), DevicePixel(clSilver));
    EXPECT_EQ(pixels->PixelAt(2, 0), DevicePixel(RGB(128, 128, 128)));
    EXPECT_EQ(pixels->PixelAt(0, 1), DevicePixel(clRed));
    EXPECT_EQ(Luminance(255, 255, 255), 255);
    EXPECT_EQ(Luminance(0, 0, 0), 0);
}

TEST_F(Controls, PanelBevelsAreRaisedByDefaultOrLowered)
{
    auto* panel = new TPanel(&Form);
    panel->setGeometry(40, 40, 30, 20);
    EXPECT_EQ(panel->BevelOuter(), TPanel::bvRaised);
    QImage shown = Snapshot(*panel);
    EXPECT_EQ(PixelAt(shown, 0, 0), Highlight);
    EXPECT_EQ(PixelAt(shown, 0, 18), Highlight);
    EXPECT_EQ(PixelAt(shown, 0, 19), Shadow) << "the bottom edge owns the bottom-left corner";
    EXPECT_EQ(PixelAt(shown, 29, 0), Shadow);
    EXPECT_EQ(PixelAt(shown, 29, 19), Shadow);
    EXPECT_EQ(PixelAt(shown, 15, 10), Face);
    panel->setBevelOuter(TPanel::bvLowered);
    shown = Snapshot(*panel);
    EXPECT_EQ(PixelAt(shown, 0, 0), Shadow);
    EXPECT_EQ(PixelAt(shown, 29, 19), Highlight);
    panel->setBevelOuter(TPanel::bvNone);
    EXPECT_EQ(PixelAt(Snapshot(*panel), 0, 0), Face);
}

TEST_F(Controls, TransparentLabelShowsItsParentAndKeepsItsBounds)
{
    auto* panel = new TPanel(&Form);
    panel->setGeometry(40, 40, 150, 40);
    panel->setBevelOuter(TPanel::bvNone);
    QPalette red = panel->palette();
    red.setColor(QPalette::Window, QColor(255, 0, 0));
    panel->setPalette(red);
    auto* label = new TLabel(panel);
    label->setAutoSize(false);
    label->setTransparent(true);
    label->setGeometry(5, 5, 100, 17);
    label->setFontColor(QColor(0, 0, 128));
    label->SetCaption(std::string("Chargement de l'image GAUCHE."));
    panel->show();
    EXPECT_EQ(label->size(), QSize(100, 17)) << "no automatic sizing";
    EXPECT_EQ(label->CaptionText(), "Chargement de l'image GAUCHE.");
    const QImage shown = panel->grab(label->geometry()).toImage();
    EXPECT_EQ(PixelAt(shown, 99, 16), QColor(255, 0, 0)) << "the parent shows behind the label";
    EXPECT_TRUE(HasColor(shown, QColor(0, 0, 128)));
    // The text starts at the left edge, on the first line.
    bool inkNearLeft = false;
    for (int y = 0; y < 17; ++y)
        inkNearLeft = inkNearLeft || QColor(shown.pixel(1, y)) != QColor(255, 0, 0);
    EXPECT_TRUE(inkNearLeft);
}

TEST_F(Controls, AutoSizedLabelTakesTheSizeOfItsText)
{
    auto* label = new TLabel(&Form);
    EXPECT_TRUE(label->AutoSize());
    label->SetCaption(QString("W"));
    const int narrow = label->width();
    label->SetCaption(QString("WWWW"));
    EXPECT_GT(label->width(), 3 * narrow);
    EXPECT_EQ(label->height(), QFontMetrics(label->font()).height());
}

TEST_F(Controls, EachControlTakesItsOwnMouseMoves)
{
    std::vector<std::tuple<QObject*, int, int>> moves;
    Form.OnMouseMove = [&](QObject& sender, int x, int y) { moves.emplace_back(&sender, x, y); };
    auto* withHandler = new TLabel(&Form);
    withHandler->setAutoSize(false);
    withHandler->setGeometry(40, 10, 50, 17);
    withHandler->OnMouseMove = Form.OnMouseMove;
    withHandler->show();
    auto* withoutHandler = new TPanel(&Form);
    withoutHandler->setGeometry(100, 10, 50, 50);
    withoutHandler->show();

    MoveMouseTo(Form, QPoint(150, 80));
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves.back(), std::make_tuple(static_cast<QObject*>(&Form), 150, 80));
    MoveMouseTo(*withHandler, QPoint(3, 4));
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves.back(), std::make_tuple(static_cast<QObject*>(withHandler), 3, 4));
    // A control without a handler keeps the move from the window beneath.
    MoveMouseTo(*withoutHandler, QPoint(10, 10));
    EXPECT_EQ(moves.size(), 2u);
    // A disabled control lets the move through to its parent.
    withoutHandler->setEnabled(false);
    MoveMouseTo(*withoutHandler, QPoint(12, 12));
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(std::get<0>(moves.back()), &Form);
}

TEST_F(Controls, ClicksAreReportedOnRelease)
{
    auto* panel = new TPanel(&Form);
    panel->setGeometry(100, 10, 50, 50);
    panel->show();
    int panelClicks = 0, formClicks = 0;
    panel->OnClick = [&](QObject& sender) {
        EXPECT_EQ(&sender, panel);
        ++panelClicks;
    };
    Form.OnClick = [&](QObject&) { ++formClicks; };
    ClickAt(*panel, QPoint(25, 25));
    EXPECT_EQ(panelClicks, 1);
    EXPECT_EQ(formClicks, 0) << "the click stays with the control";
    ClickAt(Form, QPoint(50, 80));
    EXPECT_EQ(formClicks, 1);
    // A double click is two clicks.
    const QPoint at = panel->mapTo(&Form, QPoint(25, 25));
    QTest::mouseDClick(Window(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_GE(panelClicks, 2);
}
