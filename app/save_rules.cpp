#include "save_rules.h"

#include "raster/bitmap.h"
#include "core/errors.h"
#include "core/graphic.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_settings.h"

namespace tremalu {

TSaveKind SaveKindOf(const std::string& fileName)
{
    const std::string extension = AsciiUpperCase(ExtractPictureExtension(fileName));
    if (extension == "JPG")
        return TSaveKind::Jpeg;
    if (extension == "BMP")
        return TSaveKind::Bitmap;
    return TSaveKind::None;
}

JpegSettings SavedJpegSettings()
{
    JpegSettings settings = DefaultJpegSettings();
    settings.EncodeQuality = 100;
    settings.GrayMode = false;
    return settings;
}

void SaveBitmapByName(TBitmap& bitmap, const std::string& fileName)
{
    switch (SaveKindOf(fileName)) {
    case TSaveKind::Bitmap:
        bitmap.WriteToFile(fileName);
        return;
    case TSaveKind::Jpeg: {
        const JpegSettings settings = SavedJpegSettings();
        TJPEGImage jpeg;
        jpeg.SetEncodeQuality(settings.EncodeQuality);
        jpeg.SetGrayMode(settings.GrayMode);
        jpeg.CopyFrom(&bitmap);
        jpeg.WriteToFile(fileName);
        return;
    }
    default:
        throw Exception(NothingSavedText);
    }
}

}  // namespace tremalu
