// The GIF module: notes whether the display shows dithered frames, binds
// the hand-over queue to the user-interface thread, then registers "gif"
// for TGIFImage.
#pragma once

#include "core/picture_module.h"

namespace tremalu {

extern const TPictureModule GifModule;

}  // namespace tremalu
