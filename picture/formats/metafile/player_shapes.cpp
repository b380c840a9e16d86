// The player's shapes: lines, polygons, curves, boxes, ellipses and arcs,
// built in logical coordinates and drawn (or added to the open path) by
// the painting of player_drawing.cpp.
#include "formats/metafile/player.h"

#include <algorithm>
#include <functional>

namespace tremalu {

// ---------------------------------------------------------------- lines

void TPlayer::MoveTo(TPointD p)
{
    State.Current = p;
    if (InPath)
        OpenPath.MoveTo(ToOutput.Apply(p));
}

void TPlayer::LineTo(TPointD p)
{
    TPath line;
    if (InPath) {
        OpenPath.LineTo(ToOutput.Apply(p));
    } else {
        TShapeBuilder b = Builder(line);
        b.MoveTo(State.Current);
        b.LineTo(p);
        StrokeLines(line);
    }
    State.Current = p;
}

void TPlayer::Polyline(const std::vector<TPointD>& points)
{
    if (points.size() < 2)
        return;
    TPath lines;
    TShapeBuilder b = Builder(lines);
    b.MoveTo(points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        b.LineTo(points[i]);
    StrokeLines(lines);
}

void TPlayer::PolylineTo(const std::vector<TPointD>& points)
{
    if (points.empty())
        return;
    if (InPath) {
        for (const TPointD& p : points)
            OpenPath.LineTo(ToOutput.Apply(p));
    } else {
        TPath lines;
        TShapeBuilder b = Builder(lines);
        b.MoveTo(State.Current);
        for (const TPointD& p : points)
            b.LineTo(p);
        StrokeLines(lines);
    }
    State.Current = points.back();
}

void TPlayer::PolyPolyline(const std::vector<std::vector<TPointD>>& lines)
{
    TPath all;
    TShapeBuilder b = Builder(all);
    for (const auto& line : lines) {
        if (line.size() < 2)
            continue;
        b.MoveTo(line[0]);
        for (size_t i = 1; i < line.size(); ++i)
            b.LineTo(line[i]);
    }
    if (!all.Empty())
        StrokeLines(all);
}

void TPlayer::Polygon(const std::vector<TPointD>& points)
{
    if (points.size() < 2)
        return;
    TPath shape;
    Builder(shape).Polygon(points);
    DrawShape(shape, true, true);
}

void TPlayer::PolyPolygon(const std::vector<std::vector<TPointD>>& polygons)
{
    TPath shape;
    TShapeBuilder b = Builder(shape);
    for (const auto& polygon : polygons)
        if (polygon.size() >= 2)
            b.Polygon(polygon);
    if (!shape.Empty())
        DrawShape(shape, true, true);
}

void TPlayer::PolyBezier(const std::vector<TPointD>& points)
{
    if (points.size() < 4)
        return;
    TPath curve;
    TShapeBuilder b = Builder(curve);
    b.MoveTo(points[0]);
    for (size_t i = 1; i + 2 < points.size(); i += 3)
        b.CurveTo(points[i], points[i + 1], points[i + 2]);
    StrokeLines(curve);
}

void TPlayer::PolyBezierTo(const std::vector<TPointD>& points)
{
    if (points.size() < 3)
        return;
    TPath curve;
    TShapeBuilder b = Builder(InPath ? OpenPath : curve);
    if (!InPath)
        b.MoveTo(State.Current);
    size_t i = 0;
    for (; i + 2 < points.size(); i += 3)
        b.CurveTo(points[i], points[i + 1], points[i + 2]);
    State.Current = points[i - 1];
    if (!InPath)
        StrokeLines(curve);
}

void TPlayer::PolyDraw(const std::vector<TPointD>& points, const std::vector<uint8_t>& types)
{
    TPath figure;
    TShapeBuilder b = Builder(InPath ? OpenPath : figure);
    if (!InPath)
        b.MoveTo(State.Current);
    TPointD start = State.Current;
    for (size_t i = 0; i < points.size() && i < types.size(); ++i) {
        const uint8_t kind = types[i] & ~PT_CLOSEFIGURE;
        if (kind == PT_MOVETO) {
            b.MoveTo(points[i]);
            start = points[i];
        } else if (kind == PT_LINETO) {
            b.LineTo(points[i]);
        } else if (kind == PT_BEZIERTO && i + 2 < points.size()) {
            b.CurveTo(points[i], points[i + 1], points[i + 2]);
            i += 2;
        } else {
            break;  // a malformed list ends the figure
        }
        State.Current = points[i];
        if ((types[i] & PT_CLOSEFIGURE) != 0) {
            b.Close();
            State.Current = start;
        }
    }
    if (!InPath)
        StrokeLines(figure);
}

// ---------------------------------------------------------------- boxes

namespace {

// Makes a shape on a box; points given with the shape go through pointMap,
// and lengths grow by (sx, sy).
using TBoxShapeMaker = std::function<void(TShapeBuilder&, double, double, double, double, const TAffine& pointMap,
                                          double sx, double sy)>;

}  // namespace

// Builds a shape on a box twice: on the box's edges for the fill, and on
// the centres of its outer pixels for the outline (a box from l to r fills
// l to r − 1 and is outlined on l and r − 1). On a page turned by a world
// transform both are the same shape.
static void BoxShapes(const TAffine& map, double l, double t, double r, double b, const TBoxShapeMaker& make,
                      TPath& fill, TPath& outline)
{
    if (map.M12 == 0 && map.M21 == 0) {
        const TPointD a = map.Apply({l, t}), c = map.Apply({r, b});
        const double L = std::min(a.X, c.X), R = std::max(a.X, c.X), T = std::min(a.Y, c.Y), B = std::max(a.Y, c.Y);
        TShapeBuilder f(fill, TAffine{});
        make(f, L, T, R, B, map, std::fabs(map.M11), std::fabs(map.M22));
        TShapeBuilder o(outline, TAffine{});
        make(o, L + 0.5, T + 0.5, std::max(L + 0.5, R - 0.5), std::max(T + 0.5, B - 0.5), map, std::fabs(map.M11),
             std::fabs(map.M22));
        return;
    }
    TShapeBuilder f(fill, map);
    make(f, l, t, r, b, TAffine{}, 1, 1);
    outline = fill;
}

void TPlayer::FillAndOutline(const TPath& fill, const TPath& outline)
{
    if (IntoPath(fill))
        return;
    if (State.Brush.Style != BS_NULL)
        Paint(fill, true, State.Brush.Color, &State.Brush);
    if ((State.Pen.Style & PS_STYLE_MASK) != PS_NULL) {
        SetPenStyle();
        Paint(outline, false, State.Pen.Color, nullptr);
    }
}

void TPlayer::Rectangle(double left, double top, double right, double bottom)
{
    TPath fill, outline;
    BoxShapes(ToOutput, left, top, right, bottom,
              [](TShapeBuilder& s, double l, double t, double r, double b, const TAffine&, double, double) {
                  s.Box(l, t, r, b);
              },
              fill, outline);
    FillAndOutline(fill, outline);
}

void TPlayer::RoundRect(double left, double top, double right, double bottom, double width, double height)
{
    TPath fill, outline;
    BoxShapes(ToOutput, left, top, right, bottom,
              [&](TShapeBuilder& s, double l, double t, double r, double b, const TAffine&, double sx, double sy) {
                  s.RoundBox(l, t, r, b, width * sx, height * sy);
              },
              fill, outline);
    FillAndOutline(fill, outline);
}

void TPlayer::Ellipse(double left, double top, double right, double bottom)
{
    TPath fill, outline;
    BoxShapes(ToOutput, left, top, right, bottom,
              [](TShapeBuilder& s, double l, double t, double r, double b, const TAffine&, double, double) {
                  s.Ellipse(l, t, r, b);
              },
              fill, outline);
    FillAndOutline(fill, outline);
}

namespace {

enum class TArcKind { Open, Chord, Pie };

}  // namespace

static void ArcShapes(const TAffine& map, double l, double t, double r, double b, TPointD start, TPointD end,
                      bool clockwise, TArcKind kind, TPath& fill, TPath& outline)
{
    BoxShapes(map, l, t, r, b,
              [&](TShapeBuilder& s, double L, double T, double R, double B, const TAffine& m, double, double) {
                  if (kind == TArcKind::Pie)
                      s.MoveTo({(L + R) / 2, (T + B) / 2});
                  s.Arc(L, T, R, B, m.Apply(start), m.Apply(end), clockwise, kind == TArcKind::Pie);
                  if (kind != TArcKind::Open)
                      s.Close();
              },
              fill, outline);
}

void TPlayer::Arc(double left, double top, double right, double bottom, TPointD start, TPointD end)
{
    TPath fill, outline;
    ArcShapes(ToOutput, left, top, right, bottom, start, end, State.Clockwise, TArcKind::Open, fill, outline);
    if (!IntoPath(fill) && (State.Pen.Style & PS_STYLE_MASK) != PS_NULL) {
        SetPenStyle();
        Paint(outline, false, State.Pen.Color, nullptr);
    }
}

void TPlayer::ArcTo(double left, double top, double right, double bottom, TPointD start, TPointD end)
{
    // A line from the current point to the arc's start, then the arc; the
    // arc's end becomes the current point.
    TPath path;
    TShapeBuilder b = Builder(InPath ? OpenPath : path);
    if (!InPath)
        b.MoveTo(State.Current);
    State.Current = b.Arc(left, top, right, bottom, start, end, State.Clockwise, true);
    if (!InPath)
        StrokeLines(path);
}

void TPlayer::Chord(double left, double top, double right, double bottom, TPointD start, TPointD end)
{
    TPath fill, outline;
    ArcShapes(ToOutput, left, top, right, bottom, start, end, State.Clockwise, TArcKind::Chord, fill, outline);
    FillAndOutline(fill, outline);
}

void TPlayer::Pie(double left, double top, double right, double bottom, TPointD start, TPointD end)
{
    TPath fill, outline;
    ArcShapes(ToOutput, left, top, right, bottom, start, end, State.Clockwise, TArcKind::Pie, fill, outline);
    FillAndOutline(fill, outline);
}

void TPlayer::AngleArc(TPointD center, double radius, double start, double sweep)
{
    if (!std::isfinite(start) || !std::isfinite(sweep))
        return;
    TPath path;
    TShapeBuilder b = Builder(InPath ? OpenPath : path);
    if (!InPath)
        b.MoveTo(State.Current);
    State.Current = b.AngleArc(center, radius, start, sweep, true);
    if (!InPath)
        StrokeLines(path);
}

void TPlayer::SetPixel(TPointD p, TColorRef color)
{
    const TPointD o = ToOutput.Apply(p);
    TPath dot;
    const double x = std::floor(o.X), y = std::floor(o.Y);
    TShapeBuilder(dot, TAffine{}).Box(x, y, x + 1, y + 1);
    const int rop = State.Rop2;
    State.Rop2 = R2_COPYPEN;
    Paint(dot, true, color, nullptr);
    State.Rop2 = rop;
}

void TPlayer::FillRegion(const std::vector<TRect>& rects, const TBrushSpec& brush)
{
    if (brush.Style == BS_NULL)
        return;
    TPath shape;
    TShapeBuilder b = Builder(shape);
    for (const TRect& r : rects)
        b.Box(r.Left, r.Top, r.Right, r.Bottom);
    const int fillMode = State.FillMode;
    State.FillMode = WINDING;
    Paint(shape, true, brush.Color, &brush);
    State.FillMode = fillMode;
}

}  // namespace tremalu
