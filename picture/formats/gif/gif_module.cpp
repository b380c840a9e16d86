#include "formats/gif/gif_module.h"

#include "core/format_registry.h"
#include "core/ui_handover.h"
#include "formats/gif/gif_image.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

namespace {

constexpr const char* GifDescription = "GIF Image";

void StartGif(TFileFormatsList& registry)
{
    // The modules start on the thread that runs the windows.
    UiHandOver().BindToCurrentThread();
    GIFSettings().PaletteDisplay = DisplayBitsPerPixel * DisplayPlanes <= 8;
    registry.AddFormat("GIF", GifDescription, TGIFImage::StaticClass(), 0);
}

void StopGif(TFileFormatsList& registry) { registry.RemoveKind(TGIFImage::StaticClass()); }

}  // namespace

const TPictureModule GifModule = {StartGif, StopGif};

}  // namespace tremalu
