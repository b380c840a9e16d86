// The player's device context: mapping of logical coordinates to the
// output, saved states and the selection of objects.
#include "formats/metafile/player.h"

#include <algorithm>

namespace tremalu {

namespace {

// Deeper nesting than this is not found in real files; the extra saves are
// ignored (and so are the restores that would go past the stack).
constexpr size_t MaxSavedStates = 1024;

// Millimetres per logical unit of the metric mapping modes.
double MillimetresPerUnit(int mode)
{
    switch (mode) {
    case MM_LOMETRIC:
        return 0.1;
    case MM_HIMETRIC:
        return 0.01;
    case MM_LOENGLISH:
        return 0.254;
    case MM_HIENGLISH:
        return 0.0254;
    case MM_TWIPS:
        return 25.4 / 1440;
    default:
        return 0;
    }
}

double SafeRatio(double a, double b) { return b == 0 ? 0 : a / b; }

}  // namespace

TPlayer::TPlayer(TPlayerSurface& surface, const TFramePlacement& placement, size_t objectSlots)
    : Output(surface),
      Cairo(surface.Context()),
      Placement(placement),
      Budget(TPlayerBudget::Work(static_cast<uint64_t>(surface.Area().Width()) *
                                 static_cast<uint64_t>(surface.Area().Height()))),
      RasterBudget(TPlayerBudget::Raster(static_cast<uint64_t>(surface.Area().Width()) *
                                         static_cast<uint64_t>(surface.Area().Height()))),
      Table(objectSlots)
{
    // The frame's edges go onto the output rectangle's edges.
    const TRect& out = placement.Output;
    DeviceToOutput.M11 = SafeRatio(out.Width(), placement.Right - placement.Left);
    DeviceToOutput.M22 = SafeRatio(out.Height(), placement.Bottom - placement.Top);
    DeviceToOutput.Dx = out.Left - placement.Left * DeviceToOutput.M11;
    DeviceToOutput.Dy = out.Top - placement.Top * DeviceToOutput.M22;
    State.Pen = std::get<TPenSpec>(*StockObject(BLACK_PEN));
    State.Brush = std::get<TBrushSpec>(*StockObject(WHITE_BRUSH));
    State.Font = std::get<TFontSpec>(*StockObject(SYSTEM_FONT));
    cairo_set_antialias(Cairo, CAIRO_ANTIALIAS_NONE);
    UpdateTransform();
}

TPlayer::~TPlayer()
{
    for (auto& face : Faces)
        cairo_font_face_destroy(face.second);
}

// ---------------------------------------------------------------- mapping

TAffine TPlayer::PageTransform() const
{
    double sx = 1, sy = 1;
    switch (State.MapMode) {
    case MM_ISOTROPIC:
    case MM_ANISOTROPIC:
        sx = SafeRatio(State.ViewportExt.X, State.WindowExt.X);
        sy = SafeRatio(State.ViewportExt.Y, State.WindowExt.Y);
        if (State.MapMode == MM_ISOTROPIC) {
            // One scale for both axes, the smaller, each keeping its sign.
            const double m = std::min(std::fabs(sx), std::fabs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    case MM_TEXT:
        break;
    default: {
        const double unit = MillimetresPerUnit(State.MapMode);
        sx = Placement.PixelsPerMmX * unit;
        sy = -Placement.PixelsPerMmY * unit;  // y grows upwards on these pages
        break;
    }
    }
    TAffine page;
    page.M11 = sx;
    page.M22 = sy;
    page.Dx = State.ViewportOrg.X - State.WindowOrg.X * sx;
    page.Dy = State.ViewportOrg.Y - State.WindowOrg.Y * sy;
    return page;
}

void TPlayer::UpdateTransform()
{
    ToOutput = TAffine::Then(TAffine::Then(State.World, PageTransform()), DeviceToOutput);
}

double TPlayer::LogicalToPixels(double length) const { return length * ToOutput.LinearScale(); }

void TPlayer::SetMapMode(int mode)
{
    if (PageFixed || mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return;
    State.MapMode = mode;
    UpdateTransform();
}

void TPlayer::SetWindowOrg(double x, double y)
{
    State.WindowOrg = {x, y};
    UpdateTransform();
}

void TPlayer::SetWindowExt(double x, double y)
{
    if (x == 0 || y == 0)
        return;  // refused, as the platform refuses an empty extent
    State.WindowExt = {x, y};
    UpdateTransform();
}

void TPlayer::SetViewportOrg(double x, double y)
{
    if (PageFixed)
        return;
    State.ViewportOrg = {x, y};
    UpdateTransform();
}

void TPlayer::SetViewportExt(double x, double y)
{
    if (PageFixed || x == 0 || y == 0)
        return;
    State.ViewportExt = {x, y};
    UpdateTransform();
}

void TPlayer::OffsetWindowOrg(double dx, double dy) { SetWindowOrg(State.WindowOrg.X + dx, State.WindowOrg.Y + dy); }

void TPlayer::OffsetViewportOrg(double dx, double dy)
{
    SetViewportOrg(State.ViewportOrg.X + dx, State.ViewportOrg.Y + dy);
}

void TPlayer::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom)
{
    SetWindowExt(SafeRatio(State.WindowExt.X * xNum, xDenom), SafeRatio(State.WindowExt.Y * yNum, yDenom));
}

void TPlayer::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom)
{
    SetViewportExt(SafeRatio(State.ViewportExt.X * xNum, xDenom), SafeRatio(State.ViewportExt.Y * yNum, yDenom));
}

void TPlayer::SetWorldTransform(const TAffine& transform)
{
    if (!transform.IsFinite() || transform.Determinant() == 0)
        return;
    State.World = transform;
    UpdateTransform();
}

void TPlayer::ModifyWorldTransform(const TAffine& transform, uint32_t mode)
{
    switch (mode) {
    case 1:
        SetWorldTransform(TAffine{});
        break;
    case 2:
        SetWorldTransform(TAffine::Then(transform, State.World));
        break;
    case 3:
        SetWorldTransform(TAffine::Then(State.World, transform));
        break;
    case 4:
        SetWorldTransform(transform);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- state

void TPlayer::SaveDC()
{
    if (Saved.size() < MaxSavedStates)
        Saved.push_back(State);
}

void TPlayer::RestoreDC(int32_t which)
{
    size_t keep;
    if (which < 0) {
        const uint64_t back = static_cast<uint64_t>(-static_cast<int64_t>(which));
        if (back > Saved.size())
            return;
        keep = Saved.size() - static_cast<size_t>(back);
    } else {
        if (which == 0 || static_cast<size_t>(which) > Saved.size())
            return;
        keep = static_cast<size_t>(which) - 1;
    }
    State = std::move(Saved[keep]);
    Saved.resize(keep);
    UpdateTransform();
}

void TPlayer::SetMiterLimit(double limit)
{
    if (std::isfinite(limit) && limit >= 1)
        State.MiterLimit = std::min(limit, 100.0);
}

// ---------------------------------------------------------------- objects

void TPlayer::Select(const TDrawingObject& object)
{
    if (const auto* pen = std::get_if<TPenSpec>(&object))
        State.Pen = *pen;
    else if (const auto* brush = std::get_if<TBrushSpec>(&object))
        State.Brush = *brush;
    else if (const auto* font = std::get_if<TFontSpec>(&object))
        State.Font = *font;
}

void TPlayer::SelectObject(uint32_t slot)
{
    if ((slot & StockObjectBit) != 0) {
        if (const auto stock = StockObject(slot & ~StockObjectBit))
            Select(*stock);
        return;
    }
    if (const TDrawingObject* object = Table.Get(slot))
        Select(*object);
}

void TPlayer::DeleteObject(uint32_t slot) { Table.Delete(slot); }

}  // namespace tremalu
