#include "formats/jpeg/jpeg_module.h"

#include "core/format_registry.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_settings.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

namespace {
int StartCount = 0;
constexpr const char* JpegDescription = "Fichier image JPEG";
}  // namespace

void StartJpegModule()
{
    if (StartCount++ != 0)
        return;
    DefaultJpegSettings().BitmapDepth = JpegDepthForScreen(DisplayBitsPerPixel * DisplayPlanes);
    RegisterFormat("jpeg", JpegDescription, TJPEGImage::StaticClass());
    RegisterFormat("jpg", JpegDescription, TJPEGImage::StaticClass());
}

void StopJpegModule()
{
    if (StartCount == 0 || --StartCount != 0)
        return;
    UnregisterKind(TJPEGImage::StaticClass());
}

}  // namespace tremalu
