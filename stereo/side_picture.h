// Loading the picture of one side of the pair.
#pragma once

#include "core/graphic.h"

#include <memory>
#include <string>

namespace tremalu {

// Loads the named file by its extension into a fresh container, so that a
// failure leaves whatever the side showed before untouched. A picture with
// no width or no height cannot be fitted nor composed: it is refused with
// EInvalidOp "Opération en virgule flottante incorrecte", the failure its
// aspect ratio would raise.
std::unique_ptr<TPicture> LoadSidePicture(const std::string& fileName);

}  // namespace tremalu
