// The preview pane of the picture dialogs, driven through the real file
// dialog: what its label, button and paint box show for each kind of
// selection, its state from one run to the next, and the full-size preview
// window.
#include "raster/bitmap.h"
#include "file_dialog_driver.h"
#include "gif_builder.h"
#include "gui_helpers.h"
#include "image_view_widget.h"
#include "formats/gif/gif_image.h"
#include "formats/jpeg/jpeg_image.h"
#include "label.h"
#include "panel.h"
#include "dialogs/picture_dialogs.h"
#include "dialogs/preview_form.h"
#include "dialogs/preview_paint_box.h"
#include "dialogs/preview_pane.h"
#include "speed_button.h"
#include "temp_dir.h"

#include <QFileDialog>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

using namespace tremalu;
using testing_support::Pick;
using testing_support::PressCancel;
using testing_support::TFileDialogDriver;

namespace {

constexpr QRgb JpegBlue = 0xFF0000FF;
constexpr QRgb BitmapGreen = 0xFF00C000;
constexpr QRgb BitmapCorner = 0xFFFF0000;  // the bitmap's top-left pixel

// A w × h bitmap of one colour, its top-left pixel of another.
std::unique_ptr<TBitmap> PaintedBitmap(int w, int h, QRgb colour, QRgb corner)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetPixelWidth(w);
    bitmap->SetPixelHeight(h);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = bitmap->Row(y);
        for (int x = 0; x < w; ++x, row += 3) {
            const QRgb c = x == 0 && y == 0 ? corner : colour;
            row[0] = static_cast<uint8_t>(qBlue(c));
            row[1] = static_cast<uint8_t>(qGreen(c));
            row[2] = static_cast<uint8_t>(qRed(c));
        }
    }
    return bitmap;
}

bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 12 && std::abs(qGreen(a) - qGreen(b)) <= 12 &&
           std::abs(qBlue(a) - qBlue(b)) <= 12;
}

// The smallest rectangle holding every pixel of the image that is not of
// the background colour.
QRect InkBounds(const QImage& image, QRgb background)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// A copy of a JPEG file whose frame header claims 20000 × 20000 pixels:
// its header reads well, its pixels are too many to decode.
void WriteGiantJpeg(const std::string& from, const std::string& to)
{
    std::vector<unsigned char> bytes = testing_support::ReadBytes(from);
    for (size_t i = 0; i + 8 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            // Marker, length (2), precision (1), height (2), width (2).
            bytes[i + 5] = 0x4E, bytes[i + 6] = 0x20;
            bytes[i + 7] = 0x4E, bytes[i + 8] = 0x20;
            testing_support::WriteBytes(to, bytes);
            return;
        }
    }
    throw std::runtime_error("no baseline frame header in " + from);
}

// A folder of pictures made by our own writers, and a picture dialog that
// lists every file in it.
class PreviewPane : public ::testing::Test {
protected:
    PreviewPane()
    {
        const auto blue = PaintedBitmap(640, 480, JpegBlue, JpegBlue);
        TJPEGImage jpeg;
        jpeg.CopyFrom(blue.get());
        jpeg.WriteToFile(Dir.File("vacances.jpg"));
        PaintedBitmap(100, 50, BitmapGreen, BitmapCorner)->WriteToFile(Dir.File("petit.bmp"));
        WriteGiantJpeg(Dir.File("vacances.jpg"), Dir.File("geant.jpg"));
        std::ofstream(Dir.File("abime.jpg")) << "pas une image JPEG";
        std::ofstream(Dir.File("image.png")) << "x";
        std::ofstream(Dir.File("sans_extension")) << "x";
        std::filesystem::create_directory(Dir.File("Dossier"));
        Dialog.Filter = "Tous (*)|*";
        Dialog.InitialDir = Dir.Path();
    }

    TPicturePreviewPane& Pane() { return Dialog.PreviewPane(); }
    std::string Label() { return Pane().PictureLabel().CaptionText(); }
    bool ButtonOn() { return Pane().PreviewButton().isEnabled(); }
    QImage Painted() { return Pane().PaintBox().Render(); }
    QRgb Background() { return Pane().PaintBox().palette().color(QPalette::Window).rgb(); }

    // Runs the dialog, picking the named entry of the list, then acting,
    // then cancelling.
    void RunPicking(const QString& name, const std::function<void(QFileDialog&)>& act = {})
    {
        Driver.Drive = [&](QFileDialog& d) {
            ASSERT_TRUE(Pick(d, name));
            if (act)
                act(d);
            PressCancel(d);
        };
        Dialog.Run();
    }

    void ExpectNoPicture(const char* what)
    {
        EXPECT_EQ(Label(), "Image :") << what;
        EXPECT_FALSE(ButtonOn()) << what;
        EXPECT_EQ(Dialog.PreviewPicture().Graphic(), nullptr) << what;
    }

    void ExpectEmptyText(const QImage& painted)
    {
        // "(vide)" in the middle of the box, on its colour.
        const QRect ink = InkBounds(painted, Background());
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_NEAR(ink.center().x(), painted.width() / 2, 4);
        EXPECT_NEAR(ink.center().y(), painted.height() / 2, 4);
        EXPECT_LT(ink.width(), painted.width() / 2);
    }

    testing_support::TempDir Dir;
    TFileDialogDriver Driver;
    TPresenterOverride Installed{Driver};
    TOpenPictureDialog Dialog;
};

TEST_F(PreviewPane, IsLaidOutAtTheDialogsRightAndStartsEmpty)
{
    EXPECT_EQ(Pane().objectName(), "PicturePanel");
    EXPECT_EQ(Pane().size(), QSize(169, 200));
    EXPECT_EQ(Pane().PictureLabel().objectName(), "PictureLabel");
    EXPECT_EQ(Pane().PictureLabel().geometry(), QRect(6, 6, 157, 23));
    EXPECT_EQ(Label(), "");
    EXPECT_EQ(Pane().PaintPanel().geometry(), QRect(6, 29, 157, 145));
    EXPECT_EQ(Pane().PaintPanel().BevelOuter(), TPanel::bvLowered);
    EXPECT_EQ(Pane().PaintPanel().BevelInner(), TPanel::bvRaised);
    EXPECT_EQ(Pane().PaintBox().size(), QSize(153, 141));
    // The button over the label's right end, 2 pixels in from the paint
    // panel's right edge, with its glyph and its tooltip.
    TSpeedButton& button = Pane().PreviewButton();
    EXPECT_EQ(button.objectName(), "PreviewButton");
    EXPECT_EQ(button.geometry(), QRect(163 - 23 - 2, 1, 23, 22));
    ASSERT_NE(button.Glyph(), nullptr);
    EXPECT_EQ(button.Glyph()->PixelWidth(), 16);
    EXPECT_EQ(button.Glyph()->PixelHeight(), 16);
    EXPECT_EQ(button.toolTip(), QString::fromUtf8("Prévisualiser"));
    EXPECT_FALSE(ButtonOn());

    QRect paneInDialog, listInDialog;
    Driver.Drive = [&](QFileDialog& d) {
        paneInDialog = QRect(Pane().mapTo(&d, QPoint(0, 0)), Pane().size());
        // The folder tree and the file list, whichever view the list is in.
        QWidget* list = d.findChild<QWidget*>(QStringLiteral("splitter"));
        listInDialog = QRect(list->mapTo(&d, QPoint(0, 0)), list->size());
        PressCancel(d);
    };
    Dialog.Run();
    EXPECT_GT(paneInDialog.left(), listInDialog.right());
    // The pane goes back to the dialog object once the run is over.
    EXPECT_EQ(Pane().parent(), nullptr);
}

TEST_F(PreviewPane, LargeJpegIsStretchedFromTheTopLeftCorner)
{
    QImage painted;
    RunPicking(QStringLiteral("vacances.jpg"), [&](QFileDialog&) {
        painted = Painted();
        // What the box paints on the screen is that image.
        const QImage shown = testing_support::Snapshot(Pane().PaintBox());
        EXPECT_EQ(shown.pixel(10, 10), painted.pixel(10, 10));
        EXPECT_EQ(shown.pixel(10, 130), painted.pixel(10, 130));
    });
    EXPECT_EQ(Label(), " (640x480)");
    EXPECT_TRUE(ButtonOn());
    ASSERT_EQ(painted.size(), QSize(153, 141));
    // 153 × 115 at the top-left corner: MulDiv(480, 153, 640) = 114.75 → 115.
    EXPECT_TRUE(Near(painted.pixel(0, 0), JpegBlue));
    EXPECT_TRUE(Near(painted.pixel(152, 0), JpegBlue));
    EXPECT_TRUE(Near(painted.pixel(0, 114), JpegBlue));
    EXPECT_TRUE(Near(painted.pixel(152, 114), JpegBlue));
    EXPECT_EQ(painted.pixel(0, 115), Background());
    EXPECT_EQ(painted.pixel(152, 140), Background());
    EXPECT_EQ(InkBounds(painted, Background()), QRect(0, 0, 153, 115));
}

TEST_F(PreviewPane, SmallBitmapIsShownAtItsOwnSizeCentred)
{
    QImage painted;
    RunPicking(QStringLiteral("petit.bmp"), [&](QFileDialog&) { painted = Painted(); });
    EXPECT_EQ(Label(), " (100x50)");
    EXPECT_TRUE(ButtonOn());
    // (153 − 100) div 2 = 26, (141 − 50) div 2 = 45.
    EXPECT_EQ(InkBounds(painted, Background()), QRect(26, 45, 100, 50));
    EXPECT_EQ(painted.pixel(26, 45), BitmapCorner);
    EXPECT_EQ(painted.pixel(27, 45), BitmapGreen);
    EXPECT_EQ(painted.pixel(125, 94), BitmapGreen);
}

TEST_F(PreviewPane, FoldersUnknownKindsAndDamagedFilesShowNoPictureSilently)
{
    for (const char* name : {"Dossier", "image.png", "abime.jpg", "geant.jpg"}) {
        // A picture first, so that each case has something to take away.
        QImage painted;
        RunPicking(QStringLiteral("petit.bmp"), [&](QFileDialog& d) {
            ASSERT_TRUE(Pick(d, QString::fromUtf8(name)));
            painted = Painted();
        });
        ExpectNoPicture(name);
        ExpectEmptyText(painted);
        // No message: the driver would have recorded it.
        EXPECT_TRUE(Driver.Boxes.empty()) << name;
    }
}

TEST_F(PreviewPane, WhatIsNotARegularFileShowsNoPictureAtOnce)
{
    for (const std::string& name : testing_support::NonRegularPictureNames(Dir)) {
        Pane().ShowSelection(QString::fromStdString(Dir.File("petit.bmp")));
        Pane().ShowSelection(QString::fromStdString(name));
        ExpectNoPicture(name.c_str());
    }
    EXPECT_TRUE(Driver.Boxes.empty());
}

TEST_F(PreviewPane, NameWithoutExtensionGivesAnEmptyPictureThatCanBePreviewed)
{
    QImage painted;
    RunPicking(QStringLiteral("sans_extension"), [&](QFileDialog&) { painted = Painted(); });
    EXPECT_EQ(Label(), " (0x0)");
    EXPECT_TRUE(ButtonOn());
    ExpectEmptyText(painted);
}

TEST_F(PreviewPane, MissingFileShowsNoPicture)
{
    Pane().ShowSelection(QString::fromStdString(Dir.File("petit.bmp")));
    ASSERT_EQ(Label(), " (100x50)");
    Pane().ShowSelection(QString::fromStdString(Dir.File("parti.bmp")));
    ExpectNoPicture("missing");
    Pane().ShowSelection(QString());
    ExpectNoPicture("nothing selected");
}

TEST_F(PreviewPane, NextRunStartsWithoutPictureButKeepsTheLabelAndButton)
{
    RunPicking(QStringLiteral("vacances.jpg"));
    ASSERT_EQ(Label(), " (640x480)");
    std::string labelAtOpen;
    bool buttonAtOpen = false;
    QImage paintedAtOpen;
    Driver.Drive = [&](QFileDialog& d) {
        labelAtOpen = Label();
        buttonAtOpen = ButtonOn();
        paintedAtOpen = Painted();
        PressCancel(d);
    };
    Dialog.Run();
    EXPECT_EQ(labelAtOpen, " (640x480)");
    EXPECT_TRUE(buttonAtOpen);
    EXPECT_EQ(Dialog.PreviewPicture().Graphic(), nullptr);
    ExpectEmptyText(paintedAtOpen);
}

TEST_F(PreviewPane, SaveDialogShowsTheSamePreview)
{
    TSavePictureDialog save;
    save.DefaultExt = "jpg";
    save.Filter = "Fichier image JPEG (*.jpg)|*.jpg|Bitmaps (*.bmp)|*.bmp";
    save.InitialDir = Dir.Path();
    std::string label;
    Driver.Drive = [&](QFileDialog& d) {
        testing_support::ChooseType(d, 1);
        ASSERT_TRUE(Pick(d, QStringLiteral("petit.bmp")));
        label = save.PreviewPane().PictureLabel().CaptionText();
        PressCancel(d);
    };
    save.Run();
    EXPECT_EQ(label, " (100x50)");
}

TEST_F(PreviewPane, FullSizeWindowShowsThePictureAtItsOwnSizeThenStretched)
{
    Pane().ShowSelection(QString::fromStdString(Dir.File("petit.bmp")));
    bool checked = false;
    Driver.WhileModal = [&](TForm& form) {
        checked = true;
        testing_support::ShowWindow(form);
        EXPECT_EQ(form.objectName(), "PreviewForm");
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8("Prévisualiser"));
        auto& preview = static_cast<TPreviewForm&>(form);
        EXPECT_EQ(preview.Panel().objectName(), "Panel");
        EXPECT_EQ(preview.Image().objectName(), "Image");
        EXPECT_TRUE(preview.Image().Image().Stretch());
        // A copy of the picture, not the dialog's own.
        EXPECT_NE(preview.Image().Picture().Graphic(), Dialog.PreviewPicture().Graphic());
        EXPECT_EQ(preview.Image().Picture().PixelWidth(), 100);
        // Its own size inside the line and the 5-pixel border.
        EXPECT_EQ(preview.Image().size(), QSize(100, 50));
        EXPECT_EQ(preview.Image().mapTo(&form, QPoint(0, 0)), QPoint(6, 6));
        EXPECT_EQ(form.size(), QSize(112, 62));
        const QImage shown = testing_support::Snapshot(preview.Image());
        EXPECT_EQ(shown.pixel(0, 0), BitmapCorner);
        EXPECT_EQ(shown.pixel(99, 49), BitmapGreen);

        form.resize(312, 162);
        QTest::qWait(0);
        EXPECT_EQ(preview.Image().size(), QSize(300, 150));
        const QImage stretched = testing_support::Snapshot(preview.Image());
        EXPECT_EQ(stretched.pixel(2, 2), BitmapCorner);  // one pixel became 3 × 3
        EXPECT_EQ(stretched.pixel(3, 3), BitmapGreen);
        EXPECT_EQ(stretched.pixel(299, 149), BitmapGreen);
    };
    Pane().PreviewButton().Click(Pane().PreviewButton());
    EXPECT_TRUE(checked);
    ASSERT_EQ(Driver.ModalForms.size(), 1u);
}

TEST_F(PreviewPane, FullSizeWindowOfAnEmptyPictureKeepsItsFirstSize)
{
    Pane().ShowSelection(QString::fromStdString(Dir.File("sans_extension")));
    QSize first;
    Driver.WhileModal = [&](TForm& form) { first = form.size(); };
    Pane().PreviewButton().Click(Pane().PreviewButton());
    EXPECT_EQ(first, QSize(320, 240));
}

TEST_F(PreviewPane, ButtonClickAndPaintBoxDoubleClickOpenTheWindowThatEscapeClosesAlone)
{
    bool dialogOpenMeanwhile = false, closedByEscape = false;
    Driver.WhileModal = [&](TForm& form) {
        testing_support::ShowWindow(form);
        dialogOpenMeanwhile = form.parentWidget() != nullptr && form.parentWidget()->isVisible();
        QTest::keyClick(&form, Qt::Key_Escape);
        closedByEscape = !form.isVisible();
    };
    bool dialogOpenAfter = false;
    RunPicking(QStringLiteral("vacances.jpg"), [&](QFileDialog& d) {
        testing_support::ClickAt(Pane().PreviewButton(), QPoint(11, 11));
        EXPECT_EQ(Driver.ModalForms.size(), 1u);
        QTest::mouseDClick(&Pane().PaintBox(), Qt::LeftButton, Qt::NoModifier, QPoint(70, 70));
        EXPECT_EQ(Driver.ModalForms.size(), 2u);
        dialogOpenAfter = d.isVisible();
    });
    EXPECT_TRUE(dialogOpenMeanwhile);
    EXPECT_TRUE(closedByEscape);
    EXPECT_TRUE(dialogOpenAfter);
}

TEST_F(PreviewPane, DisabledButtonOpensNothing)
{
    RunPicking(QStringLiteral("image.png"), [&](QFileDialog&) {
        testing_support::ClickAt(Pane().PreviewButton(), QPoint(11, 11));
    });
    EXPECT_TRUE(Driver.ModalForms.empty());
}

}  // namespace

TEST_F(PreviewPane, AnimatedGifAnimatesOverTheBoxColourUntilAnotherFileIsPicked)
{
    // 100 x 50, two frames looping without end: red, then blue, both with
    // a transparent pixel at (0, 0).
    testing_support::GifWriter gif;
    gif.Header(100, 50, {0x000000, 0xFF0000, 0x0000FF}).Loop(0);
    std::vector<uint8_t> red(5000, 1), blue(5000, 2);
    red[0] = blue[0] = 0;
    gif.GraphicControl(1, 1, 0).Image(0, 0, 100, 50, red).GraphicControl(1, 1, 0).Image(0, 0, 100, 50, blue);
    testing_support::WriteBytes(Dir.File("anime.gif"), gif.Trailer().Bytes());

    std::set<QRgb> seen;
    QRgb corner = 0;
    Driver.Drive = [&](QFileDialog& d) {
        ASSERT_TRUE(Pick(d, QStringLiteral("anime.gif")));
        // At its own size, centred: (26, 45) to (126, 95).
        EXPECT_TRUE(QTest::qWaitFor([&] {
            seen.insert(Painted().pixel(60, 70));
            return seen.size() >= 2;
        }));
        corner = Painted().pixel(26, 45);
        ASSERT_TRUE(Pick(d, QStringLiteral("petit.bmp")));
        PressCancel(d);
    };
    Dialog.Run();
    EXPECT_EQ(seen, (std::set<QRgb>{0xFFFF0000, 0xFF0000FF}));
    EXPECT_EQ(corner, Background()) << "frame 1 is drawn over what the box shows";
    EXPECT_EQ(Label(), " (100x50)");
    EXPECT_STREQ(Dialog.PreviewPicture().Graphic()->ClassName(), "TBitmap");
    QTest::qWait(50);  // a painter still running would paint into freed memory now
}

TEST_F(PreviewPane, AnimatedGifStopsAnimatingWhenTheDialogIsCancelled)
{
    testing_support::GifWriter gif;
    gif.Header(40, 20, {0x000000, 0xFF0000, 0x0000FF}).Loop(0);
    const std::vector<uint8_t> red(800, 1), blue(800, 2);
    gif.GraphicControl(1, 5).Image(0, 0, 40, 20, red).GraphicControl(1, 5).Image(0, 0, 40, 20, blue);
    testing_support::WriteBytes(Dir.File("anime.gif"), gif.Trailer().Bytes());
    const auto previewed = [&] { return dynamic_cast<TGIFImage*>(Dialog.PreviewPicture().Graphic()); };

    Driver.Drive = [&](QFileDialog& d) {
        ASSERT_TRUE(Pick(d, QStringLiteral("anime.gif")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return previewed() != nullptr && previewed()->DrawPainter() != nullptr; }));
        PressCancel(d);
    };
    Dialog.Run();
    ASSERT_NE(previewed(), nullptr) << "the dialog keeps its last preview";
    EXPECT_EQ(previewed()->DrawPainter(), nullptr);
    EXPECT_EQ(previewed()->PainterCount(), 0u);
    // Nothing starts it again while the dialog is closed.
    QTest::qWait(60);
    EXPECT_EQ(previewed()->PainterCount(), 0u);
}
