// The stereo adjustment in the result window and the full-size view, driven
// through the real windows with keys: the offsets the keys reach, the saved
// file against the batch tool's for the same values, the overlap limit,
// merged key repeats, a camera's parallax as the start, the automatic
// adjustment and the glasses button's items.
#include "application.h"
#include "cli_commands.h"
#include "formats/jpeg/jpeg_image.h"
#include "full_size_view.h"
#include "image_choice_window.h"
#include "picture_bytes.h"
#include "help_window.h"
#include "mpo_builder.h"
#include "popup_menu.h"
#include "raster/bitmap.h"
#include "recording_presenter.h"
#include "result_window.h"
#include "stereo/stereo_window.h"
#include "stereo_scene.h"
#include "temp_dir.h"
#include "gui_helpers.h"
#include "fitting.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QTest>

#include <sstream>

using namespace tremalu;
using testing_support::PaintedBitmap;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::TRecordingPresenter;
using testing_support::WriteBytes;

namespace {

struct Key {
    int Code;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;
};
const Key Left{Qt::Key_Left}, Right{Qt::Key_Right}, Up{Qt::Key_Up}, Down{Qt::Key_Down}, Home{Qt::Key_Home};
const Key FineLeft{Qt::Key_Left, Qt::ShiftModifier}, FineRight{Qt::Key_Right, Qt::ShiftModifier};
const Key Swap{Qt::Key_I}, Automatic{Qt::Key_A};

// A picture whose pixels differ everywhere, so that any misplaced column or
// row changes the file.
std::unique_ptr<TBitmap> Pattern(int32_t w, int32_t h, uint32_t seed)
{
    return PaintedBitmap(w, h, [seed](int32_t x, int32_t y) {
        return (uint32_t(x * 5 + seed) & 255) << 16 | (uint32_t(y * 3) & 255) << 8 | ((x + y) * seed & 255);
    });
}

std::unique_ptr<TBitmap> Flat(int32_t w, int32_t h, uint32_t colour)
{
    return PaintedBitmap(w, h, [colour](int32_t, int32_t) { return colour; });
}

QRect Fitted(int32_t w, int32_t h)
{
    const TFittedBounds fit = FitIntoBox(w, h, ResultBox, 441, 441);
    return {fit.Left, fit.Top, fit.Width, fit.Height};
}

std::vector<uint8_t> JpegFile(const TempDir& dir, const TBitmap& picture)
{
    TJPEGImage jpeg;
    jpeg.CopyFrom(&picture);
    jpeg.WriteToFile(dir.File("part.jpg"));
    const std::vector<unsigned char> bytes = ReadBytes(dir.File("part.jpg"));
    return {bytes.begin(), bytes.end()};
}

class ResultAdjustment : public ::testing::Test {
protected:
    ResultAdjustment()
    {
        Application.SetTitle("TREMALU");
        Application.CreateForm(Depart);
        Application.CreateForm(Result);
        Application.CreateForm(Faide);
        testing_support::ShowWindow(*Depart);
        testing_support::ClickAt(*Depart->titre, QPoint(260, 100));
    }
    ~ResultAdjustment() override
    {
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
    }

    std::string PictureFile(const std::string& name, int32_t w, int32_t h, uint32_t seed)
    {
        Pattern(w, h, seed)->WriteToFile(Dir.File(name));
        return Dir.File(name);
    }
    void LoadPair(const std::string& left, const std::string& right)
    {
        Depart->OpenPictures({{TPairSide::Left, left}, {TPairSide::Right, right}});
        ASSERT_EQ(Recorder.BoxTexts(), "");
    }
    void Compose() { Depart->calcul->Click(*Depart->calcul); }
    static void Press(QWidget& window, const std::vector<Key>& keys)
    {
        for (const Key& key : keys)
            QTest::keyClick(&window, static_cast<Qt::Key>(key.Code), key.Modifiers);
    }
    // Keys as the user types them, each followed by what the window does
    // once the events are handled.
    static void Type(const std::vector<Key>& keys)
    {
        for (const Key& key : keys) {
            Press(*Result, {key});
            QCoreApplication::processEvents();
        }
    }
    static TStereoOffset Offset() { return Result->Adjustment()->Offset(); }
    std::vector<unsigned char> Saved(const std::string& name)
    {
        Recorder.FileAnswer = TFileChoice{Dir.File(name), 1};
        Result->SpeedButton2->Click(*Result->SpeedButton2);
        return ReadBytes(Dir.File(name));
    }
    std::vector<unsigned char> BatchTool(std::vector<std::string> args)
    {
        std::ostringstream out, err;
        EXPECT_EQ(RunCli(args, out, err), 0) << err.str();
        return ReadBytes(args.back());
    }

    TempDir Dir;
    TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
    TApplication Application;
};

// ------------------------------------------------------- keys and saving

struct KeyCase {
    const char* Name;
    std::vector<Key> Keys;
    TAnaglyphMix Mix;
    TStereoOffset Expected;
    std::vector<std::string> ToolOptions;  // the batch tool's for the same result
    const char* Output;
};

class KeySteps : public ResultAdjustment, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeySteps, ReachTheOffsetAndSaveTheBatchToolsBytes)
{
    const KeyCase& c = GetParam();
    // Sides of different sizes: the overlap depends on both.
    const std::string left = PictureFile("gauche.bmp", 64, 48, 3), right = PictureFile("droite.bmp", 60, 52, 7);
    LoadPair(left, right);
    Depart->Mix = c.Mix;
    Compose();
    Type(c.Keys);
    EXPECT_EQ(Offset(), c.Expected);

    std::vector<std::string> args{"compose"};
    args.insert(args.end(), c.ToolOptions.begin(), c.ToolOptions.end());
    args.insert(args.end(), {left, right, Dir.File(std::string("outil") + c.Output)});
    EXPECT_EQ(Saved(std::string("fenetre") + c.Output), BatchTool(args));
    EXPECT_EQ(Recorder.BoxTexts(), std::string(DifferentSizesCaption) + ": " + DifferentSizesText + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    ResultWindow, KeySteps,
    ::testing::Values(
        KeyCase{"NoKeyIsTheProgramsOwnAnaglyph", {}, {}, {0, 0}, {}, ".bmp"},
        KeyCase{"LeftArrowMovesTheRightPictureLeft", {Left}, {}, {10, 0}, {"--decalage", "10,0"}, ".bmp"},
        KeyCase{"ShiftMovesSinglePixels", {FineLeft, FineLeft, Down}, {}, {2, -10}, {"--decalage", "2,-10"}, ".jpg"},
        KeyCase{"UpAndRight", {Up, Right, Right}, {}, {-20, 10}, {"--decalage", "-20,10"}, ".bmp"},
        KeyCase{"HomeReturnsToTheProgramsOwn", {Left, Up, Home}, {}, {0, 0}, {}, ".bmp"},
        KeyCase{"SwappedThenMoved", {Swap, FineRight}, {}, {-1, 0}, {"--inverser", "--decalage", "-1,0"}, ".bmp"},
        KeyCase{"WithTheChosenMix", {Left, Down},
                {TAnaglyphMethod::Gris, TAnaglyphGlasses::VertMagenta}, {10, -10},
                {"--methode", MethodName(TAnaglyphMethod::Gris), "--lunettes",
                 GlassesName(TAnaglyphGlasses::VertMagenta), "--decalage", "10,-10"}, ".jpg"}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.Name); });

TEST_F(ResultAdjustment, AStepThatWouldLeaveNoOverlapIsNotTaken)
{
    LoadPair(PictureFile("g.bmp", 25, 20, 1), PictureFile("d.bmp", 25, 20, 2));
    Compose();
    Type({Left, Left, Left});
    EXPECT_EQ(Offset(), (TStereoOffset{20, 0}));
    EXPECT_NE(Result->StatusText().find(NoOverlapText), std::string::npos) << Result->StatusText();
    Type({FineLeft, FineLeft, FineLeft, FineLeft, FineLeft});
    EXPECT_EQ(Offset(), (TStereoOffset{24, 0}));
    Type({Down, Down});
    EXPECT_EQ(Offset(), (TStereoOffset{24, -10}));
    // The view still shows the one column left.
    EXPECT_EQ(Result->IR->Picture().PixelWidth(), 1);
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

TEST_F(ResultAdjustment, KeyRepeatsArrivingTogetherAreOneRecomposition)
{
    LoadPair(PictureFile("g.bmp", 400, 300, 1), PictureFile("d.bmp", 400, 300, 2));
    Compose();
    std::vector<Key> held(25, Left);
    Press(*Result, held);
    EXPECT_EQ(Offset(), (TStereoOffset{250, 0}));
    EXPECT_EQ(Result->ViewCompositions(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Result->ViewCompositions(), 1);
    // Recomposed from the reduced copies, fitted as the 150 × 300 overlap.
    EXPECT_LE(Result->IR->Picture().PixelHeight(), ResultBox);
    EXPECT_EQ(Result->IR->geometry(), Fitted(150, 300));
    EXPECT_EQ(Result->StatusText(), "Décalage : 250 ; 0");
}

// ------------------------------------------------------- camera parallax

TEST_F(ResultAdjustment, AnMpoStartsAtItsCameraParallaxAndHomeReturnsThere)
{
    testing_support::MpoFields f;
    f.Images = {JpegFile(Dir, *Pattern(40, 30, 1)), JpegFile(Dir, *Pattern(40, 30, 2))};
    f.Parallax = std::pair{125, 10};  // 12.5 % of 40 pixels: DX = 5
    WriteBytes(Dir.File("fuji.mpo"), [&] {
        const auto mpo = testing_support::BuildMpo(f);
        return std::vector<unsigned char>(mpo.begin(), mpo.end());
    }());
    Depart->OpenPictures({{TPairSide::Both, Dir.File("fuji.mpo")}});
    Compose();
    EXPECT_EQ(Offset(), (TStereoOffset{5, 0}));
    EXPECT_EQ(Result->StatusText(), "Décalage : 5 ; 0\nParallaxe de l'appareil");
    EXPECT_EQ(Saved("depart.bmp"), BatchTool({"compose", "--parallaxe", Dir.File("fuji.mpo"), Dir.File("outil.bmp")}));

    Type({Right, Right, Home});
    EXPECT_EQ(Offset(), (TStereoOffset{5, 0}));
    EXPECT_EQ(Result->StatusText(), "Décalage : 5 ; 0\nParallaxe de l'appareil");
    Type({Right});
    EXPECT_EQ(Result->StatusText(), "Décalage : \u22125 ; 0");

    // A parallax that would leave nothing is not applied, and the text says so.
    f.Parallax = std::pair{990, 10};
    WriteBytes(Dir.File("trop.mpo"), [&] {
        const auto mpo = testing_support::BuildMpo(f);
        return std::vector<unsigned char>(mpo.begin(), mpo.end());
    }());
    Depart->OpenPictures({{TPairSide::Both, Dir.File("trop.mpo")}});
    Compose();
    EXPECT_EQ(Offset(), (TStereoOffset{0, 0}));
    EXPECT_EQ(Result->StatusText(), std::string("Décalage : 0 ; 0\n") + adjustment_texts::CameraTooLarge);
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

// ------------------------------------------------------- automatic adjustment

struct AutomaticCase {
    const char* Name;
    bool Flat;  // nothing to match: one grey everywhere
};

class AutomaticKey : public ResultAdjustment, public ::testing::WithParamInterface<AutomaticCase> {};

TEST_P(AutomaticKey, GivesTheEstimatesOffsetOrSaysNothingWasFound)
{
    std::unique_ptr<TBitmap> left, right;
    if (GetParam().Flat) {
        left = Flat(160, 120, 0x808080);
        right = Flat(160, 120, 0x808080);
    } else {
        testing_support::StereoScene scene;
        scene.Width = 320;
        scene.Height = 240;
        scene.RightLower = 4;
        left = testing_support::RenderStereoEye(scene, false);
        right = testing_support::RenderStereoEye(scene, true);
    }
    left->WriteToFile(Dir.File("g.bmp"));
    right->WriteToFile(Dir.File("d.bmp"));
    LoadPair(Dir.File("g.bmp"), Dir.File("d.bmp"));
    Compose();
    Type({Left});
    // The batch tool's estimate on the same files, unshifted.
    TStereoPair pair = LoadPicturePair(Dir.File("g.bmp"), Dir.File("d.bmp"));
    const TAutomaticAdjustment estimate = EstimateAutomaticAdjustment(pair.Left, pair.Right, true, true);
    Type({Automatic});
    if (estimate.Window.Found) {
        EXPECT_EQ(Offset(), (TStereoOffset{estimate.Window.ShiftX, estimate.VerticalOffset}));
        // The offset of the sides unshifted: the batch tool's bytes.
        EXPECT_EQ(Saved("auto.bmp"), BatchTool({"compose", "--aligner", "--fenetre-auto", Dir.File("g.bmp"),
                                                Dir.File("d.bmp"), Dir.File("outil.bmp")}));
    } else {
        EXPECT_EQ(Offset(), (TStereoOffset{10, 0}));
        EXPECT_EQ(Result->StatusText(), std::string("Décalage : 10 ; 0\n") + NoMatchText);
    }
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

INSTANTIATE_TEST_SUITE_P(ResultWindow, AutomaticKey,
                         ::testing::Values(AutomaticCase{"LayeredScene", false}, AutomaticCase{"FlatPair", true}),
                         [](const ::testing::TestParamInfo<AutomaticCase>& info) { return std::string(info.param.Name); });

TEST_F(ResultAdjustment, TheGlassesMenuOffersTheActionsOnceThereIsAnAnaglyph)
{
    LoadPair(PictureFile("g.bmp", 64, 48, 3), PictureFile("d.bmp", 64, 48, 7));
    const auto items = [] {
        std::string all;
        for (const QAction* item : Depart->MixMenu->actions())
            all += (item->isSeparator() ? std::string("-") : item->text().toStdString()) + "|";
        return all;
    };
    const std::string before = items();
    Compose();
    EXPECT_EQ(items(), before + "-|Alignement automatique|Inverser gauche et droite|Revenir au décalage de départ|");
    Type({Left});

    // Each item composes the same pair, keeping its offset, and acts on it.
    Depart->SwapItem->trigger();
    EXPECT_TRUE(Result->Adjustment()->Swapped());
    EXPECT_EQ(Offset(), (TStereoOffset{10, 0}));
    EXPECT_EQ(Recorder.ModalForms.size(), 2u);
    Depart->StartItem->trigger();
    EXPECT_EQ(Offset(), (TStereoOffset{0, 0}));
    // A new picture is a new pair: it starts afresh.
    Depart->OpenPictures({{TPairSide::Right, PictureFile("d2.bmp", 64, 48, 9)}});
    Compose();
    EXPECT_FALSE(Result->Adjustment()->Swapped());
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

// ------------------------------------------------------- full-size view

TEST_F(ResultAdjustment, TheFullSizeViewOpensAt100PercentAndClosesBackWithItsOffset)
{
    LoadPair(PictureFile("g.bmp", 120, 80, 1), PictureFile("d.bmp", 120, 80, 2));
    Compose();
    Type({Left, Key{Qt::Key_Return}});
    TFullSizeView* view = Result->FullSizeView();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->Zoom(), 1.0);
    EXPECT_EQ(view->Anaglyph().size(), QSize(110, 80));
    // Centred, one picture pixel per screen pixel.
    EXPECT_EQ(view->Origin(), QPointF((view->width() - 110) / 2.0, (view->height() - 80) / 2.0));
    const QImage shown = testing_support::Snapshot(*view);
    const QPoint corner = view->Origin().toPoint();
    EXPECT_EQ(shown.pixel(corner + QPoint(7, 5)), view->Anaglyph().pixel(7, 5));
    EXPECT_EQ(shown.pixel(corner - QPoint(1, 1)), qRgb(0, 0, 0));

    // The keys work there; the zoom keys fit and return to 100 %.
    Press(*view, {FineLeft, FineLeft});
    QCoreApplication::processEvents();
    EXPECT_EQ(view->Compositions(), 2);
    EXPECT_EQ(view->Anaglyph().size(), QSize(108, 80));
    Press(*view, {Key{Qt::Key_F}});
    EXPECT_DOUBLE_EQ(view->Zoom(), view->FitZoom());
    Press(*view, {Key{Qt::Key_J}});
    EXPECT_EQ(view->Zoom(), 1.0);

    const int before = Result->ViewCompositions();
    Press(*view, {Key{Qt::Key_Escape}});
    QCoreApplication::processEvents();
    EXPECT_EQ(Result->FullSizeView(), nullptr);
    EXPECT_EQ(Offset(), (TStereoOffset{12, 0}));
    EXPECT_EQ(Result->ViewCompositions(), before + 1);
    EXPECT_EQ(Result->IR->geometry(), Fitted(108, 80));

    // A double click on the view opens it too.
    QTest::mouseDClick(Result->IR, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    ASSERT_NE(Result->FullSizeView(), nullptr);
    Press(*Result->FullSizeView(), {Key{Qt::Key_Enter}});
    QCoreApplication::processEvents();
    EXPECT_EQ(Result->FullSizeView(), nullptr);
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

}  // namespace
