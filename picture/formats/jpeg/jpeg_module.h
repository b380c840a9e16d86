// The JPEG module: picks the default decoding depth from the screen, then
// registers "jpeg" and "jpg" for TJPEGImage.
#pragma once

#include "core/picture_module.h"

namespace tremalu {

extern const TPictureModule JpegModule;

}  // namespace tremalu
