// The metafile module: "wmf" and "emf" for TMetafile, the first formats the
// registry is made with.
#pragma once

#include "core/picture_module.h"

namespace tremalu {

extern const TPictureModule MetafileModule;

}  // namespace tremalu
