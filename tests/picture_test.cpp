#include "raster/bitmap.h"
#include "core/errors.h"
#include "core/format_registry.h"
#include "core/ole_graphic.h"
#include "core/streams.h"
#include "temp_dir.h"
#include "test_kinds.h"

#include <gtest/gtest.h>

using namespace tremalu;
using testing_support::TempDir;
using testing_support::TestGraphicFile;
using testing_support::TTestGraphic;
using testing_support::WriteBytes;

TEST(PictureExtension, TakesTheTextAfterTheLastDotOfTheName)
{
    EXPECT_EQ(ExtractPictureExtension("/home/me/photo.JPG"), "JPG");
    EXPECT_EQ(ExtractPictureExtension("photo.tar.gz"), "gz");
    EXPECT_EQ(ExtractPictureExtension("/home/me/Mes.Images/photo"), "");
    EXPECT_EQ(ExtractPictureExtension("C:\\Mes.Images\\photo"), "");
    EXPECT_EQ(ExtractPictureExtension("C:photo"), "");
    EXPECT_EQ(ExtractPictureExtension("photo."), "");
    EXPECT_EQ(ExtractPictureExtension("été.Bmp"), "Bmp");
}

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterFormat("tst", "Test", TTestGraphic::StaticClass());
        Picture.OnChange = [this](TObject& sender) {
            EXPECT_EQ(&sender, &Picture);
            ++Changes;
        };
    }
    void TearDown() override { UnregisterKind(TTestGraphic::StaticClass()); }

    std::string TestFile(const std::string& name, int32_t w, int32_t h, TColor c)
    {
        const std::string path = Dir.File(name);
        WriteBytes(path, TestGraphicFile(w, h, c));
        return path;
    }

    TempDir Dir;
    TPicture Picture;
    int Changes = 0;
};

TEST_F(PictureTest, LoadsByExtensionWhateverItsCase)
{
    Picture.ReadFromFile(TestFile("A.TsT", 7, 3, clRed));
    ASSERT_NE(Picture.Graphic(), nullptr);
    EXPECT_STREQ(Picture.Graphic()->ClassName(), "TTestGraphic");
    EXPECT_EQ(Picture.PixelWidth(), 7);
    EXPECT_EQ(Picture.PixelHeight(), 3);
    EXPECT_EQ(Changes, 1);
}

TEST_F(PictureTest, UnknownExtensionIsReportedAsWrittenBeforeAnyFileIsOpened)
{
    Picture.ReadFromFile(TestFile("keep.tst", 2, 2, clRed));
    Changes = 0;
    for (const std::string name : {"/absent/photo.png", "/absent/photo.TIFF"}) {
        try {
            Picture.ReadFromFile(name);
            FAIL();
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()), "Extension de fichier graphique inconnue (." + ExtractPictureExtension(name) + ")");
        }
    }
    EXPECT_EQ(Picture.PixelWidth(), 2);
    EXPECT_EQ(Changes, 0);
}

TEST_F(PictureTest, MissingFileNamesTheFileAsPassed)
{
    try {
        Picture.ReadFromFile("/absent/./photo.tst");
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'ouvrir le fichier /absent/./photo.tst");
    }
}

TEST_F(PictureTest, DamagedFileLeavesThePreviousPictureAndListenersUntouched)
{
    Picture.ReadFromFile(TestFile("good.tst", 5, 6, clRed));
    TGraphic* before = Picture.Graphic();
    Changes = 0;
    WriteBytes(Dir.File("bad.tst"), {'B', 'A', 'D', '!', 0, 0, 0, 0});
    EXPECT_THROW(Picture.ReadFromFile(Dir.File("bad.tst")), EInvalidGraphic);
    EXPECT_EQ(Picture.Graphic(), before);
    EXPECT_EQ(Changes, 0);
    // The kept picture still reports its changes through the container.
    Picture.Graphic()->SetPixelWidth(9);
    EXPECT_EQ(Changes, 1);
}

TEST_F(PictureTest, NameWithoutExtensionGivesAnEmptyOlePictureWithoutReadingAFile)
{
    for (const std::string name : {"/absent/Mes.Images/photo", "/absent/photo."}) {
        Picture.ReadFromFile(name);
        ASSERT_NE(Picture.Graphic(), nullptr);
        EXPECT_STREQ(Picture.Graphic()->ClassName(), "TOleGraphic");
        EXPECT_TRUE(Picture.Graphic()->IsEmpty());
        EXPECT_EQ(Picture.PixelWidth(), 0);
        EXPECT_EQ(Picture.PixelHeight(), 0);
        try {
            Picture.Graphic()->SetPixelWidth(3);
            FAIL();
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_STREQ(e.what(), "Opération incorrecte sur TOleGraphic");
        }
    }
}

TEST_F(PictureTest, ChangesOfTheHeldPictureReachTheContainer)
{
    Picture.ReadFromFile(TestFile("a.tst", 1, 1, clRed));
    Changes = 0;
    Picture.Graphic()->SetPixelHeight(4);
    Picture.Graphic()->SetTransparent(true);
    Picture.Graphic()->SetTransparent(true);
    EXPECT_EQ(Changes, 2);
}

TEST_F(PictureTest, AsBitmapKeepsABitmapAndReplacesAnythingElse)
{
    TBitmap& first = Picture.AsBitmap();
    EXPECT_EQ(&Picture.AsBitmap(), &first);
    Picture.ReadFromFile(TestFile("a.tst", 3, 3, clRed));
    Changes = 0;
    TBitmap& replaced = Picture.AsBitmap();
    EXPECT_TRUE(replaced.IsEmpty());
    EXPECT_EQ(Picture.Graphic(), &replaced);
    EXPECT_EQ(Changes, 1);
}

TEST_F(PictureTest, CopyToAndFromFollowTheKinds)
{
    Picture.ReadFromFile(TestFile("a.tst", 3, 4, clRed));
    TTestGraphic copy;
    Picture.CopyTo(copy);
    EXPECT_EQ(copy.Width, 3);
    TBitmap bitmap;
    try {
        Picture.CopyTo(bitmap);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'affecter TPicture à TBitmap");
    }
    TPicture other;
    other.CopyFrom(&Picture);
    ASSERT_NE(other.Graphic(), nullptr);
    EXPECT_NE(other.Graphic(), Picture.Graphic());
    EXPECT_EQ(other.PixelHeight(), 4);
    other.CopyFrom(nullptr);
    EXPECT_EQ(other.Graphic(), nullptr);
    try {
        bitmap.CopyFrom(&copy);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Impossible d'affecter TTestGraphic à TBitmap");
    }
}

TEST_F(PictureTest, WriteToFileOnAnEmptyContainerWritesNothing)
{
    Picture.WriteToFile(Dir.File("nothing.tst"));
    EXPECT_TRUE(Dir.Entries().empty());
}

TEST_F(PictureTest, StoredFormNamesTheKindAndHoldsItsData)
{
    Picture.ReadFromFile(TestFile("a.tst", 11, 12, clAqua));
    TMemoryStream stored;
    Picture.WriteStoredForm(stored);
    EXPECT_EQ(stored.Memory()[0], 12);  // "TTestGraphic"
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.Memory()) + 1, 12), "TTestGraphic");
    stored.SetPosition(0);
    TPicture restored;
    restored.ReadStoredForm(stored);
    ASSERT_NE(restored.Graphic(), nullptr);
    EXPECT_EQ(static_cast<TTestGraphic*>(restored.Graphic())->Color, clAqua);

    // A class the registry does not hold leaves the container empty.
    TMemoryStream unknown;
    unknown.WriteU8(5);
    unknown.WriteBuffer("TNone", 5);
    unknown.SetPosition(0);
    int changes = 0;
    restored.OnChange = [&](TObject&) { ++changes; };
    restored.ReadStoredForm(unknown);
    EXPECT_EQ(restored.Graphic(), nullptr);
    EXPECT_EQ(changes, 1);
}

TEST_F(PictureTest, ProgressOfTheHeldPictureIsRelayedWithTheContainerAsSender)
{
    TTestGraphic graphic;
    Picture.SetGraphic(&graphic);
    int reports = 0;
    Picture.OnProgress = [&](TObject& sender, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                             const std::string& msg) {
        ++reports;
        EXPECT_EQ(&sender, &Picture);
        EXPECT_EQ(stage, TProgressStage::StageRunning);
        EXPECT_EQ(percent, 42);
        EXPECT_TRUE(redraw);
        EXPECT_EQ(r, (TRect{1, 2, 3, 4}));
        EXPECT_EQ(msg, "m");
    };
    // The container holds its own copy; its reports reach the container.
    static_cast<TTestGraphic*>(Picture.Graphic())->ReportProgress(TProgressStage::StageRunning, 42, true, {1, 2, 3, 4}, "m");
    EXPECT_EQ(reports, 1);
}

TEST(SameAs, ComparesKindAndStreamForms)
{
    TTestGraphic a, b;
    a.Width = b.Width = 2;
    a.Height = b.Height = 2;
    EXPECT_TRUE(a.SameAs(&b));
    b.Color = clRed;
    EXPECT_FALSE(a.SameAs(&b));
    TBitmap emptyBitmap;
    TOleGraphic emptyOle;
    EXPECT_TRUE(emptyBitmap.SameAs(&emptyOle));
    EXPECT_FALSE(a.SameAs(&emptyBitmap));
    EXPECT_FALSE(a.SameAs(nullptr));
}
