// Pictures that reach the image-choice window without its open dialog:
// named on the command line or dropped onto a preview frame (real drag and
// drop events sent to the frame). Each must load exactly as the dialog's
// choice does, and drops are refused before the title click and for
// anything that is not local files.
#include "application.h"
#include "gui_helpers.h"
#include "raster/bitmap.h"
#include "recording_presenter.h"
#include "temp_dir.h"
#include "unit1.h"
#include "unit2.h"
#include "unit3.h"

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
    static bool DragOver(QWidget& frame, const QList<QUrl>& urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(150, 150), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&frame, &enter);
        QDragMoveEvent move(QPoint(160, 160), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
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

    std::string Boxes() const
    {
        std::string all;
        for (const TMessageBoxRequest& box : Recorder.Boxes)
            all += box.Caption + ": " + box.Text + "\n";
        return all;
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
    EXPECT_EQ(Boxes(), GetParam().Damaged ? "TREMALU: Image bitmap incorrecte.\n" : "");
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
    EXPECT_EQ(Boxes(), "TREMALU: Image bitmap incorrecte.\n");
    EXPECT_TRUE(Depart->Pair.LeftLoaded && Depart->Pair.RightLoaded);
    EXPECT_TRUE(Depart->ptitre->isVisible());
    EXPECT_FALSE(Depart->ChargeG->isEnabled());
    EXPECT_EQ(Depart->Info->CaptionText(), depart_texts::Invitation);
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
    EXPECT_EQ(Boxes(), "");
}

TEST_F(OutsidePictures, ADropOfferedOnlyAsAMoveIsRefusedSoTheSourceKeepsItsFile)
{
    const std::string file = Picture("g.bmp", 50, 50);
    ClickTitle();
    EXPECT_EQ(Drop(*Depart->Panel1, Files({file}), Qt::MoveAction), Qt::IgnoreAction);
    EXPECT_FALSE(Depart->Pair.LeftLoaded);
}

struct RefusedDrop {
    const char* Name;
    bool TitleClicked;
    std::vector<const char*> Urls;  // "local:NAME" for a file of the test's folder
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
        EXPECT_FALSE(DragOver(*frame, urls));
        EXPECT_EQ(Drop(*frame, urls), Qt::IgnoreAction);
    }
    EXPECT_FALSE(Depart->Pair.LeftLoaded);
    EXPECT_FALSE(Depart->Pair.RightLoaded);
    EXPECT_EQ(Boxes(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedDrops,
    ::testing::Values(RefusedDrop{"BeforeTheTitleClick", false, {"local:g.bmp"}},
                      RefusedDrop{"RemoteFile", true, {"https://example.org/g.bmp"}},
                      RefusedDrop{"LocalAndRemoteTogether", true, {"local:g.bmp", "sftp://hote/d.bmp"}},
                      RefusedDrop{"ThreeFiles", true, {"local:g.bmp", "local:g.bmp", "local:g.bmp"}},
                      RefusedDrop{"NoFileAtAll", true, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
