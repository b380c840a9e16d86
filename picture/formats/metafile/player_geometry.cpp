#include "formats/metafile/player_geometry.h"

#include <algorithm>
#include <numbers>

namespace tremalu {

namespace {

constexpr double Pi = std::numbers::pi;

}  // namespace

TAffine TAffine::Then(const TAffine& a, const TAffine& b)
{
    TAffine r;
    r.M11 = a.M11 * b.M11 + a.M12 * b.M21;
    r.M12 = a.M11 * b.M12 + a.M12 * b.M22;
    r.M21 = a.M21 * b.M11 + a.M22 * b.M21;
    r.M22 = a.M21 * b.M12 + a.M22 * b.M22;
    r.Dx = a.Dx * b.M11 + a.Dy * b.M21 + b.Dx;
    r.Dy = a.Dx * b.M12 + a.Dy * b.M22 + b.Dy;
    return r;
}

bool TAffine::Invert(TAffine& inverse) const
{
    const double det = Determinant();
    if (!std::isfinite(det) || std::fabs(det) < 1e-12)
        return false;
    inverse.M11 = M22 / det;
    inverse.M12 = -M12 / det;
    inverse.M21 = -M21 / det;
    inverse.M22 = M11 / det;
    inverse.Dx = -(Dx * inverse.M11 + Dy * inverse.M21);
    inverse.Dy = -(Dx * inverse.M12 + Dy * inverse.M22);
    return inverse.IsFinite();
}

// ---------------------------------------------------------------- paths

void TPath::MoveTo(TPointD p)
{
    Segments.push_back(TSegment::Move);
    Coordinates.push_back(p);
}

void TPath::LineTo(TPointD p)
{
    if (Segments.empty())
        MoveTo(p);
    Segments.push_back(TSegment::Line);
    Coordinates.push_back(p);
}

void TPath::CurveTo(TPointD c1, TPointD c2, TPointD end)
{
    if (Segments.empty())
        MoveTo(c1);
    Segments.push_back(TSegment::Curve);
    Coordinates.insert(Coordinates.end(), {c1, c2, end});
}

void TPath::Close()
{
    if (!Segments.empty() && Segments.back() != TSegment::Close)
        Segments.push_back(TSegment::Close);
}

void TPath::Append(const TPath& other)
{
    Segments.insert(Segments.end(), other.Segments.begin(), other.Segments.end());
    Coordinates.insert(Coordinates.end(), other.Coordinates.begin(), other.Coordinates.end());
}

void TPath::Clear()
{
    Segments.clear();
    Coordinates.clear();
}

bool TPath::Bounds(double& left, double& top, double& right, double& bottom) const
{
    if (Coordinates.empty())
        return false;
    left = right = Coordinates[0].X;
    top = bottom = Coordinates[0].Y;
    for (const TPointD& p : Coordinates) {
        left = std::min(left, p.X);
        right = std::max(right, p.X);
        top = std::min(top, p.Y);
        bottom = std::max(bottom, p.Y);
    }
    return true;
}

bool TPath::WithinLimit(double limit) const
{
    return std::all_of(Coordinates.begin(), Coordinates.end(), [limit](const TPointD& p) {
        return std::isfinite(p.X) && std::isfinite(p.Y) && std::fabs(p.X) <= limit && std::fabs(p.Y) <= limit;
    });
}

TPath TPath::Offset(double dx, double dy) const
{
    TPath moved = *this;
    for (TPointD& p : moved.Coordinates)
        p = {p.X + dx, p.Y + dy};
    return moved;
}

// ---------------------------------------------------------------- shapes

void TShapeBuilder::Polygon(const std::vector<TPointD>& points)
{
    if (points.empty())
        return;
    MoveTo(points[0]);
    for (size_t i = 1; i < points.size(); ++i)
        LineTo(points[i]);
    Close();
}

void TShapeBuilder::Box(double left, double top, double right, double bottom)
{
    MoveTo({left, top});
    LineTo({right, top});
    LineTo({right, bottom});
    LineTo({left, bottom});
    Close();
}

void TShapeBuilder::EllipticArc(TPointD center, double rx, double ry, double from, double sweep, bool connect)
{
    // Cubic Béziers of at most a quarter turn each; k is the length of the
    // control arms for an arc of angle a on the unit circle.
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (Pi / 2) - 1e-9)));
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    const auto at = [&](double t) { return TPointD{center.X + rx * std::cos(t), center.Y + ry * std::sin(t)}; };
    TPointD p = at(from);
    if (connect)
        LineTo(p);
    else
        MoveTo(p);
    double t = from;
    for (int i = 0; i < pieces; ++i) {
        const double u = t + step;
        const TPointD q = at(u);
        const TPointD c1{p.X - k * rx * std::sin(t), p.Y + k * ry * std::cos(t)};
        const TPointD c2{q.X + k * rx * std::sin(u), q.Y - k * ry * std::cos(u)};
        CurveTo(c1, c2, q);
        p = q;
        t = u;
    }
}

void TShapeBuilder::Ellipse(double left, double top, double right, double bottom)
{
    const TPointD c{(left + right) / 2, (top + bottom) / 2};
    EllipticArc(c, (right - left) / 2, (bottom - top) / 2, 0, 2 * Pi, false);
    Close();
}

void TShapeBuilder::RoundBox(double left, double top, double right, double bottom, double width, double height)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const double rx = std::min(std::fabs(width) / 2, (right - left) / 2);
    const double ry = std::min(std::fabs(height) / 2, (bottom - top) / 2);
    if (rx <= 0 || ry <= 0) {
        Box(left, top, right, bottom);
        return;
    }
    EllipticArc({right - rx, top + ry}, rx, ry, -Pi / 2, Pi / 2, false);
    EllipticArc({right - rx, bottom - ry}, rx, ry, 0, Pi / 2, true);
    EllipticArc({left + rx, bottom - ry}, rx, ry, Pi / 2, Pi / 2, true);
    EllipticArc({left + rx, top + ry}, rx, ry, Pi, Pi / 2, true);
    Close();
}

TPointD TShapeBuilder::Arc(double left, double top, double right, double bottom, TPointD start, TPointD end,
                           bool clockwise, bool connect)
{
    const TPointD c{(left + right) / 2, (top + bottom) / 2};
    const double rx = std::fabs(right - left) / 2, ry = std::fabs(bottom - top) / 2;
    if (rx <= 0 || ry <= 0) {
        if (connect)
            LineTo(c);
        else
            MoveTo(c);
        return c;
    }
    const double from = std::atan2((start.Y - c.Y) / ry, (start.X - c.X) / rx);
    const double to = std::atan2((end.Y - c.Y) / ry, (end.X - c.X) / rx);
    // With y growing downwards, counter-clockwise on the output is a falling
    // angle; a transform that mirrors the picture turns that round.
    const bool falling = clockwise == Mirrors();
    double sweep = to - from;
    if (falling) {
        if (sweep >= 0)
            sweep -= 2 * Pi;
    } else if (sweep <= 0) {
        sweep += 2 * Pi;
    }
    EllipticArc(c, rx, ry, from, sweep, connect);
    return {c.X + rx * std::cos(from + sweep), c.Y + ry * std::sin(from + sweep)};
}

TPointD TShapeBuilder::AngleArc(TPointD center, double radius, double startDegrees, double sweepDegrees, bool connect)
{
    // Angles count counter-clockwise on a page whose y grows downwards.
    const double from = -startDegrees * Pi / 180, sweep = -sweepDegrees * Pi / 180;
    const double limited = std::clamp(sweep, -4 * Pi, 4 * Pi);
    EllipticArc(center, radius, radius, from, limited, connect);
    return {center.X + radius * std::cos(from + limited), center.Y + radius * std::sin(from + limited)};
}

}  // namespace tremalu
