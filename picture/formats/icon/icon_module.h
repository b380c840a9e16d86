// The icon module: "ico" for TIcon, one of the formats the registry is made
// with.
#pragma once

#include "core/picture_module.h"

namespace tremalu {

extern const TPictureModule IconModule;

}  // namespace tremalu
