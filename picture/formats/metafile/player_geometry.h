// Geometry of the metafile player: affine transforms, points and the paths
// that every shape becomes before it is drawn.
//
// Shapes are built in the metafile's logical coordinates and carried to the
// output's pixel coordinates by one affine transform (the world transform,
// the page mapping and the placement of the picture in the output rectangle
// together). An affine map carries straight lines and Bézier curves exactly,
// so a path keeps only line and curve segments.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace tremalu {

struct TPointD {
    double X = 0;
    double Y = 0;
};

// x' = M11·x + M21·y + Dx, y' = M12·x + M22·y + Dy (the layout of the
// metafile's own transform records).
struct TAffine {
    double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;

    TPointD Apply(TPointD p) const { return {M11 * p.X + M21 * p.Y + Dx, M12 * p.X + M22 * p.Y + Dy}; }
    // The transform of a displacement (no translation).
    TPointD ApplyVector(TPointD v) const { return {M11 * v.X + M21 * v.Y, M12 * v.X + M22 * v.Y}; }
    double Determinant() const { return M11 * M22 - M12 * M21; }
    // How much lengths grow, on average over directions.
    double LinearScale() const { return std::sqrt(std::fabs(Determinant())); }
    bool IsFinite() const
    {
        return std::isfinite(M11) && std::isfinite(M12) && std::isfinite(M21) && std::isfinite(M22) &&
               std::isfinite(Dx) && std::isfinite(Dy);
    }
    // a then b: b.Apply(a.Apply(p)).
    static TAffine Then(const TAffine& a, const TAffine& b);
    // False when the transform cannot be inverted.
    bool Invert(TAffine& inverse) const;
};

enum class TSegment : uint8_t { Move, Line, Curve, Close };

// A path in output pixel coordinates: a sequence of segments, each Move and
// Line taking one point, each Curve three (two control points and the end).
class TPath {
public:
    void MoveTo(TPointD p);
    void LineTo(TPointD p);
    void CurveTo(TPointD c1, TPointD c2, TPointD end);
    void Close();
    void Append(const TPath& other);
    void Clear();

    bool Empty() const { return Segments.empty(); }
    const std::vector<TSegment>& Kinds() const { return Segments; }
    const std::vector<TPointD>& Points() const { return Coordinates; }
    size_t Size() const { return Coordinates.size(); }
    // The bounding box of the points; false for an empty path.
    bool Bounds(double& left, double& top, double& right, double& bottom) const;
    // Whether every point is finite and within limit of the origin.
    bool WithinLimit(double limit) const;
    // The same path with every point moved by (dx, dy).
    TPath Offset(double dx, double dy) const;

private:
    std::vector<TSegment> Segments;
    std::vector<TPointD> Coordinates;
};

// Builds shapes in logical coordinates and adds them, transformed, to a
// path.
class TShapeBuilder {
public:
    TShapeBuilder(TPath& path, const TAffine& toOutput) : Out(path), Map(toOutput) {}

    void MoveTo(TPointD p) { Out.MoveTo(Map.Apply(p)); }
    void LineTo(TPointD p) { Out.LineTo(Map.Apply(p)); }
    void CurveTo(TPointD a, TPointD b, TPointD c) { Out.CurveTo(Map.Apply(a), Map.Apply(b), Map.Apply(c)); }
    void Close() { Out.Close(); }
    void Polygon(const std::vector<TPointD>& points);
    // The four sides of a box.
    void Box(double left, double top, double right, double bottom);
    // An ellipse inscribed in a box, starting at its rightmost point.
    void Ellipse(double left, double top, double right, double bottom);
    // A box with its corners rounded by quarter ellipses of the given size.
    void RoundBox(double left, double top, double right, double bottom, double width, double height);
    // The arc of the ellipse inscribed in a box from the ray through start to
    // the ray through end, counter-clockwise on the output unless clockwise.
    // Starts with a line from the current point when connect, with a move
    // otherwise. Returns the arc's last point (logical).
    TPointD Arc(double left, double top, double right, double bottom, TPointD start, TPointD end, bool clockwise,
                bool connect);
    // An arc of a circle by angles in degrees (counter-clockwise positive).
    TPointD AngleArc(TPointD center, double radius, double startDegrees, double sweepDegrees, bool connect);

    // Whether the transform turns shapes over (so that counter-clockwise in
    // logical coordinates becomes clockwise on the output).
    bool Mirrors() const { return Map.Determinant() < 0; }

private:
    // Adds an elliptic arc by parametric angles, in logical coordinates.
    void EllipticArc(TPointD center, double rx, double ry, double from, double sweep, bool connect);

    TPath& Out;
    TAffine Map;
};

}  // namespace tremalu
