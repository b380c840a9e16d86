// Where a file dialog goes on its monitor: centred across, a third of the
// way down.
#pragma once

#include "core/geometry.h"

namespace tremalu {

// The dialog's top-left corner: monitor left + (monitor width − dialog
// width) div 2, monitor top + (monitor height − dialog height) div 3, both
// divisions truncating toward zero (a dialog larger than its monitor sticks
// out on both sides, or above).
TPoint DialogPlacement(const TRect& monitor, int32_t dialogWidth, int32_t dialogHeight);

}  // namespace tremalu
