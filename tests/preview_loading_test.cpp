// The image-choice window with two JPEG sides given at once: previews from
// reduced copies decoded on two threads, no full-size side decoded (not even
// by the composition, which streams both and gives the same anaglyph), and a
// damaged side failing at its first paint with the codec's text, once.
#include "application.h"
#include "core/streams.h"
#include "formats/jpeg/jpeg_image.h"
#include "gui_helpers.h"
#include "picture_bytes.h"
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

namespace {

std::vector<unsigned char> ShadedJpeg(int32_t shift, bool secondFrameHeader = false)
{
    TJPEGImage jpeg;
    jpeg.CopyFrom(testing_support::PaintedBitmap(640, 480, [shift](int32_t x, int32_t y) {
                      return uint32_t(((x + shift) / 3) & 255) << 16 | uint32_t((y / 2) & 255) << 8 | uint32_t(x / 5);
                  }).get());
    TMemoryStream bytes;
    jpeg.WriteToStream(bytes);
    std::vector<unsigned char> file(bytes.Memory(), bytes.Memory() + bytes.ByteCount());
    if (secondFrameHeader) {
        // The frame header once more before the end: the file reads, its
        // decode fails once the rows are done.
        size_t sof = 2;
        while (!(file[sof] == 0xFF && file[sof + 1] == 0xC0))
            ++sof;
        const std::vector<unsigned char> header(file.begin() + long(sof),
                                                file.begin() + long(sof + 2 + (file[sof + 2] << 8 | file[sof + 3])));
        file.insert(file.end() - 2, header.begin(), header.end());
    }
    return file;
}

class PreviewLoading : public ::testing::Test {
protected:
    PreviewLoading()
    {
        Application.SetTitle("TREMALU");
        Application.CreateForm(Depart);
        Application.CreateForm(Result);
        Application.CreateForm(Faide);
        testing_support::ShowWindow(*Depart);
        // Every full decode of a side's picture reports its start.
        for (TImageView* view : {Depart->IG, Depart->ID})
            view->Image().OnProgress = [this](TObject&, TProgressStage stage, uint8_t, bool, const TRect&,
                                              const std::string&) { FullDecodes += stage == TProgressStage::StageStarting; };
    }
    ~PreviewLoading() override
    {
        for (TImageView* view : {Depart->IG, Depart->ID})
            view->Image().OnProgress = nullptr;
        for (TForm* form : std::initializer_list<TForm*>{Faide, Result, Depart})
            form->hide();
    }

    // Both files given on the command line, then the window painted as the
    // screen shows it, and what that painting reports.
    void OpenAndPaint(const std::vector<unsigned char>& left, const std::vector<unsigned char>& right)
    {
        testing_support::WriteBytes(Dir.File("g.jpg"), left);
        testing_support::WriteBytes(Dir.File("d.jpg"), right);
        Depart->OpenPictures(CommandLinePictures({Dir.File("g.jpg"), Dir.File("d.jpg")}));
        EXPECT_EQ(Depart->TD->Caption(), "640 x 480 pixels.");
        for (int i = 0; i < 2; ++i) {
            testing_support::Snapshot(*Depart);
            QCoreApplication::processEvents();
        }
    }

    testing_support::TempDir Dir;
    testing_support::TRecordingPresenter Recorder;
    TPresenterOverride Installed{Recorder};
    TApplication Application;
    int FullDecodes = 0;
};

}  // namespace

TEST_F(PreviewLoading, SidesShowFromReducedCopiesAndComposeAsPicturesNeverDrawn)
{
    OpenAndPaint(ShadedJpeg(0), ShadedJpeg(9));
    EXPECT_EQ(Recorder.BoxTexts(), "");
    for (TImageView* view : {Depart->IG, Depart->ID})
        EXPECT_TRUE(dynamic_cast<TJPEGImage&>(*view->Picture().Graphic()).HasScaledBitmap());

    testing_support::ClickAt(*Depart->titre, QPoint(260, 100));
    Depart->calcul->Click(*Depart->calcul);
    EXPECT_EQ(FullDecodes, 0);
    TPicture left, right;
    left.ReadFromFile(Dir.File("g.jpg"));
    right.ReadFromFile(Dir.File("d.jpg"));
    const auto expected = ComposeAnaglyph(left.Graphic(), right.Graphic(), 640, 480);
    const auto& shown = dynamic_cast<const TBitmap&>(*Result->IR->Picture().Graphic());
    ASSERT_EQ(shown.PixelWidth(), 640);
    for (int32_t y = 0; y < 480; ++y)
        ASSERT_EQ(std::memcmp(shown.PeekPixels()->ScanLine(y), expected->PeekPixels()->ScanLine(y), 640 * 4), 0) << y;
}

TEST_F(PreviewLoading, DamagedSideLoadsThenFailsAtItsFirstPaintOnce)
{
    OpenAndPaint(ShadedJpeg(0), ShadedJpeg(4, true));
    ASSERT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Boxes[0].Text.rfind("Erreur JPEG #", 0), 0u) << Recorder.Boxes[0].Text;
    EXPECT_EQ(FullDecodes, 0);
}
