#include "dialog_rules/dialog_placement.h"

#include "core/checked_math.h"

namespace tremalu {

TPoint DialogPlacement(const TRect& monitor, int32_t dialogWidth, int32_t dialogHeight)
{
    return {monitor.Left + Div(monitor.Width() - dialogWidth, 2), monitor.Top + Div(monitor.Height() - dialogHeight, 3)};
}

}  // namespace tremalu
