// Loading the two pictures, composing the anaglyph and saving it, through
// the program's real windows, with the file chooser, the message boxes and
// the modal result window answered by a recorder.
#include "application.h"
#include "raster/bitmap.h"
#include "gif_builder.h"
#include "gui_helpers.h"
#include "formats/jpeg/jpeg_image.h"
#include "recording_presenter.h"
#include "speed_button.h"
#include "core/streams.h"
#include "temp_dir.h"
#include "image_choice_window.h"
#include "result_window.h"
#include "help_window.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include <filesystem>
#include <set>

using namespace tremalu;
using testing_support::ClickAt;
using testing_support::ReadBytes;
using testing_support::ShowWindow;
using testing_support::TempDir;
using testing_support::TRecordingPresenter;
using testing_support::WriteBytes;

namespace {

// A picture whose pixel (x, y) is (x, y, 7) in red, green, blue, modulo 256.
std::unique_ptr<TBitmap> Gradient(int32_t w, int32_t h, uint32_t blue = 7)
{
    auto b = std::make_unique<TBitmap>();
    b->SetPixelWidth(w);
    b->SetPixelHeight(h);
    auto* pixels = const_cast<TPixelBuffer*>(b->PeekPixels());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels->SetPixelAt(x, y, (uint32_t(x & 255) << 16) | (uint32_t(y & 255) << 8) | blue);
    return b;
}

class Workflow : public ::testing::Test {
protected:
    Workflow()
    {
        Application.SetTitle("TREMALU");
        Application.CreateForm(Depart);
        Application.CreateForm(Result);
        Application.CreateForm(Faide);
        ShowWindow(*Depart);
        ClickAt(*Depart->titre, QPoint(260, 100));
    }
    ~Workflow() override
    {
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
    }

    std::string BitmapFile(const std::string& name, int32_t w, int32_t h, uint32_t blue = 7)
    {
        Gradient(w, h, blue)->WriteToFile(Dir.File(name));
        return Dir.File(name);
    }

    // Clicks a load button with the chooser answering fileName (or cancelling).
    void Load(QWidget& button, const std::optional<std::string>& fileName)
    {
        Recorder.FileAnswer.reset();
        if (fileName)
            Recorder.FileAnswer = TFileChoice{*fileName, 1};
        if (button.isVisible())
            ClickAt(button, QPoint(16, 16));
        else
            static_cast<TSpeedButton&>(button).Click(button);
    }
    void LoadLeft(const std::optional<std::string>& f) { Load(*Depart->ChargeG, f); }
    void LoadRight(const std::optional<std::string>& f) { Load(*Depart->ChargeD, f); }
    void Compose() { ClickAt(*Depart->calcul, QPoint(28, 16)); }

    // Saves from the result window as the user would, choosing fileName.
    void Save(const std::string& fileName, int filterIndex = 1)
    {
        Recorder.FileAnswer = TFileChoice{fileName, filterIndex};
        Result->SpeedButton2->Click(*Result->SpeedButton2);
    }

    TempDir Dir;
    TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
    TApplication Application;
};

QRect Bounds(const QWidget& w) { return w.geometry(); }

}  // namespace

// ---------------------------------------------------------------- loading

TEST_F(Workflow, CancellingTheDialogChangesNothing)
{
    LoadLeft(std::nullopt);
    EXPECT_EQ(Recorder.FileDialogs, 1);
    EXPECT_FALSE(Depart->Pair.LeftLoaded);
    EXPECT_TRUE(Depart->Pair.LeftFileName.empty());
    EXPECT_TRUE(Depart->FG->Caption().isEmpty());
}

TEST_F(Workflow, WidePictureIsFittedAndDescribed)
{
    const std::string file = BitmapFile("large.bmp", 1000, 250);
    LoadLeft(file);
    EXPECT_EQ(Recorder.BoxTexts(), "");
    EXPECT_EQ(Bounds(*Depart->IG), QRect(7, 116, 290, 72));
    EXPECT_TRUE(Depart->IG->isVisible());
    EXPECT_TRUE(Depart->IG->Image().Stretch());
    EXPECT_FALSE(Depart->IG->Image().AutoSize());
    EXPECT_EQ(Depart->TG->Caption(), "1000 x 250 pixels.");
    EXPECT_EQ(Depart->FG->Caption().toStdString(), file);
    EXPECT_TRUE(Depart->Pair.LeftLoaded);
    EXPECT_EQ(Depart->Pair.LeftWidth, 1000);
    EXPECT_EQ(Depart->Pair.LeftHeight, 250);
    EXPECT_EQ(Depart->Pair.LeftFileName, file);
    EXPECT_FALSE(Depart->Pair.RightLoaded);
}

TEST_F(Workflow, SquareTallAndWidePreviews)
{
    LoadRight(BitmapFile("square.bmp", 50, 50));
    EXPECT_EQ(Bounds(*Depart->ID), QRect(7, 7, 290, 290));
    LoadRight(BitmapFile("tall.bmp", 300, 400));
    EXPECT_EQ(Bounds(*Depart->ID).width(), 217);
    EXPECT_EQ(Depart->TD->Caption(), "300 x 400 pixels.");
    LoadRight(BitmapFile("wide.bmp", 400, 300));
    EXPECT_EQ(Bounds(*Depart->ID).height(), 218);
    EXPECT_EQ(Depart->Pair.RightWidth, 400);
    EXPECT_FALSE(Depart->Pair.LeftLoaded);
    EXPECT_TRUE(Depart->FG->Caption().isEmpty());
}

TEST_F(Workflow, JpegPictureLoadsWithItsHeaderSize)
{
    TJPEGImage jpeg;
    jpeg.CopyFrom(Gradient(640, 480).get());
    jpeg.WriteToFile(Dir.File("photo.JPG"));
    LoadLeft(Dir.File("photo.JPG"));
    EXPECT_EQ(Recorder.BoxTexts(), "");
    EXPECT_STREQ(Depart->IG->Picture().Graphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(Depart->TG->Caption(), "640 x 480 pixels.");
    EXPECT_EQ(Bounds(*Depart->IG), QRect(7, 43, 290, 218));
}

TEST_F(Workflow, FailedLoadLeavesEverythingVisibleAsItWas)
{
    LoadLeft(BitmapFile("good.bmp", 400, 300));
    const TGraphic* before = Depart->IG->Picture().Graphic();
    WriteBytes(Dir.File("bad.bmp"), std::vector<unsigned char>(80, 'Z'));
    LoadLeft(Dir.File("bad.bmp"));
    ASSERT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Boxes[0].Text, "Image bitmap incorrecte.");
    EXPECT_EQ(Recorder.Boxes[0].Caption, "TREMALU");
    EXPECT_EQ(Recorder.Boxes[0].Icon, TMessageIcon::Stop);
    EXPECT_EQ(Depart->IG->Picture().Graphic(), before);
    EXPECT_TRUE(Depart->IG->isVisible());
    EXPECT_EQ(Bounds(*Depart->IG), QRect(7, 43, 290, 218));
    EXPECT_EQ(Depart->TG->Caption(), "400 x 300 pixels.");
    EXPECT_EQ(Depart->FG->Caption().toStdString(), Dir.File("good.bmp"));
    EXPECT_EQ(Depart->Pair.LeftWidth, 400);
    // The name chosen is kept, though nothing shows it.
    EXPECT_EQ(Depart->Pair.LeftFileName, Dir.File("bad.bmp"));

    Recorder.Boxes.clear();
    LoadLeft(Dir.File("absent.png"));
    EXPECT_EQ(Recorder.BoxTexts(), "TREMALU: Extension de fichier graphique inconnue (.png)\n");
    EXPECT_EQ(Depart->IG->Picture().Graphic(), before);
}

TEST_F(Workflow, WhatIsNotARegularFileIsRefusedAtOnceAndChangesNothing)
{
    LoadLeft(BitmapFile("good.bmp", 400, 300));
    const TGraphic* before = Depart->IG->Picture().Graphic();
    for (const std::string& name : testing_support::NonRegularPictureNames(Dir)) {
        Recorder.Boxes.clear();
        LoadLeft(name);
        EXPECT_EQ(Recorder.BoxTexts(), "TREMALU: Impossible d'ouvrir le fichier " + name + ".\n");
        EXPECT_EQ(Depart->IG->Picture().Graphic(), before);
        EXPECT_EQ(Depart->TG->Caption(), "400 x 300 pixels.");
    }
}

TEST_F(Workflow, PictureWithoutPixelsIsRefusedAndChangesNothing)
{
    // First load of a side: nothing to keep.
    LoadLeft(Dir.File("photo"));
    EXPECT_EQ(Recorder.BoxTexts(), "TREMALU: Opération en virgule flottante incorrecte.\n");
    EXPECT_FALSE(Depart->Pair.LeftLoaded);
    EXPECT_EQ(Depart->IG->Picture().Graphic(), nullptr);
    EXPECT_TRUE(Depart->TG->Caption().isEmpty());

    // After a picture: the previous one and its size stay.
    Recorder.Boxes.clear();
    LoadLeft(BitmapFile("good.bmp", 20, 10));
    LoadLeft(Dir.File("Mes.Images/photo"));
    EXPECT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_STREQ(Depart->IG->Picture().Graphic()->ClassName(), "TBitmap");
    EXPECT_EQ(Depart->Pair.LeftWidth, 20);
    EXPECT_EQ(Depart->TG->Caption(), "20 x 10 pixels.");
}

TEST_F(Workflow, BothSidesUseOneDialogAndLoadIndependently)
{
    LoadLeft(BitmapFile("a.bmp", 30, 20));
    LoadRight(BitmapFile("b.bmp", 40, 20));
    EXPECT_EQ(Depart->OP.FileName, Dir.File("b.bmp"));
    EXPECT_EQ(Depart->TG->Caption(), "30 x 20 pixels.");
    EXPECT_EQ(Depart->TD->Caption(), "40 x 20 pixels.");
    EXPECT_NE(Depart->IG->Picture().Graphic(), Depart->ID->Picture().Graphic());
}

// ---------------------------------------------------------------- composing

TEST_F(Workflow, ComposingNeedsBothPictures)
{
    for (int side = 0; side < 2; ++side) {
        Recorder.Boxes.clear();
        Compose();
        ASSERT_EQ(Recorder.Boxes.size(), 1u);
        EXPECT_EQ(Recorder.Boxes[0].Text, "Il faut DEUX images pour créer un anaglyphe...");
        EXPECT_EQ(Recorder.Boxes[0].Caption, "Allons, voyons...");
        EXPECT_EQ(Recorder.Boxes[0].Icon, TMessageIcon::Exclamation);
        EXPECT_TRUE(Recorder.ModalForms.empty());
        if (side == 0)
            LoadRight(BitmapFile("right.bmp", 4, 4));
    }
}

TEST_F(Workflow, AnaglyphIsShownFittedInTheModalResultWindow)
{
    LoadLeft(BitmapFile("g.bmp", 400, 300, 10));
    LoadRight(BitmapFile("d.bmp", 400, 300, 200));
    QRect shownAt;
    Recorder.WhileModal = [&](TForm&) { shownAt = Bounds(*Result->IR); };
    Compose();
    EXPECT_EQ(Recorder.BoxTexts(), "");
    ASSERT_EQ(Recorder.ModalForms.size(), 1u);
    EXPECT_EQ(Recorder.ModalForms[0], Result);
    EXPECT_EQ(shownAt, QRect(8, 61, 425, 319));
    const TGraphic* graphic = Result->IR->Picture().Graphic();
    ASSERT_NE(graphic, nullptr);
    EXPECT_STREQ(graphic->ClassName(), "TBitmap");
    const TPixelBuffer* pixels = static_cast<const TBitmap*>(graphic)->PeekPixels();
    EXPECT_EQ(pixels->PixelAt(399, 299), (399u & 255) << 16 | (299u & 255) << 8 | 200);
}

TEST_F(Workflow, DifferentSizesWarnThenComposeAtTheLeftSize)
{
    LoadLeft(BitmapFile("g.bmp", 200, 100));
    LoadRight(BitmapFile("d.bmp", 100, 100));
    Compose();
    EXPECT_EQ(Recorder.BoxTexts(), "Résultat imprévisible...: Les deux images n'ont pas les même dimensions.\n");
    EXPECT_EQ(Recorder.Boxes[0].Icon, TMessageIcon::Exclamation);
    ASSERT_EQ(Recorder.ModalForms.size(), 1u);
    EXPECT_EQ(Result->IR->Picture().PixelWidth(), 200);
    const auto* result = static_cast<const TBitmap*>(Result->IR->Picture().Graphic());
    EXPECT_EQ(result->PeekPixels()->PixelAt(150, 50), (150u << 16) | 0xFFFF);
}

TEST_F(Workflow, PictureThatFailsToDrawShowsItsFailureAndNoResult)
{
    // A JPEG file that reads (its header is sound) but that the codec
    // refuses while decoding: a second frame header after the image data.
    TJPEGImage jpeg;
    jpeg.CopyFrom(Gradient(16, 16).get());
    TMemoryStream bytes;
    jpeg.WriteToStream(bytes);
    std::vector<unsigned char> file(bytes.Memory(), bytes.Memory() + bytes.ByteCount());
    size_t sof = 2;
    while (!(file[sof] == 0xFF && file[sof + 1] == 0xC0))
        ++sof;
    const size_t length = static_cast<size_t>(file[sof + 2] << 8 | file[sof + 3]);
    file.insert(file.end() - 2, file.begin() + static_cast<long>(sof), file.begin() + static_cast<long>(sof + 2 + length));
    WriteBytes(Dir.File("damaged.jpg"), file);

    // Hidden, the previews do not paint, so the first decode is the
    // composition's.
    Depart->hide();
    LoadLeft(BitmapFile("g.bmp", 16, 16));
    LoadRight(Dir.File("damaged.jpg"));
    ASSERT_TRUE(Depart->Pair.RightLoaded);
    Depart->calcul->Click(*Depart->calcul);
    ASSERT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Boxes[0].Text.rfind("Erreur JPEG #", 0), 0u);
    EXPECT_EQ(Recorder.Boxes[0].Icon, TMessageIcon::Stop);
    EXPECT_TRUE(Recorder.ModalForms.empty());
    EXPECT_EQ(Result->IR->Picture().Graphic(), nullptr);
}

// ---------------------------------------------------------------- saving

namespace {

class Saving : public Workflow {
protected:
    Saving()
    {
        LoadLeft(BitmapFile("g.bmp", 400, 300, 10));
        LoadRight(BitmapFile("d.bmp", 400, 300, 200));
        Compose();
    }
};

bool IsJpegFile(const std::vector<unsigned char>& bytes)
{
    return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

}  // namespace

TEST_F(Saving, JpegNamesInAnyCaseGiveJpegFiles)
{
    for (const std::string name : {"a.jpg", "b.JPG", "c.Jpg"}) {
        Save(Dir.File(name));
        ASSERT_TRUE(std::filesystem::exists(Dir.File(name))) << name;
        EXPECT_TRUE(IsJpegFile(ReadBytes(Dir.File(name)))) << name;
    }
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

TEST_F(Saving, BitmapNamesGiveThe32BitFileAtNaturalSize)
{
    for (const std::string name : {"a.bmp", "b.BMP"}) {
        Save(Dir.File(name), 2);
        const std::vector<unsigned char> bytes = ReadBytes(Dir.File(name));
        EXPECT_EQ(bytes.size(), 480054u) << name;
        EXPECT_EQ(bytes[28], 32);
    }
    EXPECT_EQ(Result->SP.FilterIndex, 2);
}

TEST_F(Saving, SavedJpegReloadsWithItsChannelsInPlace)
{
    Save(Dir.File("anaglyph.jpg"));
    TPicture reloaded;
    reloaded.ReadFromFile(Dir.File("anaglyph.jpg"));
    TBitmap drawn;
    drawn.SetPixelWidth(400);
    drawn.SetPixelHeight(300);
    drawn.Surface().DrawAt(0, 0, reloaded.Graphic());
    // Left's red rises to the right, right's blue is 200 everywhere.
    const uint32_t p = drawn.PeekPixels()->PixelAt(250, 20);
    EXPECT_NEAR(static_cast<int>((p >> 16) & 255), 250, 3);
    EXPECT_NEAR(static_cast<int>((p >> 8) & 255), 20, 3);
    EXPECT_NEAR(static_cast<int>(p & 255), 200, 3);
}

TEST_F(Saving, OtherNamesSaveNothingAndSaySo)
{
    for (const std::string name : {"a.png", "b.jpeg", "c.gif", "Mes.Images/photo"}) {
        Recorder.Boxes.clear();
        Save(Dir.File(name));
        ASSERT_EQ(Recorder.Boxes.size(), 1u) << name;
        EXPECT_EQ(Recorder.Boxes[0].Text,
                  "Rien n'a été enregistré : choisissez un nom de fichier se terminant par .jpg ou .bmp.");
        EXPECT_EQ(Recorder.Boxes[0].Caption, "TREMALU");
        EXPECT_EQ(Recorder.Boxes[0].Icon, TMessageIcon::Exclamation);
    }
    EXPECT_EQ(Dir.Entries(), (std::vector<std::string>{"d.bmp", "g.bmp"}));
}

TEST_F(Saving, CancelledDialogSavesNothing)
{
    Recorder.FileAnswer.reset();
    Result->SpeedButton2->Click(*Result->SpeedButton2);
    EXPECT_EQ(Dir.Entries(), (std::vector<std::string>{"d.bmp", "g.bmp"}));
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

TEST_F(Saving, FolderThatCannotBeWrittenGivesTheCreateFailureAndNoFile)
{
    const std::string target = Dir.File("absent/anaglyph.bmp");
    Save(target);
    EXPECT_EQ(Recorder.BoxTexts(), "TREMALU: Impossible de créer le fichier " + target + ".\n");
    EXPECT_EQ(Recorder.Boxes[0].Icon, TMessageIcon::Stop);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("absent")));
}

TEST_F(Saving, TheSaveDialogOffersJpegThenBitmap)
{
    EXPECT_EQ(Result->SP.Filter, "Fichier image JPEG (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp");
    EXPECT_EQ(Result->SP.DefaultExt, "jpg");
    EXPECT_TRUE(Result->SP.Options.count(TOpenOption::ofOverwritePrompt));
    EXPECT_TRUE(Result->SP.Options.count(TOpenOption::ofNoReadOnlyReturn));
}

// ---------------------------------------------------------------- animated GIF pictures

namespace {

// 40 x 30, two frames looping without end: red, then blue.
std::string AnimatedGif(const TempDir& dir)
{
    testing_support::GifWriter gif;
    gif.Header(40, 30, {0x000000, 0xFF0000, 0x0000FF}).Loop(0);
    gif.GraphicControl(1, 1).Image(0, 0, 40, 30, std::vector<uint8_t>(1200, 1));
    gif.GraphicControl(1, 1).Image(0, 0, 40, 30, std::vector<uint8_t>(1200, 2));
    WriteBytes(dir.File("anime.gif"), gif.Trailer().Bytes());
    return dir.File("anime.gif");
}

// Waits until the view has shown both frames.
bool Animates(QWidget& view)
{
    std::set<QRgb> seen;
    return QTest::qWaitFor([&] {
        seen.insert(testing_support::Snapshot(view).pixel(view.width() / 2, view.height() / 2));
        return seen.count(0xFFFF0000) == 1 && seen.count(0xFF0000FF) == 1;
    });
}

}  // namespace

TEST_F(Workflow, AnimatedGifAnimatesInItsPreviewUntilReplaced)
{
    LoadLeft(AnimatedGif(Dir));
    EXPECT_EQ(Depart->TG->CaptionText(), "40 x 30 pixels.");
    ASSERT_TRUE(Animates(*Depart->IG));
    LoadLeft(BitmapFile("g.bmp", 40, 30, 200));
    EXPECT_STREQ(Depart->IG->Picture().Graphic()->ClassName(), "TBitmap");
    QTest::qWait(50);  // a painter still running would paint into freed memory now
    EXPECT_EQ(testing_support::Snapshot(*Depart->IG).pixel(0, 0) & 0xFF, 200u);
}

TEST_F(Workflow, AnimatedGifComposesFromWhatItsPreviewShows)
{
    LoadLeft(AnimatedGif(Dir));
    LoadRight(AnimatedGif(Dir));
    ASSERT_TRUE(Animates(*Depart->IG));
    Compose();
    EXPECT_EQ(Recorder.BoxTexts(), "");
    const auto* result = static_cast<const TBitmap*>(Result->IR->Picture().Graphic());
    // Red from the left frame shown (red or blue), green and blue from the
    // right one.
    const uint32_t p = result->PeekPixels()->PixelAt(20, 15);
    EXPECT_TRUE((p & 0xFFFF00) == 0xFF0000 || (p & 0xFFFF00) == 0) << std::hex << p;
}

TEST_F(Workflow, ClosingTheProgramWithAnAnimationRunningEndsCleanly)
{
    LoadLeft(AnimatedGif(Dir));
    ASSERT_TRUE(Animates(*Depart->IG));
    QTimer::singleShot(0, Depart, [] { Depart->close(); });
    EXPECT_EQ(Application.Run(), 0);
}
