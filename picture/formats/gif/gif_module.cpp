#include "formats/gif/gif_module.h"

#include "core/format_registry.h"
#include "formats/gif/gif_image.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

namespace {

constexpr const char* GifDescription = "GIF Image";

void StartGif(TFileFormatsList& registry)
{
    GIFSettings().PaletteDisplay = DisplayBitsPerPixel * DisplayPlanes <= 8;
    registry.AddFormat("GIF", GifDescription, TGIFImage::StaticClass(), 0);
}

void StopGif(TFileFormatsList& registry) { registry.RemoveKind(TGIFImage::StaticClass()); }

}  // namespace

const TPictureModule GifModule = {StartGif, StopGif};

}  // namespace tremalu
