// What every fuzz target does with a picture it could read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tremalu {
class TGraphic;
}

namespace fuzz_support {

// Reads every byte, so that a sanitizer notices memory never written.
void Touch(const uint8_t* bytes, size_t size);

// Draws the picture at (0, 0) and stretched onto a small white bitmap with
// the copy mode, the way the composition draws each side, and touches the
// result.
void DrawAndTouch(tremalu::TGraphic& graphic);

}  // namespace fuzz_support
