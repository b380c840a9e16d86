#include "stereo/stereo_pair.h"

#include "core/errors.h"
#include "core/format_registry.h"
#include "core/streams.h"
#include "formats/jpeg/fujifilm_parallax.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_rows.h"
#include "formats/jpeg/mpo_index.h"
#include "stereo/side_picture.h"

namespace tremalu {

TStereoPair::TStereoPair() = default;
TStereoPair::~TStereoPair() = default;
TStereoPair::TStereoPair(TStereoPair&&) noexcept = default;
TStereoPair& TStereoPair::operator=(TStereoPair&&) noexcept = default;

void TStereoPair::Hold(std::unique_ptr<TPicture> picture) { Pictures.push_back(std::move(picture)); }
void TStereoPair::Hold(std::unique_ptr<TGraphic> graphic) { Graphics.push_back(std::move(graphic)); }
void TStereoPair::Hold(std::unique_ptr<TJpegRowReader> rows) { Rows.push_back(std::move(rows)); }

namespace {

TStereoView WholeView(TGraphic* graphic) { return {graphic, 0, 0, graphic->PixelWidth(), graphic->PixelHeight()}; }

// A picture must have pixels to be composed, as LoadSidePicture requires.
void CheckHasPixels(const TGraphic& graphic, int32_t minimumWidth)
{
    if (graphic.PixelWidth() < minimumWidth || graphic.PixelHeight() <= 0)
        throw EInvalidOp(texts::InvalidFloatOp);
}

// The halves of a side-by-side picture: the one on the left, the one on
// the right.
std::pair<TStereoView, TStereoView> Halves(TGraphic* graphic)
{
    CheckHasPixels(*graphic, 2);
    const int32_t half = graphic->PixelWidth() / 2;
    const int32_t height = graphic->PixelHeight();
    return {{graphic, 0, 0, half, height}, {graphic, half, 0, half, height}};
}

std::unique_ptr<TJPEGImage> JpegFrom(const uint8_t* bytes, size_t size)
{
    auto jpeg = std::make_unique<TJPEGImage>();
    TReadOnlyMemoryStream stream(bytes, size);
    jpeg->ReadFromStream(stream);
    CheckHasPixels(*jpeg, 1);
    return jpeg;
}

// A file the program would read as a JPEG picture, opened as rows: the
// header read as reading the picture reads it. None when it is read as a
// picture after all: not a JPEG file by its name, an empty file (an empty
// picture, refused as such) or a decode that gives no plain colour rows.
std::unique_ptr<TJpegRowReader> OpenJpegFileRows(const std::string& fileName)
{
    if (FormatRegistry().FindByExtension(ExtractPictureExtension(fileName)) != &TJPEGImage::StaticClass())
        return nullptr;
    auto file = std::make_unique<TFileStream>(fileName, TFileStream::Mode::OpenRead);
    if (file->Size() == 0)
        return nullptr;
    // A header the codec takes has a size: no empty picture gets this far.
    return TJpegRowReader::Open(std::move(file));
}

// One side of a pair of files, read as asked.
void LoadSide(TStereoPair& pair, TStereoView& view, const std::string& fileName, TPairReading reading)
{
    if (reading == TPairReading::ComposedRows) {
        if (std::unique_ptr<TJpegRowReader> rows = OpenJpegFileRows(fileName)) {
            view = {nullptr, 0, 0, rows->Width(), rows->Height(), rows.get()};
            pair.Hold(std::move(rows));
            return;
        }
    }
    std::unique_ptr<TPicture> picture = LoadSidePicture(fileName);
    view = WholeView(picture->Graphic());
    pair.Hold(std::move(picture));
}

TStereoPair LoadMpo(const std::string& fileName)
{
    TMemoryStream file;
    {
        TFileStream in(fileName, TFileStream::Mode::OpenRead);
        file.ReadFrom(in, static_cast<size_t>(in.Size()));
    }
    const std::vector<TMpoImage> images = ReadMpoIndex(file.Memory(), file.ByteCount());
    TStereoPair pair;
    std::unique_ptr<TJPEGImage> left = JpegFrom(file.Memory() + images[0].Offset, images[0].Size);
    std::unique_ptr<TJPEGImage> right = JpegFrom(file.Memory() + images[1].Offset, images[1].Size);
    pair.ParallaxPercent = ReadFujifilmParallax(file.Memory() + images[1].Offset, images[1].Size);
    pair.Left = WholeView(left.get());
    pair.Right = WholeView(right.get());
    pair.Hold(std::move(left));
    pair.Hold(std::move(right));
    return pair;
}

}  // namespace

TStereoFileKind StereoFileKindOf(const std::string& fileName)
{
    const std::string extension = AsciiUpperCase(ExtractPictureExtension(fileName));
    if (extension == "MPO")
        return TStereoFileKind::Mpo;
    if (extension == "JPS")
        return TStereoFileKind::Jps;
    return TStereoFileKind::None;
}

TStereoPair LoadPicturePair(const std::string& left, const std::string& right, TPairReading reading)
{
    TStereoPair pair;
    LoadSide(pair, pair.Left, left, reading);
    LoadSide(pair, pair.Right, right, reading);
    return pair;
}

TStereoPair LoadStereoFile(const std::string& fileName, bool sideBySide)
{
    TStereoPair pair;
    if (sideBySide) {
        std::unique_ptr<TPicture> picture = LoadSidePicture(fileName);
        std::tie(pair.Left, pair.Right) = Halves(picture->Graphic());
        pair.Hold(std::move(picture));
        return pair;
    }
    switch (StereoFileKindOf(fileName)) {
    case TStereoFileKind::Mpo:
        return LoadMpo(fileName);
    case TStereoFileKind::Jps: {
        // A JPS file is a JPEG file under another name.
        auto jpeg = std::make_unique<TJPEGImage>();
        jpeg->ReadFromFile(fileName);
        std::tie(pair.Right, pair.Left) = Halves(jpeg.get());
        pair.Hold(std::move(jpeg));
        return pair;
    }
    default:
        throw EInvalidGraphic(FormatMessage(texts::UnknownExtension, {ExtractPictureExtension(fileName)}));
    }
}

}  // namespace tremalu
