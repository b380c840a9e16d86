// The metafile player: the drawing state and the drawing operations that
// the records of both metafile forms are played through.
//
// The records (emf_records.cpp, wmf_records.cpp) are parsed into calls of
// this class in the metafile's logical coordinates. The player keeps the
// device context as the format defines it (mapping mode, window and
// viewport, world transform, selected pen, brush and font, colours, modes,
// clipping, current position, a stack of saved states, an open path) and
// draws through cairo onto the output, without anti-aliasing for geometry.
//
// Its parts: player_state.cpp (state, mapping, objects), player_drawing.cpp
// (shapes, paths, pens, brushes, mixing modes), player_clip.cpp (clipping),
// player_text.cpp (text), player_bitmaps.cpp (bitmaps).
#pragma once

#include "formats/metafile/metafile_player.h"
#include "formats/metafile/player_geometry.h"
#include "formats/metafile/player_objects.h"
#include "formats/metafile/player_surface.h"
#include "raster/raster_ops.h"

#include <cairo.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace tremalu {

class TPixelBuffer;

enum : int {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8,
};
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
enum : int { ALTERNATE = 1, WINDING = 2 };
enum : int { R2_NOP = 11, R2_COPYPEN = 13 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
enum : uint32_t {
    TA_UPDATECP = 1,
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_HORIZONTAL_MASK = 6,
    TA_BOTTOM = 8,
    TA_BASELINE = 24,
    TA_VERTICAL_MASK = 24,
};
enum : uint32_t { ETO_OPAQUE = 2, ETO_CLIPPED = 4 };
// Point types of PolyDraw.
enum : uint8_t { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };

// Where the picture goes: its frame in the reference device's pixels is
// carried onto the output rectangle, corners included (the frame's right
// and bottom edges land on the rectangle's last column and row).
struct TFramePlacement {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;  // reference-device pixels
    TRect Output;
    // Pixels per millimetre of the reference device, for the metric modes.
    double PixelsPerMmX = 96 / 25.4;
    double PixelsPerMmY = 96 / 25.4;
};

// A bitmap taken from a record, in device pixels, and the part of it drawn.
struct TSourceBitmap {
    std::shared_ptr<const TPixelBuffer> Pixels;
    // Alpha of each pixel (premultiplied colours), for AlphaBlend; empty
    // when the bitmap is opaque.
    std::vector<uint8_t> Alpha;
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;  // source rectangle, rows counted from the top
    // A monochrome bitmap takes the text colour for its 0 bits and the
    // background colour for its 1 bits (device bitmaps), rather than its own
    // colour table (bitmaps drawn as DIBs).
    bool ColorsFromContext = false;
};

// One clipping region: rectangles in output pixels.
struct TClipRegion;

class TPlayer {
public:
    TPlayer(TPlayerSurface& surface, const TFramePlacement& placement, size_t objectSlots);
    ~TPlayer();
    TPlayer(const TPlayer&) = delete;
    TPlayer& operator=(const TPlayer&) = delete;

    // Whether the work budget is spent: the playback stops.
    bool Stopped() const { return Budget.Spent(); }
    // Counts one record against the budget, with its size in bytes.
    bool CountRecord(uint64_t bytes) { return Budget.Spend(1 + bytes / 64); }
    // Counts other work (a bitmap decoded, say) against the budget; false
    // when it cannot be afforded.
    bool Afford(uint64_t cost) { return Budget.Spend(cost); }
    // What the playback did so far against its bounds.
    TPlaybackWork Work() const { return {RasterPixels, RasterBudget.Allowed()}; }

    // ---- mapping
    void SetMapMode(int mode);
    void SetWindowOrg(double x, double y);
    void SetWindowExt(double x, double y);
    void SetViewportOrg(double x, double y);
    void SetViewportExt(double x, double y);
    void OffsetWindowOrg(double dx, double dy);
    void OffsetViewportOrg(double dx, double dy);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const TAffine& transform);
    // Modes 1 identity, 2 left multiply, 3 right multiply, 4 set.
    void ModifyWorldTransform(const TAffine& transform, uint32_t mode);
    // Windows metafiles are placed by their window alone: their viewport and
    // mapping-mode records are not played.
    void FixPageMapping() { PageFixed = true; }

    // ---- state
    void SaveDC();
    // A negative count goes back that many saved states; a positive one to
    // that saved state.
    void RestoreDC(int32_t which);
    void SetBkMode(int mode) { State.BkMode = mode; }
    void SetBkColor(TColorRef color) { State.BkColor = color & 0xFFFFFF; }
    void SetTextColor(TColorRef color) { State.TextColor = color & 0xFFFFFF; }
    void SetPolyFillMode(int mode) { State.FillMode = mode; }
    void SetRop2(int rop) { State.Rop2 = rop; }
    void SetTextAlign(uint32_t align) { State.TextAlign = align; }
    void SetArcDirection(bool clockwise) { State.Clockwise = clockwise; }
    void SetMiterLimit(double limit);

    // ---- objects
    TObjectTable& Objects() { return Table; }
    const TBrushSpec& CurrentBrush() const { return State.Brush; }
    void SelectObject(uint32_t slot);
    void DeleteObject(uint32_t slot);
    // Selects an object not kept in the table (a Windows metafile's region).
    void Select(const TDrawingObject& object);

    // ---- shapes (logical coordinates)
    void MoveTo(TPointD p);
    void LineTo(TPointD p);
    void Polyline(const std::vector<TPointD>& points);
    void PolylineTo(const std::vector<TPointD>& points);
    void PolyPolyline(const std::vector<std::vector<TPointD>>& lines);
    void Polygon(const std::vector<TPointD>& points);
    void PolyPolygon(const std::vector<std::vector<TPointD>>& polygons);
    void PolyBezier(const std::vector<TPointD>& points);
    void PolyBezierTo(const std::vector<TPointD>& points);
    void PolyDraw(const std::vector<TPointD>& points, const std::vector<uint8_t>& types);
    void Rectangle(double left, double top, double right, double bottom);
    void RoundRect(double left, double top, double right, double bottom, double width, double height);
    void Ellipse(double left, double top, double right, double bottom);
    void Arc(double left, double top, double right, double bottom, TPointD start, TPointD end);
    void ArcTo(double left, double top, double right, double bottom, TPointD start, TPointD end);
    void Chord(double left, double top, double right, double bottom, TPointD start, TPointD end);
    void Pie(double left, double top, double right, double bottom, TPointD start, TPointD end);
    void AngleArc(TPointD center, double radius, double start, double sweep);
    void SetPixel(TPointD p, TColorRef color);
    // Fills the rectangles of a region (logical coordinates) with a brush.
    void FillRegion(const std::vector<TRect>& rects, const TBrushSpec& brush);

    // ---- paths
    void BeginPath();
    void EndPath();
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void SelectClipPath(int mode);

    // ---- clipping
    void IntersectClipRect(double left, double top, double right, double bottom);
    void ExcludeClipRect(double left, double top, double right, double bottom);
    // Moves the clipping region by a logical offset.
    void OffsetClip(double dx, double dy);
    // Combines the clip with rectangles in reference-device pixels; no
    // rectangles with RGN_COPY removes the clipping.
    void SelectClipRects(const std::vector<TRect>& deviceRects, int mode);

    // ---- text: text in UTF-32, advances in logical units (empty: the
    // font's own), an optional rectangle for the opaque and clipped options.
    void TextOut(TPointD reference, const std::u32string& text, const std::vector<double>& advances,
                 uint32_t options, const TRect* rect);

    // ---- bitmaps: draws a bitmap into a logical rectangle with a raster
    // operation (null source: the operation works on the brush and the
    // output alone), or blends it with its alpha and a constant alpha.
    void StretchBitmap(double x, double y, double width, double height, const TSourceBitmap* source, TRasterOp rop);
    void AlphaBitmap(double x, double y, double width, double height, const TSourceBitmap& source,
                     uint8_t constantAlpha);

private:
    struct TDcState {
        int MapMode = MM_TEXT;
        TPointD WindowOrg{0, 0}, WindowExt{1, 1}, ViewportOrg{0, 0}, ViewportExt{1, 1};
        TAffine World;
        TPenSpec Pen;
        TBrushSpec Brush;
        TFontSpec Font;
        TColorRef TextColor = 0;
        TColorRef BkColor = 0xFFFFFF;
        int BkMode = OPAQUE;
        int FillMode = ALTERNATE;
        int Rop2 = R2_COPYPEN;
        uint32_t TextAlign = 0;
        bool Clockwise = false;
        double MiterLimit = 10;
        TPointD Current{0, 0};
        std::shared_ptr<const TClipRegion> Clip;  // null: no clipping
    };

    // player_state.cpp
    TAffine PageTransform() const;
    void UpdateTransform();
    double LogicalToPixels(double length) const;

    // player_drawing.cpp
    // Draws a closed shape: filled with the brush, outlined with the pen.
    void DrawShape(const TPath& path, bool fill, bool stroke);
    // Adds to the open path instead of drawing, when one is open.
    bool IntoPath(const TPath& shape);
    // player_shapes.cpp: a box record's shape (its inside, and its outline
    // on the pen's half pixel): added to the open path when one is open, else
    // filled with the brush and outlined with the pen.
    void FillAndOutline(const TPath& fill, const TPath& outline);
    void StrokeLines(const TPath& lines);
    bool Affordable(const TPath& path, double margin);
    void SetBrushSource(const TBrushSpec& brush);
    void SetPenStyle();
    void ApplyFillRule();
    // Draws with the current mixing mode: copy straight, any other through
    // a coverage mask combined with the pixels.
    void Paint(const TPath& path, bool fill, TColorRef color, const TBrushSpec* brush);
    void MixThroughMask(cairo_surface_t* mask, int x, int y, uint32_t penPixel);
    // Takes the pixels of box from the raster budget; false (the operation
    // is skipped) when it cannot be afforded.
    bool AffordRaster(const TRect& box);
    // The part of the output that bounds (x1, y1)-(x2, y2), grown by margin,
    // can reach.
    TRect ReachedArea(double x1, double y1, double x2, double y2, double margin) const;
    // A context drawing into mask, the coverage mask of box: in output
    // coordinates, without antialiasing, clipped as the output is and to box.
    cairo_t* MaskContext(cairo_surface_t* mask, const TRect& box) const;
    TShapeBuilder Builder(TPath& path) const { return TShapeBuilder(path, ToOutput); }

    // player_clip.cpp
    void CombineClip(std::shared_ptr<TClipRegion> region, int mode);
    void ApplyClip();
    std::shared_ptr<TClipRegion> RegionOfPath(const TPath& path, bool winding);
    std::shared_ptr<TClipRegion> RegionOfLogicalBox(double left, double top, double right, double bottom);

    // player_bitmaps.cpp
    void Blit(const TPointD corners[3], const TSourceBitmap* source, TRasterOp rop, uint8_t constantAlpha,
              bool blend);
    // One band of Blit's pixel-by-pixel combination: the pattern (if any)
    // laid out on the band, combined where the parallelogram covers it.
    // False when cairo could not make its scratch images.
    bool CombineBand(const TRect& band, const TPointD corners[3], cairo_pattern_t* pattern, uint8_t function,
                     uint32_t brush);

    // player_text.cpp
    cairo_font_face_t* FontFace(const TFontSpec& font);

    TPlayerSurface& Output;
    cairo_t* Cairo;
    TFramePlacement Placement;
    TAffine DeviceToOutput;  // reference-device pixels to output pixels
    TAffine ToOutput;        // logical to output pixels, the product of all
    TPlayerBudget Budget;
    // Pixels combined by the player's own loops (player_surface.h); a
    // combination that cannot be afforded is skipped, the playback goes on.
    TPlayerBudget RasterBudget;
    uint64_t RasterPixels = 0;  // combined so far
    TObjectTable Table;
    TDcState State;
    std::vector<TDcState> Saved;
    bool PageFixed = false;
    bool InPath = false;
    TPath OpenPath;
    TPointD PathStart{0, 0};  // the logical start of the open path's figure
    std::map<std::tuple<std::string, bool, bool>, cairo_font_face_t*> Faces;
    uint64_t AppliedSerial = 0;  // the clip region that cairo holds
    bool ClipApplied = false;
};

}  // namespace tremalu
