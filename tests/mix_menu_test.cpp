// The pop-up menu of the glasses button: one method and one kind of glasses
// checked, used by the composition and the saving, and kept from one run of
// the program to the next in the settings file (here in a folder of the
// test's own).
#include "stereo/anaglyph.h"
#include "application.h"
#include "gui_helpers.h"
#include "picture_bytes.h"
#include "popup_menu.h"
#include "raster/bitmap.h"
#include "recording_presenter.h"
#include "temp_dir.h"
#include "image_choice_window.h"
#include "result_window.h"
#include "help_window.h"
#include "user_settings.h"

#include <QAction>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace tremalu;
using testing_support::ClickAt;
using testing_support::ShowWindow;
using testing_support::TempDir;

namespace {

// A picture whose pixel (x, y) has red x, green y and blue 255 - x - y
// (modulo 256), so that every mix gives something of its own.
std::string Gradient(const TempDir& dir, const std::string& name, int32_t w, int32_t h, uint32_t shift)
{
    testing_support::PaintedBitmap(w, h, [shift](int32_t x, int32_t y) {
        return ((x + shift) & 255) << 16 | (y & 255) << 8 | ((255 - x - y) & 255);
    })->WriteToFile(dir.File(name));
    return dir.File(name);
}

class MixMenu : public ::testing::Test {
protected:
    MixMenu()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(Settings.Path()));
        StartProgram();
    }
    ~MixMenu() override { EndProgram(); }

    // The windows as a run of the program makes them, title clicked.
    void StartProgram(bool clickTitle = true)
    {
        EndProgram();
        Application.emplace();
        Application->SetTitle("TREMALU");
        Application->CreateForm(Depart);
        Application->CreateForm(Result);
        Application->CreateForm(Faide);
        ShowWindow(*Depart);
        if (clickTitle)
            ClickAt(*Depart->titre, QPoint(260, 100));
    }
    void EndProgram()
    {
        if (!Application)
            return;
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
        Application.reset();
    }

    void OpenMenu()
    {
        const QPoint at = Depart->calcul->mapTo(Depart, QPoint(28, 16));
        QTest::mouseClick(Depart->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
    }
    // Chooses an item as the user does: the menu opened by a right click,
    // the item clicked.
    void Choose(QAction* item)
    {
        OpenMenu();
        ASSERT_TRUE(Depart->MixMenu->isVisible());
        QTest::mouseClick(Depart->MixMenu, Qt::LeftButton, Qt::NoModifier,
                          Depart->MixMenu->actionGeometry(item).center());
        EXPECT_FALSE(Depart->MixMenu->isVisible());
    }

    std::string Checked() const
    {
        std::string checked;
        for (const QAction* item : Depart->MixMenu->actions())
            if (item->isChecked())
                checked += (checked.empty() ? "" : " + ") + item->text().toStdString();
        return checked;
    }

    // The pixels of the anaglyph of the pair, made by the glasses button.
    std::vector<uint32_t> Compose()
    {
        Recorder.FileAnswer = TFileChoice{Left, 1};
        Depart->ChargeG->Click(*Depart->ChargeG);
        Recorder.FileAnswer = TFileChoice{Right, 1};
        Depart->ChargeD->Click(*Depart->ChargeD);
        Depart->calcul->Click(*Depart->calcul);
        return PixelsOf(Result->IR->Picture().Graphic());
    }
    // ... and by the batch tool's composition.
    std::vector<uint32_t> Expected(const TAnaglyphMix& mix)
    {
        TPicture left, right;
        left.ReadFromFile(Left);
        right.ReadFromFile(Right);
        return PixelsOf(ComposeAnaglyph(left.Graphic(), right.Graphic(), 40, 30, mix).get());
    }
    static std::vector<uint32_t> PixelsOf(const TGraphic* graphic)
    {
        std::vector<uint32_t> pixels;
        const auto* bitmap = dynamic_cast<const TBitmap*>(graphic);
        if (bitmap == nullptr)
            return pixels;
        for (int32_t y = 0; y < bitmap->PixelHeight(); ++y)
            for (int32_t x = 0; x < bitmap->PixelWidth(); ++x)
                pixels.push_back(bitmap->PeekPixels()->PixelAt(x, y) & 0x00FFFFFFu);
        return pixels;
    }

    TempDir Settings;
    TempDir Dir;
    std::string Left = Gradient(Dir, "gauche.bmp", 40, 30, 0);
    std::string Right = Gradient(Dir, "droite.bmp", 40, 30, 3);
    testing_support::TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
    std::optional<TApplication> Application;
};

TEST_F(MixMenu, OffersTheMethodsThenTheGlassesWithColourAndRedCyanCheckedAtFirst)
{
    OpenMenu();
    ASSERT_TRUE(Depart->MixMenu->isVisible());
    std::string items;
    for (const QAction* item : Depart->MixMenu->actions())
        items += (item->isSeparator() ? std::string("-") : item->text().toStdString()) + "|";
    EXPECT_EQ(items, "Couleur|Demi-couleur|Gris|Dubois|-|Rouge / cyan|Vert / magenta|Ambre / bleu|");
    EXPECT_EQ(Checked(), "Couleur + Rouge / cyan");
    Depart->MixMenu->hide();

    // The default composes the program's own anaglyph: red of the LEFT
    // picture, green and blue of the RIGHT one.
    TPicture left, right;
    left.ReadFromFile(Left);
    right.ReadFromFile(Right);
    const std::vector<uint32_t> l = PixelsOf(left.Graphic()), r = PixelsOf(right.Graphic());
    std::vector<uint32_t> own;
    for (size_t i = 0; i < l.size(); ++i)
        own.push_back((l[i] & 0xFF0000u) | (r[i] & 0x00FFFFu));
    EXPECT_EQ(Compose(), own);
    EXPECT_EQ(Recorder.Boxes.size(), 0u);
}

TEST_F(MixMenu, TheChoiceComposesSavesAndIsKeptForTheNextRun)
{
    Choose(Depart->MethodItems[2]);   // Gris
    Choose(Depart->GlassesItems[1]);  // Vert / magenta
    EXPECT_EQ(Checked(), "Gris + Vert / magenta");
    const TAnaglyphMix chosen{TAnaglyphMethod::Gris, TAnaglyphGlasses::VertMagenta};
    const std::vector<uint32_t> composed = Compose();
    EXPECT_EQ(composed, Expected(chosen));
    EXPECT_NE(composed, Expected({}));

    // The save button writes what the window shows.
    Recorder.FileAnswer = TFileChoice{Dir.File("anaglyphe.bmp"), 2};
    Result->SpeedButton2->Click(*Result->SpeedButton2);
    TPicture saved;
    saved.ReadFromFile(Dir.File("anaglyphe.bmp"));
    EXPECT_EQ(PixelsOf(saved.Graphic()), Expected(chosen));

    // The desktop's usual settings file, and a new run that reads it.
    EXPECT_TRUE(std::filesystem::is_regular_file(Settings.File("tremalu/tremalu.conf")));
    StartProgram();
    EXPECT_EQ(Checked(), "Gris + Vert / magenta");
    EXPECT_EQ(Compose(), Expected(chosen));
    EXPECT_EQ(Recorder.Boxes.size(), 0u);
}

TEST_F(MixMenu, DamagedSettingsFileIsReplacedAndOnlyAFailedWriteIsReported)
{
    const std::string folder = Settings.File("tremalu");
    const std::string file = folder + "/tremalu.conf";
    std::filesystem::create_directories(folder);
    std::vector<unsigned char> garbage(4096);
    uint32_t seed = 2026;
    for (unsigned char& byte : garbage) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<unsigned char>(seed >> 23);
    }
    testing_support::WriteBytes(file, garbage);
    StartProgram();
    EXPECT_EQ(Checked(), "Couleur + Rouge / cyan");
    Choose(Depart->MethodItems[3]);  // Dubois
    EXPECT_EQ(Recorder.BoxTexts(), "");
    StartProgram();
    EXPECT_EQ(Checked(), "Dubois + Rouge / cyan") << "the damaged file was replaced by one that reads";

    // A plain file where the folder must be: the write fails, and only that
    // is reported (whoever runs the test, the superuser included).
    std::filesystem::remove_all(folder);
    testing_support::WriteBytes(folder, std::vector<unsigned char>{'x'});
    Choose(Depart->GlassesItems[1]);  // Vert / magenta
    EXPECT_EQ(Recorder.BoxTexts(), "TREMALU: Impossible de créer le fichier " + file + ".\n");
}

TEST_F(MixMenu, HalfColourGoesWithRedCyanGlassesOnly)
{
    Choose(Depart->GlassesItems[2]);  // Ambre / bleu
    EXPECT_FALSE(Depart->MethodItems[1]->isEnabled());
    EXPECT_TRUE(Depart->MethodItems[3]->isEnabled());
    Choose(Depart->GlassesItems[0]);  // Rouge / cyan
    Choose(Depart->MethodItems[1]);   // Demi-couleur
    EXPECT_EQ(Checked(), "Demi-couleur + Rouge / cyan");
    EXPECT_FALSE(Depart->GlassesItems[1]->isEnabled());
    EXPECT_FALSE(Depart->GlassesItems[2]->isEnabled());
}

TEST_F(MixMenu, WaitsForTheTitleLikeTheButton)
{
    StartProgram(false);
    OpenMenu();
    EXPECT_FALSE(Depart->MixMenu->isVisible());
}

// What a settings file may hold, written by an older or a newer version
// of the program, or by hand.
struct StoredCase {
    const char* Name;
    const char* Method;  // null: no value stored
    const char* Glasses;
    const char* Checked;
};

class StoredChoices : public MixMenu, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredChoices, GiveTheMenuItsCheckedItems)
{
    if (GetParam().Method != nullptr)
        WriteSetting("anaglyphe/methode", GetParam().Method);
    if (GetParam().Glasses != nullptr)
        WriteSetting("anaglyphe/lunettes", GetParam().Glasses);
    StartProgram();
    EXPECT_EQ(Checked(), GetParam().Checked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredChoices,
    ::testing::Values(StoredCase{"Dubois", "dubois", "ambre-bleu", "Dubois + Ambre / bleu"},
                      StoredCase{"MethodOnly", "gris", nullptr, "Gris + Rouge / cyan"},
                      StoredCase{"UnknownNames", "sepia", "bleu-jaune", "Couleur + Rouge / cyan"},
                      StoredCase{"HalfColourWithOtherGlasses", "demi-couleur", "vert-magenta",
                                 "Couleur + Vert / magenta"}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
