#include "picture_modules.h"

#include "raster/bitmap.h"
#include "core/format_registry.h"
#include "formats/jpeg/jpeg_module.h"
#include "core/ole_graphic.h"

namespace tremalu {

namespace {
int StartCount = 0;
}

void AddRegistryCreationFormats(TFileFormatsList& registry)
{
    registry.AddFormat("bmp", "Bitmaps", TBitmap::StaticClass(), 0);
}

void StartPictureModules()
{
    if (StartCount++ != 0)
        return;
    FormatRegistry();
    StartJpegModule();
    RegisterFormat("", "", TOleGraphic::StaticClass());
}

void StopPictureModules()
{
    if (StartCount == 0 || --StartCount != 0)
        return;
    UnregisterKind(TOleGraphic::StaticClass());
    StopJpegModule();
    FreeFormatRegistry();
}

}  // namespace tremalu
