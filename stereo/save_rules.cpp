#include "stereo/save_rules.h"

#include "raster/bitmap.h"
#include "core/errors.h"
#include "core/graphic.h"
#include "core/safe_file.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_rows.h"
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
        // A device bitmap is encoded straight into the file, row by row,
        // without a copy of the whole encoded file in memory first.
        if (const TPixelBuffer* pixels = bitmap.PeekPixels(); pixels != nullptr && pixels->IsDeviceFormat()) {
            TSafeFileStream file(fileName);
            TJpegRowWriter writer(file, pixels->Width(), pixels->Height(), settings);
            for (int32_t y = 0; y < pixels->Height(); ++y)
                writer.WriteRow(pixels->ScanLine(y));
            writer.Finish();
            file.Commit();
            return;
        }
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
