// The player's shapes and paths, drawn with the selected pen and brush in
// the current mixing mode.
//
// Pixel model: a logical point lands on output coordinates that count pixel
// edges. A filled area covers the pixels whose centres lie inside it, so a
// box from (l, t) to (r, b) fills columns l to r − 1, as the platform fills
// it. Outlines run through pixel centres (half a pixel in from the edges),
// so the outline of that box lies on its first and last columns and rows.
#include "formats/metafile/player.h"

#include "core/color.h"
#include "core/errors.h"
#include "raster/drawing.h"
#include "raster/pixel_buffer.h"

#include <algorithm>

namespace tremalu {

namespace {

// Coordinates farther out than this are degenerate: such shapes are skipped
// (cairo's fixed-point numbers stop far below the range of the files).
constexpr double CoordinateLimit = double(1 << 22);
// Pens and dashes wider than this are held to it: cairo refuses lengths that
// are not finite, and a refusal would stop every later drawing.
constexpr double MaxPenPixels = double(1 << 16);

double PenPixels(double length) { return std::isnan(length) ? 1 : std::clamp(length, 1.0, MaxPenPixels); }

// A dashed line of more dashes than this is drawn solid: such a line runs
// far outside the output, and cairo would lay out every dash.
constexpr double MaxDashes = 1 << 16;

// The length of a path's control polygon, which is at least that of the path.
double PathLength(const TPath& path)
{
    double length = 0;
    const std::vector<TPointD>& p = path.Points();
    for (size_t i = 1; i < p.size(); ++i)
        length += std::hypot(p[i].X - p[i - 1].X, p[i].Y - p[i - 1].Y);
    return length;
}

void LimitDashes(cairo_t* cr, const TPath& path)
{
    const int count = cairo_get_dash_count(cr);
    if (count == 0)
        return;
    std::vector<double> dashes(static_cast<size_t>(count));
    double offset = 0;
    cairo_get_dash(cr, dashes.data(), &offset);
    double period = 0;
    for (double d : dashes)
        period += d;
    if (PathLength(path) / period > MaxDashes)
        cairo_set_dash(cr, nullptr, 0, 0);
}

uint32_t PixelOf(TColorRef color) { return DevicePixel(static_cast<TColor>(color & 0xFFFFFF)); }

void SetColor(cairo_t* cr, TColorRef color)
{
    cairo_set_source_rgb(cr, (color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0);
}

void AddPath(cairo_t* cr, const TPath& path)
{
    cairo_new_path(cr);
    const std::vector<TPointD>& p = path.Points();
    size_t k = 0;
    for (TSegment s : path.Kinds()) {
        switch (s) {
        case TSegment::Move:
            cairo_move_to(cr, p[k].X, p[k].Y);
            ++k;
            break;
        case TSegment::Line:
            cairo_line_to(cr, p[k].X, p[k].Y);
            ++k;
            break;
        case TSegment::Curve:
            cairo_curve_to(cr, p[k].X, p[k].Y, p[k + 1].X, p[k + 1].Y, p[k + 2].X, p[k + 2].Y);
            k += 3;
            break;
        case TSegment::Close:
            cairo_close_path(cr);
            break;
        }
    }
}

// The ternary function of a binary mixing mode: the mode's number less one is
// the truth table of pen P and destination D at bit P·2 + D. A record may
// hold any 32-bit mode: the subtraction is done unsigned, where it wraps.
uint8_t MixFunction(int rop2)
{
    const unsigned table = (static_cast<unsigned>(rop2) - 1u) & 0xF;
    uint8_t f = 0;
    for (int index = 0; index < 8; ++index) {
        const int p = index >> 2, d = index & 1;
        if ((table >> (p * 2 + d)) & 1)
            f = static_cast<uint8_t>(f | (1 << index));
    }
    return f;
}

// The dash pattern of a pen style, in units of the pen's width.
std::vector<double> DashesOf(uint32_t style)
{
    switch (style & PS_STYLE_MASK) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    case PS_ALTERNATE:
        return {1, 1};
    default:
        return {};
    }
}

cairo_surface_t* PatternSurface(const TPixelBuffer& pixels, uint32_t zero, uint32_t one)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels.Width(), pixels.Height());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
        return s;
    const TPixelBuffer::MonochromeColors mono{zero, one};
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int32_t y = 0; y < pixels.Height(); ++y)
        pixels.ReadRow(y, 0, pixels.Width(), reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride),
                       pixels.IsMonochrome() ? &mono : nullptr);
    cairo_surface_mark_dirty(s);
    return s;
}

// Makes tile, repeated pixel for pixel, the source of c; takes the tile.
void SetTiledSource(cairo_t* c, cairo_surface_t* tile)
{
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_set_source(c, pattern);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(tile);
}

}  // namespace

// ---------------------------------------------------------------- tools

void TPlayer::ApplyFillRule()
{
    cairo_set_fill_rule(Cairo, State.FillMode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
}

void TPlayer::SetBrushSource(const TBrushSpec& brush)
{
    if (brush.Style == BS_HATCHED) {
        // Eight by eight pixels on the output's grid; between the lines the
        // background colour when the background is opaque.
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
        unsigned char* data = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        const uint32_t line = 0xFF000000 | PixelOf(brush.Color);
        const uint32_t gap = State.BkMode == OPAQUE ? 0xFF000000 | PixelOf(State.BkColor) : 0;
        const TBrushStyle style = static_cast<TBrushStyle>(std::min<uint32_t>(brush.Hatch, 5) + 2);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                reinterpret_cast<uint32_t*>(data + y * stride)[x] = OnHatchLine(style, x, y) ? line : gap;
        cairo_surface_mark_dirty(s);
        SetTiledSource(Cairo, s);
        return;
    }
    if ((brush.Style == BS_PATTERN || brush.Style == BS_DIBPATTERN || brush.Style == BS_DIBPATTERNPT) &&
        brush.Pattern) {
        cairo_surface_t* s = PatternSurface(*brush.Pattern, PixelOf(State.TextColor), PixelOf(State.BkColor));
        SetTiledSource(Cairo, s);
        return;
    }
    SetColor(Cairo, brush.Color);
}

void TPlayer::SetPenStyle()
{
    const TPenSpec& pen = State.Pen;
    const bool geometric = (pen.Style & PS_GEOMETRIC) != 0 || pen.Width > 1;
    const double width = pen.Width <= 0 ? 1 : PenPixels(std::floor(LogicalToPixels(pen.Width) + 0.5));
    cairo_set_line_width(Cairo, width);
    cairo_line_cap_t cap = CAIRO_LINE_CAP_ROUND;
    cairo_line_join_t join = CAIRO_LINE_JOIN_ROUND;
    if (!geometric || width <= 1) {
        cap = CAIRO_LINE_CAP_BUTT;
        join = CAIRO_LINE_JOIN_MITER;
    } else {
        if ((pen.Style & PS_ENDCAP_MASK) == PS_ENDCAP_SQUARE)
            cap = CAIRO_LINE_CAP_SQUARE;
        else if ((pen.Style & PS_ENDCAP_MASK) == PS_ENDCAP_FLAT)
            cap = CAIRO_LINE_CAP_BUTT;
        if ((pen.Style & PS_JOIN_MASK) == PS_JOIN_BEVEL)
            join = CAIRO_LINE_JOIN_BEVEL;
        else if ((pen.Style & PS_JOIN_MASK) == PS_JOIN_MITER)
            join = CAIRO_LINE_JOIN_MITER;
    }
    cairo_set_line_cap(Cairo, cap);
    cairo_set_line_join(Cairo, join);
    cairo_set_miter_limit(Cairo, State.MiterLimit);
    std::vector<double> dashes;
    if ((pen.Style & PS_STYLE_MASK) == PS_USERSTYLE) {
        for (double d : pen.Dashes)
            dashes.push_back(PenPixels(LogicalToPixels(std::fabs(d))));
    } else {
        // Cosmetic dashes count pixels; wide ones grow with the pen.
        const double unit = width <= 1 ? 1 : width / 3;
        for (double d : DashesOf(pen.Style))
            dashes.push_back(d * unit);
    }
    cairo_set_dash(Cairo, dashes.data(), static_cast<int>(dashes.size()), 0);
}

// ---------------------------------------------------------------- painting

bool TPlayer::Affordable(const TPath& path, double margin)
{
    if (path.Empty() || !path.WithinLimit(CoordinateLimit))
        return false;
    double l, t, r, b;
    path.Bounds(l, t, r, b);
    const TRect& area = Output.Area();
    const double w = std::clamp(std::min<double>(r + margin, area.Right) - std::max<double>(l - margin, area.Left), 0.0,
                                double(area.Width()));
    const double h = std::clamp(std::min<double>(b + margin, area.Bottom) - std::max<double>(t - margin, area.Top),
                                0.0, double(area.Height()));
    return Budget.Spend(static_cast<uint64_t>(w * h) + path.Size());
}

TRect TPlayer::ReachedArea(double x1, double y1, double x2, double y2, double margin) const
{
    const TRect& area = Output.Area();
    return Intersect(Rect(static_cast<int32_t>(std::floor(std::max<double>(x1 - margin, area.Left))),
                          static_cast<int32_t>(std::floor(std::max<double>(y1 - margin, area.Top))),
                          static_cast<int32_t>(std::ceil(std::min<double>(x2 + margin, area.Right))),
                          static_cast<int32_t>(std::ceil(std::min<double>(y2 + margin, area.Bottom)))),
                     area);
}

cairo_t* TPlayer::MaskContext(cairo_surface_t* mask, const TRect& box) const
{
    cairo_t* m = cairo_create(mask);
    cairo_translate(m, -box.Left, -box.Top);
    cairo_set_antialias(m, CAIRO_ANTIALIAS_NONE);
    // The mask takes the same clipping as the output.
    cairo_rectangle_list_t* clip = cairo_copy_clip_rectangle_list(Cairo);
    if (clip->status == CAIRO_STATUS_SUCCESS) {
        for (int i = 0; i < clip->num_rectangles; ++i)
            cairo_rectangle(m, clip->rectangles[i].x, clip->rectangles[i].y, clip->rectangles[i].width,
                            clip->rectangles[i].height);
        cairo_clip(m);
    }
    cairo_rectangle_list_destroy(clip);
    // Clipped to the mask's own bounds, cairo rasterizes only what it holds.
    cairo_rectangle(m, box.Left, box.Top, box.Width(), box.Height());
    cairo_clip(m);
    return m;
}

void TPlayer::Paint(const TPath& path, bool fill, TColorRef color, const TBrushSpec* brush)
{
    if (State.Rop2 == R2_NOP)
        return;
    const double margin = fill ? 1 : cairo_get_line_width(Cairo) + 2;
    if (!Affordable(path, margin))
        return;
    ApplyClip();
    AddPath(Cairo, path);
    if (fill)
        ApplyFillRule();
    if (State.Rop2 == R2_COPYPEN) {
        if (brush != nullptr)
            SetBrushSource(*brush);
        else
            SetColor(Cairo, color);
        if (fill) {
            cairo_fill(Cairo);
        } else {
            LimitDashes(Cairo, path);
            cairo_stroke(Cairo);
        }
        return;
    }
    // Any other mode mixes the pen's colour with the pixels under the shape:
    // the shape's coverage is drawn into a mask first, over the part of the
    // output that the shape's bounds (and the pen) can reach, a band of rows
    // at a time.
    double x1, y1, x2, y2;
    path.Bounds(x1, y1, x2, y2);
    const TRect box = ReachedArea(x1, y1, x2, y2, margin);
    cairo_new_path(Cairo);
    if (box.IsEmpty() || !AffordRaster(box))
        return;
    const int32_t rows = RasterBandRows(box.Width());
    for (int32_t top = box.Top; top < box.Bottom; top += rows) {
        const TRect band{box.Left, top, box.Right, std::min(box.Bottom, top + rows)};
        cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, band.Width(), band.Height());
        if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(mask);
            throw EOutOfMemory(texts::OutOfMemory);
        }
        cairo_t* m = MaskContext(mask, band);
        AddPath(m, path);
        cairo_set_fill_rule(m, cairo_get_fill_rule(Cairo));
        cairo_set_line_width(m, cairo_get_line_width(Cairo));
        cairo_set_line_cap(m, cairo_get_line_cap(Cairo));
        cairo_set_line_join(m, cairo_get_line_join(Cairo));
        if (fill)
            cairo_fill(m);
        else
            cairo_stroke(m);
        cairo_destroy(m);
        MixThroughMask(mask, band.Left, band.Top, PixelOf(brush != nullptr ? brush->Color : color));
        cairo_surface_destroy(mask);
    }
}

bool TPlayer::AffordRaster(const TRect& box)
{
    const uint64_t pixels = static_cast<uint64_t>(box.Width()) * static_cast<uint64_t>(box.Height());
    if (!RasterBudget.Spend(pixels))
        return false;
    RasterPixels += pixels;
    return true;
}

void TPlayer::MixThroughMask(cairo_surface_t* mask, int x, int y, uint32_t penPixel)
{
    cairo_surface_flush(mask);
    cairo_surface_t* image = Output.Surface();
    cairo_surface_flush(image);
    const uint8_t function = MixFunction(State.Rop2);
    const unsigned char* m = cairo_image_surface_get_data(mask);
    const int mStride = cairo_image_surface_get_stride(mask);
    unsigned char* d = cairo_image_surface_get_data(image);
    const int dStride = cairo_image_surface_get_stride(image);
    const TRect& area = Output.Area();
    const int w = cairo_image_surface_get_width(mask), h = cairo_image_surface_get_height(mask);
    for (int j = 0; j < h; ++j) {
        auto* row = reinterpret_cast<uint32_t*>(d + static_cast<size_t>(y - area.Top + j) * dStride) + (x - area.Left);
        const unsigned char* cover = m + static_cast<size_t>(j) * mStride;
        for (int i = 0; i < w; ++i)
            if (cover[i] != 0)
                row[i] = ApplyRop(function, penPixel, 0, row[i]) & DeviceColorBits;
    }
    cairo_surface_mark_dirty(image);
}

void TPlayer::DrawShape(const TPath& path, bool fill, bool stroke)
{
    if (IntoPath(path))
        return;
    if (fill && State.Brush.Style != BS_NULL)
        Paint(path, true, State.Brush.Color, &State.Brush);
    if (stroke && (State.Pen.Style & PS_STYLE_MASK) != PS_NULL) {
        SetPenStyle();
        Paint(path.Offset(0.5, 0.5), false, State.Pen.Color, nullptr);
    }
}

void TPlayer::StrokeLines(const TPath& lines)
{
    if (IntoPath(lines) || (State.Pen.Style & PS_STYLE_MASK) == PS_NULL)
        return;
    SetPenStyle();
    Paint(lines.Offset(0.5, 0.5), false, State.Pen.Color, nullptr);
}

bool TPlayer::IntoPath(const TPath& shape)
{
    if (!InPath)
        return false;
    if (OpenPath.Size() + shape.Size() <= TObjectTable::MaxSlots * 64)
        OpenPath.Append(shape);
    return true;
}

// ---------------------------------------------------------------- paths

void TPlayer::BeginPath()
{
    InPath = true;
    OpenPath.Clear();
}

void TPlayer::EndPath() { InPath = false; }

void TPlayer::AbortPath()
{
    InPath = false;
    OpenPath.Clear();
}

void TPlayer::CloseFigure()
{
    if (InPath)
        OpenPath.Close();
}

void TPlayer::FillPath()
{
    InPath = false;
    if (State.Brush.Style != BS_NULL)
        Paint(OpenPath, true, State.Brush.Color, &State.Brush);
    OpenPath.Clear();
}

void TPlayer::StrokePath()
{
    InPath = false;
    if ((State.Pen.Style & PS_STYLE_MASK) != PS_NULL) {
        SetPenStyle();
        Paint(OpenPath.Offset(0.5, 0.5), false, State.Pen.Color, nullptr);
    }
    OpenPath.Clear();
}

void TPlayer::StrokeAndFillPath()
{
    InPath = false;
    const TPath path = std::move(OpenPath);
    OpenPath.Clear();
    DrawShape(path, true, true);
}

}  // namespace tremalu
