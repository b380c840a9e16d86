// The BMP module: "bmp" for TBitmap, one of the formats the registry is made
// with.
#pragma once

#include "core/picture_module.h"

namespace tremalu {

extern const TPictureModule BmpModule;

}  // namespace tremalu
