// The keys of the stereo adjustment, the same in the result window and the
// full-size view: the arrows move the RIGHT picture 10 pixels (1 with
// Shift) against the LEFT one, Home returns to the starting offset, A runs
// the automatic adjustment (with the busy cursor), I swaps LEFT and RIGHT.
#pragma once

#include "stereo_adjustment.h"

#include <Qt>

#include <string>

namespace tremalu {

// How far one press of an arrow key moves the RIGHT picture.
inline constexpr int64_t ArrowStep = 10;
inline constexpr int64_t FineArrowStep = 1;

struct TAdjustmentKeyResult {
    bool Handled = false;  // the key is one of the adjustment's
    bool Changed = false;  // the offset or the sides changed
    std::string Note;      // said under the offset: why nothing changed, the depth found
};

TAdjustmentKeyResult ApplyAdjustmentKey(TStereoAdjustment& adjustment, int key, Qt::KeyboardModifiers modifiers);

// The three actions by themselves, for the menu entries and the keys.
TAdjustmentKeyResult AdjustAutomatically(TStereoAdjustment& adjustment);
TAdjustmentKeyResult SwapSides(TStereoAdjustment& adjustment);
TAdjustmentKeyResult ReturnToStart(TStereoAdjustment& adjustment);

}  // namespace tremalu
