#include "formats/jpeg/jpeg_module.h"

#include "core/format_registry.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_settings.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

namespace {

constexpr const char* JpegDescription = "Fichier image JPEG";

void StartJpeg(TFileFormatsList& registry)
{
    DefaultJpegSettings().BitmapDepth = JpegDepthForScreen(DisplayBitsPerPixel * DisplayPlanes);
    registry.AddFormat("jpeg", JpegDescription, TJPEGImage::StaticClass(), 0);
    registry.AddFormat("jpg", JpegDescription, TJPEGImage::StaticClass(), 0);
}

void StopJpeg(TFileFormatsList& registry) { registry.RemoveKind(TJPEGImage::StaticClass()); }

}  // namespace

const TPictureModule JpegModule = {StartJpeg, StopJpeg};

}  // namespace tremalu
