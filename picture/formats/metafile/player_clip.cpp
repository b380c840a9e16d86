// Clipping: a region of output pixels, combined with rectangles, regions
// and paths by the five modes of the format (and, or, exclusive or,
// difference, copy). Paths are turned into pixel regions by filling them
// without anti-aliasing, so every clip is a set of whole pixels.
#include "formats/metafile/player.h"

#include "core/errors.h"

#include <algorithm>
#include <atomic>

namespace tremalu {

namespace {

// A region with more rectangles than this is not made: the clip stays as it
// was (real files use a handful).
constexpr int MaxClipRectangles = 1 << 16;

uint64_t NextSerial()
{
    static std::atomic<uint64_t> serial{0};
    return ++serial;
}

}  // namespace

struct TClipRegion {
    cairo_region_t* Region;
    uint64_t Serial;

    explicit TClipRegion(cairo_region_t* region) : Region(region), Serial(NextSerial()) {}
    ~TClipRegion() { cairo_region_destroy(Region); }
    TClipRegion(const TClipRegion&) = delete;
    TClipRegion& operator=(const TClipRegion&) = delete;
};

// The pixels whose centres lie inside boxes given by two opposite corners
// in output coordinates.
static std::shared_ptr<TClipRegion> RegionOfBoxes(const std::vector<std::pair<TPointD, TPointD>>& boxes,
                                                  const TRect& area)
{
    std::vector<cairo_rectangle_int_t> rects;
    const auto pixel = [](double edge, double limitLow, double limitHigh) {
        return std::clamp(std::ceil(edge - 0.5), limitLow, limitHigh);
    };
    for (const auto& [a, c] : boxes) {
        const double l = pixel(std::min(a.X, c.X), area.Left, area.Right);
        const double r = pixel(std::max(a.X, c.X), area.Left, area.Right);
        const double t = pixel(std::min(a.Y, c.Y), area.Top, area.Bottom);
        const double b = pixel(std::max(a.Y, c.Y), area.Top, area.Bottom);
        if (r > l && b > t)
            rects.push_back(
                {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l), static_cast<int>(b - t)});
    }
    return std::make_shared<TClipRegion>(cairo_region_create_rectangles(rects.data(), static_cast<int>(rects.size())));
}

std::shared_ptr<TClipRegion> TPlayer::RegionOfPath(const TPath& path, bool winding)
{
    const TRect& area = Output.Area();
    auto region = std::make_shared<TClipRegion>(cairo_region_create());
    double l, t, r, b;
    if (!path.WithinLimit(double(1 << 22)) || !path.Bounds(l, t, r, b))
        return region;
    const TRect box = Intersect(Rect(static_cast<int32_t>(std::floor(std::max<double>(l, area.Left))),
                                     static_cast<int32_t>(std::floor(std::max<double>(t, area.Top))),
                                     static_cast<int32_t>(std::ceil(std::min<double>(r, area.Right))),
                                     static_cast<int32_t>(std::ceil(std::min<double>(b, area.Bottom)))),
                                area);
    if (box.IsEmpty() || !Budget.Spend(static_cast<uint64_t>(box.Width()) * static_cast<uint64_t>(box.Height())))
        return region;
    // The path's coverage, a band of rows at a time (player_surface.h);
    // runs of covered pixels, row by row, become the region's rectangles.
    std::vector<cairo_rectangle_int_t> runs;
    const int32_t rows = RasterBandRows(box.Width());
    for (int32_t top = box.Top; top < box.Bottom && static_cast<int>(runs.size()) < MaxClipRectangles; top += rows) {
        const TRect band{box.Left, top, box.Right, std::min(box.Bottom, top + rows)};
        cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, band.Width(), band.Height());
        if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(mask);
            throw EOutOfMemory(texts::OutOfMemory);
        }
        cairo_t* m = cairo_create(mask);
        cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
        cairo_translate(m, -band.Left, -band.Top);
        cairo_set_fill_rule(m, winding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
        // Clipped to the mask's own bounds, cairo rasterizes only what it holds.
        cairo_rectangle(m, band.Left, band.Top, band.Width(), band.Height());
        cairo_clip(m);
        cairo_new_path(m);
        const std::vector<TPointD>& p = path.Points();
        size_t k = 0;
        for (TSegment s : path.Kinds()) {
            if (s == TSegment::Move)
                cairo_move_to(m, p[k].X, p[k].Y), ++k;
            else if (s == TSegment::Line)
                cairo_line_to(m, p[k].X, p[k].Y), ++k;
            else if (s == TSegment::Curve)
                cairo_curve_to(m, p[k].X, p[k].Y, p[k + 1].X, p[k + 1].Y, p[k + 2].X, p[k + 2].Y), k += 3;
            else
                cairo_close_path(m);
        }
        cairo_fill(m);
        cairo_destroy(m);
        cairo_surface_flush(mask);
        const unsigned char* data = cairo_image_surface_get_data(mask);
        const int stride = cairo_image_surface_get_stride(mask);
        for (int y = 0; y < band.Height() && static_cast<int>(runs.size()) < MaxClipRectangles; ++y) {
            const unsigned char* row = data + static_cast<size_t>(y) * stride;
            for (int x = 0; x < band.Width();) {
                if (row[x] == 0) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < band.Width() && row[x] != 0)
                    ++x;
                runs.push_back({band.Left + start, band.Top + y, x - start, 1});
            }
        }
        cairo_surface_destroy(mask);
    }
    cairo_region_destroy(region->Region);
    region->Region = cairo_region_create_rectangles(runs.data(), static_cast<int>(runs.size()));
    return region;
}

void TPlayer::CombineClip(std::shared_ptr<TClipRegion> region, int mode)
{
    if (mode == RGN_COPY) {
        State.Clip = std::move(region);
        return;
    }
    // No clip is the whole output.
    cairo_region_t* current;
    if (State.Clip) {
        current = cairo_region_copy(State.Clip->Region);
    } else {
        const TRect& a = Output.Area();
        const cairo_rectangle_int_t all{a.Left, a.Top, a.Width(), a.Height()};
        current = cairo_region_create_rectangle(&all);
    }
    switch (mode) {
    case RGN_AND:
        cairo_region_intersect(current, region->Region);
        break;
    case RGN_OR:
        cairo_region_union(current, region->Region);
        break;
    case RGN_XOR:
        cairo_region_xor(current, region->Region);
        break;
    case RGN_DIFF:
        cairo_region_subtract(current, region->Region);
        break;
    default:
        cairo_region_destroy(current);
        return;
    }
    const int count = cairo_region_num_rectangles(current);
    if (count > MaxClipRectangles || !Budget.Spend(static_cast<uint64_t>(count))) {
        cairo_region_destroy(current);
        return;
    }
    State.Clip = std::make_shared<TClipRegion>(current);
}

void TPlayer::ApplyClip()
{
    const uint64_t serial = State.Clip ? State.Clip->Serial : 0;
    if (ClipApplied && serial == AppliedSerial)
        return;
    cairo_reset_clip(Cairo);
    if (State.Clip) {
        cairo_new_path(Cairo);
        const int n = cairo_region_num_rectangles(State.Clip->Region);
        for (int i = 0; i < n; ++i) {
            cairo_rectangle_int_t r;
            cairo_region_get_rectangle(State.Clip->Region, i, &r);
            cairo_rectangle(Cairo, r.x, r.y, r.width, r.height);
        }
        cairo_clip(Cairo);
    }
    ClipApplied = true;
    AppliedSerial = serial;
}

std::shared_ptr<TClipRegion> TPlayer::RegionOfLogicalBox(double left, double top, double right, double bottom)
{
    if (ToOutput.M12 == 0 && ToOutput.M21 == 0) {
        const TPointD a = ToOutput.Apply({left, top}), c = ToOutput.Apply({right, bottom});
        if (std::isfinite(a.X) && std::isfinite(a.Y) && std::isfinite(c.X) && std::isfinite(c.Y))
            return RegionOfBoxes({{a, c}}, Output.Area());
        return std::make_shared<TClipRegion>(cairo_region_create());
    }
    TPath box;
    Builder(box).Box(left, top, right, bottom);
    return RegionOfPath(box, true);
}

void TPlayer::IntersectClipRect(double left, double top, double right, double bottom)
{
    CombineClip(RegionOfLogicalBox(left, top, right, bottom), RGN_AND);
}

void TPlayer::ExcludeClipRect(double left, double top, double right, double bottom)
{
    CombineClip(RegionOfLogicalBox(left, top, right, bottom), RGN_DIFF);
}

void TPlayer::OffsetClip(double dx, double dy)
{
    if (!State.Clip)
        return;
    const TPointD d = ToOutput.ApplyVector({dx, dy});
    if (!std::isfinite(d.X) || !std::isfinite(d.Y) || std::fabs(d.X) > (1 << 22) || std::fabs(d.Y) > (1 << 22))
        return;
    cairo_region_t* moved = cairo_region_copy(State.Clip->Region);
    cairo_region_translate(moved, static_cast<int>(std::lround(d.X)), static_cast<int>(std::lround(d.Y)));
    State.Clip = std::make_shared<TClipRegion>(moved);
}

void TPlayer::SelectClipRects(const std::vector<TRect>& deviceRects, int mode)
{
    if (deviceRects.empty()) {
        if (mode == RGN_COPY)
            State.Clip.reset();
        return;
    }
    // The reference device's pixels map onto the output without turning.
    std::vector<std::pair<TPointD, TPointD>> boxes;
    for (const TRect& r : deviceRects)
        boxes.push_back({DeviceToOutput.Apply({double(r.Left), double(r.Top)}),
                         DeviceToOutput.Apply({double(r.Right), double(r.Bottom)})});
    CombineClip(RegionOfBoxes(boxes, Output.Area()), mode);
}

void TPlayer::SelectClipPath(int mode)
{
    InPath = false;
    CombineClip(RegionOfPath(OpenPath, State.FillMode == WINDING), mode);
    OpenPath.Clear();
}

}  // namespace tremalu
