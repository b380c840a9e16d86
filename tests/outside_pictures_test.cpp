// Pictures that reach the image-choice window without its open dialog:
// named on the command line or dropped onto a preview frame (real drag and
// drop events sent to the frame). Each must load exactly as the dialog's
// choice does, and drops are refused before the title click and for
// anything that is not local files.
#include "application.h"
#include "stereo/draw_on_white.h"
#include "formats/jpeg/jpeg_image.h"
#include "gui_helpers.h"
#include "mpo_builder.h"
#include "picture_bytes.h"
#include "raster/bitmap.h"
#include "recording_presenter.h"
#include "temp_dir.h"
#include "image_choice_window.h"
#include "result_window.h"
#include "help_window.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::ClickAt;
using testing_support::ShowWindow;
using testing_support::TempDir;
using testing_support::TRecordingPresenter;

namespace {

class OutsidePictures : public ::testing::Test {
protected:
    OutsidePictures()
    {
        Application.SetTitle("TREMALU");
        Application.CreateForm(Depart);
        Application.CreateForm(Result);
        Application.CreateForm(Faide);
        ShowWindow(*Depart);
    }
    ~OutsidePictures() override
    {
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
    }

    std::string Picture(const std::string& name, int32_t w, int32_t h)
    {
        TBitmap bitmap;
        bitmap.SetPixelWidth(w);
        bitmap.SetPixelHeight(h);
        bitmap.WriteToFile(Dir.File(name));
        return Dir.File(name);
    }
    std::string Damaged(const std::string& name)
    {
        testing_support::WriteBytes(Dir.File(name), std::vector<unsigned char>(80, 'Z'));
        return Dir.File(name);
    }

    void ClickTitle() { ClickAt(*Depart->titre, QPoint(260, 100)); }

    // A drag of urls over frame, as the window system delivers it: entering,
    // then moving; whether the frame takes it.
    static bool DragOver(QWidget& frame, const QList<QUrl>& urls,
                         Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(150, 150), possible, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &enter);
        QDragMoveEvent move(QPoint(160, 160), possible, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &move);
        EXPECT_EQ(enter.isAccepted(), move.isAccepted());
        return move.isAccepted();
    }
    // A drag that enters the frame and is dropped there at once; the
    // loading runs from the event loop once the drop is over. Returns the
    // action the source is told (IgnoreAction for a refusal).
    static Qt::DropAction Drop(QWidget& frame, const QList<QUrl>& urls,
                               Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(150, 150), possible, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &enter);
        QDropEvent drop(QPointF(150, 150), possible, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &drop);
        QCoreApplication::processEvents();
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }
    static QList<QUrl> Files(std::initializer_list<std::string> paths)
    {
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
        return urls;
    }

    TempDir Dir;
    TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
    TApplication Application;
};

// ------------------------------------------- the same as the dialog's choice

enum class TWay { Dialog, CommandLine, DropOnLeftFrame };

struct OutsideCase {
    const char* Name;
    TWay Way;
    bool Damaged;
};

class LoadingFromOutside : public OutsidePictures, public ::testing::WithParamInterface<OutsideCase> {
protected:
    void Load(const std::string& file)
    {
        switch (GetParam().Way) {
        case TWay::Dialog:
            ClickTitle();
            Recorder.FileAnswer = TFileChoice{file, 1};
            ClickAt(*Depart->ChargeG, QPoint(16, 16));
            break;
        case TWay::CommandLine: {
            // Named relative to the directory the program was started in.
            testing_support::TWorkingDirectory cwd(Dir.Path());
            Depart->OpenPictures(CommandLinePictures({file.substr(Dir.Path().size() + 1)}));
            break;
        }
        case TWay::DropOnLeftFrame:
            ClickTitle();
            ASSERT_EQ(Drop(*Depart->Panel1, Files({file})), Qt::CopyAction);
            break;
        }
    }
};

TEST_P(LoadingFromOutside, GivesTheDialogsLabelsStateAndFailures)
{
    const std::string good = Picture("gauche.bmp", 400, 300);
    const std::string file = GetParam().Damaged ? Damaged("abimee.bmp") : good;
    if (GetParam().Damaged) {
        // A side already showing a picture keeps it after a failed load.
        Depart->OpenPictures({{TPairSide::Left, good}});
    }
    Load(file);

    EXPECT_EQ(Recorder.FileDialogs, GetParam().Way == TWay::Dialog ? 1 : 0);
    EXPECT_EQ(Recorder.BoxTexts(), GetParam().Damaged ? "TREMALU: Image bitmap incorrecte.\n" : "");
    EXPECT_EQ(Depart->OP.FileName, file);
    EXPECT_EQ(Depart->Pair.LeftFileName, file);
    EXPECT_EQ(Depart->FG->Caption().toStdString(), good);
    EXPECT_EQ(Depart->TG->Caption(), "400 x 300 pixels.");
    EXPECT_TRUE(Depart->Pair.LeftLoaded);
    EXPECT_EQ(Depart->IG->geometry(), QRect(7, 43, 290, 218));
    EXPECT_FALSE(Depart->Pair.RightLoaded);
    EXPECT_TRUE(Depart->FD->Caption().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Ways, LoadingFromOutside,
                         ::testing::Values(OutsideCase{"Dialog", TWay::Dialog, false},
                                           OutsideCase{"DialogDamaged", TWay::Dialog, true},
                                           OutsideCase{"CommandLine", TWay::CommandLine, false},
                                           OutsideCase{"CommandLineDamaged", TWay::CommandLine, true},
                                           OutsideCase{"Drop", TWay::DropOnLeftFrame, false},
                                           OutsideCase{"DropDamaged", TWay::DropOnLeftFrame, true}),
                         [](const auto& info) { return std::string(info.param.Name); });

// ----------------------------------------------------------- command line

TEST_F(OutsidePictures, TwoNamesLoadBothSidesAndTheTitleStillWaits)
{
    const std::string left = Picture("g.bmp", 50, 50);
    const std::string right = Picture("d.bmp", 60, 40);
    Depart->OpenPictures(CommandLinePictures({left, Damaged("x.bmp"), right}));
    Depart->OpenPictures(CommandLinePictures({"", right, left}));
    EXPECT_EQ(Depart->FG->Caption().toStdString(), left);
    EXPECT_EQ(Depart->FD->Caption().toStdString(), right);
    EXPECT_EQ(Depart->TD->Caption(), "60 x 40 pixels.");
    // The damaged RIGHT picture was reported, then replaced by the second run.
    EXPECT_EQ(Recorder.BoxTexts(), "TREMALU: Image bitmap incorrecte.\n");
    EXPECT_TRUE(Depart->Pair.LeftLoaded && Depart->Pair.RightLoaded);
    EXPECT_TRUE(Depart->ptitre->isVisible());
    EXPECT_FALSE(Depart->ChargeG->isEnabled());
    EXPECT_EQ(Depart->Info->CaptionText(), depart_texts::Invitation);
}

// -------------------------------------------------- a stereo camera's file

// A JPEG picture of w x h whose columns left of split are one colour and the
// others another (0x00RRGGBB).
std::vector<uint8_t> JpegBytes(const TempDir& dir, int32_t w, int32_t h, int32_t split, uint32_t left, uint32_t right)
{
    TJPEGImage jpeg;
    jpeg.CopyFrom(testing_support::PaintedBitmap(w, h, [&](int32_t x, int32_t) { return x < split ? left : right; })
                      .get());
    jpeg.WriteToFile(dir.File("part.jpg"));
    const std::vector<unsigned char> bytes = testing_support::ReadBytes(dir.File("part.jpg"));
    return {bytes.begin(), bytes.end()};
}

// The colour at the centre of a side's picture as drawn, each channel
// rounded to 0 or 255 (JPEG leaves solid colours nearly as they were).
uint32_t CentreColour(TImageView& view)
{
    TGraphic* graphic = view.Picture().Graphic();
    const std::unique_ptr<TBitmap> drawn = DrawOnWhite(graphic, graphic->PixelWidth(), graphic->PixelHeight());
    const uint32_t pixel = drawn->PeekPixels()->PixelAt(graphic->PixelWidth() / 2, graphic->PixelHeight() / 2);
    uint32_t rounded = 0;
    for (int shift : {0, 8, 16})
        rounded |= ((pixel >> shift & 0xFF) >= 128 ? 0xFFu : 0u) << shift;
    return rounded;
}

constexpr uint32_t Red = 0xFF0000, Blue = 0x0000FF;

TEST_F(OutsidePictures, AStereoCamerasFileAloneFillsBothSides)
{
    // MPO: the first image is the LEFT eye's.
    testing_support::WriteBytes(Dir.File("paire.MPO"), [&] {
        const auto mpo = testing_support::BuildMpo({.Images = {JpegBytes(Dir, 40, 30, 40, Red, Red), JpegBytes(Dir, 40, 30, 40, Blue, Blue)}, .BigEndian = true, .Parallax = std::nullopt});
        return std::vector<unsigned char>(mpo.begin(), mpo.end());
    }());
    Depart->OpenPictures(CommandLinePictures({Dir.File("paire.MPO")}));
    EXPECT_EQ(Recorder.BoxTexts(), "");
    EXPECT_EQ(Depart->FG->Caption().toStdString(), Dir.File("paire.MPO"));
    EXPECT_EQ(Depart->FD->Caption().toStdString(), Dir.File("paire.MPO"));
    EXPECT_EQ(Depart->OP.FileName, Dir.File("paire.MPO"));
    EXPECT_EQ(Depart->TG->Caption(), "40 x 30 pixels.");
    EXPECT_EQ(CentreColour(*Depart->IG), Red);
    EXPECT_EQ(CentreColour(*Depart->ID), Blue);

    // JPS dropped onto one frame: side by side, the RIGHT eye's on the left.
    ClickTitle();
    const auto jps = JpegBytes(Dir, 80, 30, 40, Blue, Red);
    testing_support::WriteBytes(Dir.File("paire.jps"), std::vector<unsigned char>(jps.begin(), jps.end()));
    EXPECT_EQ(Drop(*Depart->Panel2, Files({Dir.File("paire.jps")})), Qt::CopyAction);
    EXPECT_EQ(Recorder.BoxTexts(), "");
    EXPECT_EQ(Depart->FG->Caption().toStdString(), Dir.File("paire.jps"));
    EXPECT_EQ(Depart->TD->Caption(), "40 x 30 pixels.");
    EXPECT_EQ(CentreColour(*Depart->IG), Red);
    EXPECT_EQ(CentreColour(*Depart->ID), Blue);

    // Named with another picture, it is one side's picture like any other.
    const std::string other = Picture("autre.bmp", 10, 10);
    Depart->OpenPictures(CommandLinePictures({Dir.File("paire.MPO"), other}));
    EXPECT_EQ(Recorder.BoxTexts(), "TREMALU: Extension de fichier graphique inconnue (.MPO)\n");
}

// ------------------------------------------------------------------ drops

TEST_F(OutsidePictures, TwoFilesDroppedOnEitherFrameLoadLeftThenRight)
{
    const std::string first = Picture("premiere.bmp", 50, 50);
    const std::string second = Picture("seconde.bmp", 60, 40);
    ClickTitle();
    ASSERT_TRUE(DragOver(*Depart->Panel2, Files({first, second})));
    EXPECT_EQ(Drop(*Depart->Panel2, Files({first, second})), Qt::CopyAction);
    EXPECT_EQ(Depart->FG->Caption().toStdString(), first);
    EXPECT_EQ(Depart->FD->Caption().toStdString(), second);
    // One file on the right frame loads the right side only.
    EXPECT_EQ(Drop(*Depart->Panel2, Files({first})), Qt::CopyAction);
    EXPECT_EQ(Depart->FD->Caption().toStdString(), first);
    EXPECT_EQ(Depart->FG->Caption().toStdString(), first);
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

struct RefusedDrop {
    const char* Name;
    bool TitleClicked;
    std::vector<const char*> Urls;  // "local:NAME" for a file of the test's folder
    // Offered only as a move, a drop taken would tell the source to delete
    // the file.
    Qt::DropActions Possible = Qt::CopyAction | Qt::MoveAction;
};

class RefusedDrops : public OutsidePictures, public ::testing::WithParamInterface<RefusedDrop> {};

TEST_P(RefusedDrops, AreNotTakenAndLoadNothing)
{
    Picture("g.bmp", 50, 50);
    QList<QUrl> urls;
    for (const std::string url : GetParam().Urls)
        urls.append(url.starts_with("local:") ? QUrl::fromLocalFile(QString::fromStdString(Dir.File(url.substr(6))))
                                              : QUrl(QString::fromStdString(url)));
    if (GetParam().TitleClicked)
        ClickTitle();
    for (QWidget* frame : {static_cast<QWidget*>(Depart->Panel1), static_cast<QWidget*>(Depart->Panel2)}) {
        EXPECT_FALSE(DragOver(*frame, urls, GetParam().Possible));
        EXPECT_EQ(Drop(*frame, urls, GetParam().Possible), Qt::IgnoreAction);
    }
    EXPECT_FALSE(Depart->Pair.LeftLoaded);
    EXPECT_FALSE(Depart->Pair.RightLoaded);
    EXPECT_EQ(Recorder.BoxTexts(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedDrops,
    ::testing::Values(RefusedDrop{"BeforeTheTitleClick", false, {"local:g.bmp"}},
                      RefusedDrop{"RemoteFile", true, {"https://example.org/g.bmp"}},
                      RefusedDrop{"LocalAndRemoteTogether", true, {"local:g.bmp", "sftp://hote/d.bmp"}},
                      RefusedDrop{"ThreeFiles", true, {"local:g.bmp", "local:g.bmp", "local:g.bmp"}},
                      RefusedDrop{"NoFileAtAll", true, {}},
                      RefusedDrop{"OnlyAsAMove", true, {"local:g.bmp"}, Qt::MoveAction}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
