#include "formats/jpeg/jpeg_settings.h"

namespace tremalu {

JpegSettings& DefaultJpegSettings()
{
    static JpegSettings defaults;
    return defaults;
}

TJPEGBitmapDepth JpegDepthForScreen(int bitsTimesPlanes)
{
    return bitsTimesPlanes <= 8 ? TJPEGBitmapDepth::Depth8 : TJPEGBitmapDepth::Depth24;
}

}  // namespace tremalu
