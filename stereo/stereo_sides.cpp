#include "stereo/stereo_sides.h"

#include "stereo/anaglyph.h"
#include "stereo/stereo_pair.h"

namespace tremalu {

namespace {

std::unique_ptr<TPicture> PictureOfView(const TStereoView& view)
{
    auto picture = std::make_unique<TPicture>();
    if (view.X == 0 && view.Y == 0 && view.Width == view.Graphic->PixelWidth() &&
        view.Height == view.Graphic->PixelHeight()) {
        picture->SetGraphic(view.Graphic);
        return picture;
    }
    // The part's rows, read as the composition reads a side.
    std::unique_ptr<TPixelBuffer> pixels = TPixelBuffer::MakeDevice(view.Width, view.Height);
    TJpegDecodeHelper helper;
    std::unique_ptr<TAnaglyphSide> rows =
        MakeAnaglyphSide(view.Graphic, helper, view.Width, view.Height, view.X, view.Y);
    for (int32_t y = 0; y < view.Height; ++y)
        rows->Row(y, reinterpret_cast<uint32_t*>(pixels->ScanLine(y)));
    rows->Finish();
    picture->AsBitmap().AdoptHandle(std::move(pixels), true);
    return picture;
}

}  // namespace

bool FillsBothSides(const std::string& fileName) { return StereoFileKindOf(fileName) != TStereoFileKind::None; }

TSidePictures LoadStereoSides(const std::string& fileName)
{
    TStereoPair pair = LoadStereoFile(fileName, false);
    return {PictureOfView(pair.Left), PictureOfView(pair.Right), pair.ParallaxPercent};
}

}  // namespace tremalu
