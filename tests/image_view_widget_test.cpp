// The image view widget: the picture drawn through our own drawing, sizes
// kept in step with the model, repaints on every change, and artwork read
// through our BMP reader.
#include "raster/bitmap.h"
#include "core/errors.h"
#include "form.h"
#include "gui_helpers.h"
#include "image_view_widget.h"
#include "panel.h"
#include "resource_bitmap.h"
#include "temp_dir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

using namespace tremalu;
using testing_support::PixelAt;
using testing_support::Snapshot;

namespace {

// A bitmap of the given colours, row by row.
void SetPicture(TImageView& view, const std::vector<std::vector<TColor>>& rows)
{
    TBitmap bitmap;
    bitmap.SetPixelWidth(static_cast<int32_t>(rows[0].size()));
    bitmap.SetPixelHeight(static_cast<int32_t>(rows.size()));
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x) {
            bitmap.Surface().Brush().SetColor(rows[y][x]);
            bitmap.Surface().FillRectangle(Bounds(static_cast<int32_t>(x), static_cast<int32_t>(y), 1, 1));
        }
    view.Picture().SetGraphic(&bitmap);
}

QColor Colour(TColor c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

// A view inside a panel of a known colour, so that what the picture does
// not cover can be told apart.
class ImageViewWidget : public ::testing::Test {
protected:
    ImageViewWidget()
    {
        Form.resize(300, 300);
        Form.Loaded();
        Frame = new TPanel(&Form);
        Frame->setBevelOuter(TPanel::bvNone);
        Frame->setGeometry(0, 0, 300, 300);
        QPalette teal = Frame->palette();
        teal.setColor(QPalette::Window, Colour(clTeal));
        Frame->setPalette(teal);
        View = new TImageView(Frame);
        View->SetBounds(8, 8, 4, 4);
    }

    TForm Form;
    TPanel* Frame;
    TImageView* View;
};

}  // namespace

TEST_F(ImageViewWidget, StretchesNearestNeighbourWithoutBlending)
{
    SetPicture(*View, {{clRed, clLime}, {clBlue, clWhite}});
    View->setStretch(true);
    const QImage shown = Snapshot(*View);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const TColor expected = y < 2 ? (x < 2 ? clRed : clLime) : (x < 2 ? clBlue : clWhite);
            EXPECT_EQ(PixelAt(shown, x, y), Colour(expected)) << x << "," << y;
        }
    // Shrinking drops whole rows and columns: 3 × 1 into 2 × 1 keeps columns 0 and 1.
    SetPicture(*View, {{clRed, clLime, clBlue}});
    View->SetBounds(8, 8, 2, 1);
    const QImage small = Snapshot(*View);
    EXPECT_EQ(PixelAt(small, 0, 0), Colour(clRed));
    EXPECT_EQ(PixelAt(small, 1, 0), Colour(clLime));
}

TEST_F(ImageViewWidget, PictureSmallerThanTheViewLeavesTheParentVisible)
{
    View->SetBounds(8, 8, 10, 10);
    SetPicture(*View, {{clRed, clRed, clRed}, {clRed, clRed, clRed}, {clRed, clRed, clRed}});
    QImage shown = Frame->grab(View->geometry()).toImage();
    EXPECT_EQ(PixelAt(shown, 0, 0), Colour(clRed));
    EXPECT_EQ(PixelAt(shown, 2, 2), Colour(clRed));
    EXPECT_EQ(PixelAt(shown, 3, 3), Colour(clTeal));
    View->setCenter(true);
    shown = Frame->grab(View->geometry()).toImage();
    EXPECT_EQ(PixelAt(shown, 2, 2), Colour(clTeal));
    EXPECT_EQ(PixelAt(shown, 3, 3), Colour(clRed));
    EXPECT_EQ(PixelAt(shown, 5, 5), Colour(clRed));
    EXPECT_EQ(PixelAt(shown, 6, 6), Colour(clTeal));
}

TEST_F(ImageViewWidget, TransparentPictureShowsTheParentThroughItsKeyColour)
{
    View->SetBounds(8, 8, 2, 2);
    // The bottom-left pixel (white) is the key.
    SetPicture(*View, {{clRed, clWhite}, {clWhite, clBlue}});
    View->setTransparent(true);
    const QImage shown = Frame->grab(View->geometry()).toImage();
    EXPECT_EQ(PixelAt(shown, 0, 0), Colour(clRed));
    EXPECT_EQ(PixelAt(shown, 1, 0), Colour(clTeal));
    EXPECT_EQ(PixelAt(shown, 1, 1), Colour(clBlue));
}

TEST_F(ImageViewWidget, EveryPictureChangeRepaintsTheView)
{
    View->SetBounds(8, 8, 20, 20);
    SetPicture(*View, {{clRed}});
    View->setStretch(true);
    testing_support::ShowWindow(Form);
    int paints = 0;
    struct PaintCounter : QObject {
        int& Count;
        explicit PaintCounter(int& count) : Count(count) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++Count;
            return false;
        }
    } counter(paints);
    View->installEventFilter(&counter);
    QCoreApplication::processEvents();
    paints = 0;
    // Drawing into the picture's own surface is a change too.
    View->Image().Surface().Brush().SetColor(clBlue);
    View->Image().Surface().FillRectangle({0, 0, 1, 1});
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > 0; }));
    EXPECT_EQ(PixelAt(Snapshot(*View), 10, 10), Colour(clBlue));
    paints = 0;
    SetPicture(*View, {{clLime}});
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints > 0; }));
    View->removeEventFilter(&counter);
    Form.hide();
}

TEST_F(ImageViewWidget, AutoSizeMovesTheWidgetWithThePicture)
{
    View->SetBounds(10, 10, 289, 289);
    View->setAutoSize(true);
    EXPECT_EQ(View->geometry(), QRect(10, 10, 0, 0));
    TBitmap big;
    big.SetPixelWidth(640);
    big.SetPixelHeight(480);
    View->Picture().SetGraphic(&big);
    EXPECT_EQ(View->geometry(), QRect(10, 10, 640, 480));
    // Bounds asked through the widget keep the picture's size.
    View->setGeometry(QRect(1, 2, 30, 40));
    EXPECT_EQ(View->geometry(), QRect(1, 2, 640, 480));
    EXPECT_EQ(View->Image().BoundsRect(), Bounds(1, 2, 640, 480));
}

TEST_F(ImageViewWidget, GeometryChangedThroughQtReachesTheModel)
{
    testing_support::ShowWindow(Form);
    QWidget* asQt = View;
    asQt->setGeometry(20, 30, 40, 50);
    EXPECT_EQ(View->Image().BoundsRect(), Bounds(20, 30, 40, 50));
    Form.hide();
}

TEST_F(ImageViewWidget, ReportsClicksAndMoves)
{
    View->SetBounds(8, 8, 50, 50);
    testing_support::ShowWindow(Form);
    int clicks = 0;
    QPoint moved;
    View->OnClick = [&](QObject&) { ++clicks; };
    View->OnMouseMove = [&](QObject&, int x, int y) { moved = QPoint(x, y); };
    testing_support::ClickAt(*View, QPoint(7, 9));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(moved, QPoint(7, 9));
    Form.hide();
}

TEST(ArtworkFiles, AreReadThroughOurBmpReader)
{
    testing_support::TempDir dir;
    // A 1 × 1 24-bit BMP file: file header, info header, one padded pixel.
    const unsigned char oneRedPixel[] = {
        'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,          // file header
        40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,        // size, width, height, planes, bits
        0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 255, 0,                                            // blue, green, red, padding
    };
    std::ofstream(dir.File("red.bmp"), std::ios::binary)
        .write(reinterpret_cast<const char*>(oneRedPixel), sizeof oneRedPixel);
    const auto bitmap = LoadResourceBitmap(QString::fromStdString(dir.File("red.bmp")));
    EXPECT_EQ(bitmap->PixelWidth(), 1);
    EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::pf24bit);

    TImageView view;
    view.setPictureFile(QString::fromStdString(dir.File("red.bmp")));
    EXPECT_EQ(view.Picture().PixelWidth(), 1);

    try {
        LoadResourceBitmap(":/nothing/here.bmp");
        FAIL() << "no failure";
    } catch (const EFOpenError& failure) {
        EXPECT_EQ(failure.message(), "Impossible d'ouvrir le fichier :/nothing/here.bmp");
    }
    std::ofstream(dir.File("short.bmp"), std::ios::binary).write("BM", 2);
    EXPECT_THROW(LoadResourceBitmap(QString::fromStdString(dir.File("short.bmp"))), EReadError);
}
