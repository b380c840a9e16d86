// The image-choice window's previews of JPEG pictures: drawn from reduced
// copies, with no full-size side decoded until the composition, which
// streams both and gives the same anaglyph; a damaged side still fails at
// its first paint, with the codec's text.
#include "application.h"
#include "formats/jpeg/jpeg_image.h"
#include "gui_helpers.h"
#include "core/streams.h"
#include "picture_bytes.h"
#include "raster/bitmap.h"
#include "recording_presenter.h"
#include "stereo/anaglyph.h"
#include "temp_dir.h"
#include "image_choice_window.h"
#include "result_window.h"
#include "help_window.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstring>

using namespace tremalu;
using testing_support::ShowWindow;
using testing_support::TempDir;
using testing_support::TRecordingPresenter;

namespace {

std::vector<uint8_t> ShadedJpeg(int32_t w, int32_t h, int32_t shift)
{
    TJPEGImage jpeg;
    jpeg.CopyFrom(testing_support::PaintedBitmap(w, h, [shift](int32_t x, int32_t y) {
                      return uint32_t(((x + shift) / 3) & 255) << 16 | uint32_t((y / 2) & 255) << 8 |
                             uint32_t((x + y) / 5 & 255);
                  }).get());
    TMemoryStream bytes;
    jpeg.WriteToStream(bytes);
    return {bytes.Memory(), bytes.Memory() + bytes.ByteCount()};
}

// The file with its frame header once more before its end: it reads, and
// its decode fails once the rows are done.
std::vector<uint8_t> WithSecondFrameHeader(std::vector<uint8_t> file)
{
    size_t sof = 2;
    while (!(file[sof] == 0xFF && file[sof + 1] == 0xC0))
        ++sof;
    const size_t length = size_t{file[sof + 2]} << 8 | file[sof + 3];
    const std::vector<uint8_t> header(file.begin() + long(sof), file.begin() + long(sof + 2 + length));
    file.insert(file.end() - 2, header.begin(), header.end());
    return file;
}

TJPEGImage* JpegOf(TImageView& view) { return dynamic_cast<TJPEGImage*>(view.Picture().Graphic()); }

class PreviewLoading : public ::testing::Test {
protected:
    PreviewLoading()
    {
        Application.SetTitle("TREMALU");
        Application.CreateForm(Depart);
        Application.CreateForm(Result);
        Application.CreateForm(Faide);
        ShowWindow(*Depart);
        // Every full decode of a side's picture reports its start.
        for (TImageView* view : {Depart->IG, Depart->ID})
            view->Image().OnProgress = [this](TObject&, TProgressStage stage, uint8_t, bool, const TRect&,
                                              const std::string&) {
                FullDecodes += stage == TProgressStage::StageStarting;
            };
    }
    ~PreviewLoading() override
    {
        for (TImageView* view : {Depart->IG, Depart->ID})
            view->Image().OnProgress = nullptr;
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
    }

    std::string File(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        testing_support::WriteBytes(Dir.File(name), std::vector<unsigned char>(bytes.begin(), bytes.end()));
        return Dir.File(name);
    }
    // The window painted as the screen shows it, and what that reports.
    void Paint()
    {
        testing_support::Snapshot(*Depart);
        QCoreApplication::processEvents();
    }

    TempDir Dir;
    TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
    TApplication Application;
    int FullDecodes = 0;
};

}  // namespace

TEST_F(PreviewLoading, BothSidesShowFromReducedCopiesAndComposeAsFreshPictures)
{
    const std::string left = File("gauche.jpg", ShadedJpeg(640, 480, 0));
    const std::string right = File("droite.jpg", ShadedJpeg(640, 480, 9));
    Depart->OpenPictures(CommandLinePictures({left, right}));
    Paint();
    EXPECT_EQ(Recorder.BoxTexts(), "");
    EXPECT_EQ(Depart->TG->Caption(), "640 x 480 pixels.");
    EXPECT_EQ(Depart->TD->Caption(), "640 x 480 pixels.");
    for (TImageView* view : {Depart->IG, Depart->ID}) {
        ASSERT_NE(JpegOf(*view), nullptr);
        EXPECT_TRUE(JpegOf(*view)->HasScaledBitmap());
        EXPECT_FALSE(JpegOf(*view)->HasBitmap());
    }
    EXPECT_EQ(FullDecodes, 0);

    // The glasses: the same anaglyph as from pictures never drawn.
    testing_support::ClickAt(*Depart->titre, QPoint(260, 100));
    Depart->calcul->Click(*Depart->calcul);
    EXPECT_EQ(FullDecodes, 0);
    TPicture freshLeft, freshRight;
    freshLeft.ReadFromFile(left);
    freshRight.ReadFromFile(right);
    const auto expected = ComposeAnaglyph(freshLeft.Graphic(), freshRight.Graphic(), 640, 480);
    const auto* shown = dynamic_cast<const TBitmap*>(Result->IR->Picture().Graphic());
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->PixelWidth(), 640);
    for (int32_t y = 0; y < 480; ++y)
        ASSERT_EQ(std::memcmp(shown->PeekPixels()->ScanLine(y), expected->PeekPixels()->ScanLine(y), 640 * 4), 0)
            << "row " << y;
}

TEST_F(PreviewLoading, DamagedSideLoadsThenFailsAtItsFirstPaintOnce)
{
    const std::string left = File("gauche.jpg", ShadedJpeg(640, 480, 0));
    const std::string right = File("abime.jpg", WithSecondFrameHeader(ShadedJpeg(640, 480, 4)));
    Depart->OpenPictures(CommandLinePictures({left, right}));
    EXPECT_EQ(Recorder.BoxTexts(), "") << "reading succeeds; the decode fails when the side is drawn";
    EXPECT_EQ(Depart->TD->Caption(), "640 x 480 pixels.");
    Paint();
    Paint();
    ASSERT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Boxes[0].Text.rfind("Erreur JPEG #", 0), 0u) << Recorder.Boxes[0].Text;
    EXPECT_EQ(FullDecodes, 0);
}
