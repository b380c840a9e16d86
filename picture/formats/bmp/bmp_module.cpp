#include "formats/bmp/bmp_module.h"

#include "core/format_registry.h"
#include "raster/bitmap.h"

namespace tremalu {

const TPictureModule BmpModule = {
    [](TFileFormatsList& registry) { registry.AddFormat("bmp", "Bitmaps", TBitmap::StaticClass(), 0); },
    nullptr,
};

}  // namespace tremalu
