#include "fitting.h"

#include "core/checked_math.h"

namespace tremalu {

TFittedBounds FitIntoBox(int32_t naturalWidth, int32_t naturalHeight, int32_t box, int32_t frameWidth,
                         int32_t frameHeight)
{
    const int32_t hw = Div(frameWidth, 2);
    const int32_t hh = Div(frameHeight, 2);
    const float r = ToSingle(CheckedDivide(naturalHeight, naturalWidth));
    TFittedBounds b;
    if (r > 1.0f) {
        b.Height = box;
        b.Width = Round(CheckedDivide(box, r));
    } else if (r == 1.0f) {
        b.Width = box;
        b.Height = box;
    } else {
        b.Width = box;
        b.Height = Round(CheckedMultiply(r, box));
    }
    b.Left = hw - Div(b.Width, 2);
    b.Top = hh - Div(b.Height, 2);
    return b;
}

}  // namespace tremalu
