#include "adjustment_keys.h"

#include "stereo/anaglyph.h"
#include "stereo/stereo_window.h"

#include <QApplication>
#include <QCursor>

namespace tremalu {

namespace {

// The busy cursor for as long as the work lasts, failure or not.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

TAdjustmentKeyResult Moved(bool taken)
{
    return {true, taken, taken ? std::string() : std::string(NoOverlapText)};
}

}  // namespace

TAdjustmentKeyResult AdjustAutomatically(TStereoAdjustment& adjustment)
{
    TBusyCursor busy;
    if (!adjustment.ApplyAutomaticAdjustment())
        return {true, false, NoMatchText};
    return {true, true, adjustment.DepthNote()};
}

TAdjustmentKeyResult SwapSides(TStereoAdjustment& adjustment) { return Moved(adjustment.Swap()); }

TAdjustmentKeyResult ReturnToStart(TStereoAdjustment& adjustment)
{
    adjustment.ReturnToStart();
    return {true, true, adjustment.StartNote()};
}

TAdjustmentKeyResult ApplyAdjustmentKey(TStereoAdjustment& adjustment, int key, Qt::KeyboardModifiers modifiers)
{
    const int64_t step = (modifiers & Qt::ShiftModifier) ? FineArrowStep : ArrowStep;
    switch (key) {
    // DX moves the RIGHT picture left, DY moves it up.
    case Qt::Key_Left:
        return Moved(adjustment.MoveBy(step, 0));
    case Qt::Key_Right:
        return Moved(adjustment.MoveBy(-step, 0));
    case Qt::Key_Up:
        return Moved(adjustment.MoveBy(0, step));
    case Qt::Key_Down:
        return Moved(adjustment.MoveBy(0, -step));
    case Qt::Key_Home:
        return ReturnToStart(adjustment);
    case Qt::Key_A:
        return AdjustAutomatically(adjustment);
    case Qt::Key_I:
        return SwapSides(adjustment);
    default:
        return {};
    }
}

}  // namespace tremalu
