#include "formats/metafile/emf_records.h"

#include "formats/metafile/emf_record_kinds.h"
#include "formats/metafile/record_reading.h"

#include <cstring>

namespace tremalu {

using namespace emf;

namespace {

// Record types of the enhanced-metafile format.
enum : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYBEZIER = 2,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_POLYBEZIERTO = 5,
    EMR_POLYLINETO = 6,
    EMR_POLYPOLYLINE = 7,
    EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETROP2 = 20,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_OFFSETCLIPRGN = 26,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SCALEVIEWPORTEXTEX = 31,
    EMR_SCALEWINDOWEXTEX = 32,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_MODIFYWORLDTRANSFORM = 36,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ANGLEARC = 41,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_ARC = 45,
    EMR_CHORD = 46,
    EMR_PIE = 47,
    EMR_CREATEPALETTE = 49,
    EMR_LINETO = 54,
    EMR_ARCTO = 55,
    EMR_POLYDRAW = 56,
    EMR_SETARCDIRECTION = 57,
    EMR_BEGINPATH = 59,
    EMR_ENDPATH = 60,
    EMR_CLOSEFIGURE = 61,
    EMR_FILLPATH = 62,
    EMR_STROKEANDFILLPATH = 63,
    EMR_STROKEPATH = 64,
    EMR_SELECTCLIPPATH = 67,
    EMR_ABORTPATH = 68,
    EMR_FILLRGN = 71,
    EMR_PAINTRGN = 74,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_SETDIBITSTODEVICE = 80,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTA = 83,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYBEZIER16 = 85,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_POLYBEZIERTO16 = 88,
    EMR_POLYLINETO16 = 89,
    EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91,
    EMR_POLYDRAW16 = 92,
    EMR_CREATEMONOBRUSH = 93,
    EMR_CREATEDIBPATTERNBRUSHPT = 94,
    EMR_EXTCREATEPEN = 95,
    EMR_ALPHABLEND = 114,
};

float FloatAt(const TLittleEndianReader& f, size_t at)
{
    const uint32_t bits = f.U32(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

TAffine TransformAt(const TLittleEndianReader& f, size_t at)
{
    TAffine t;
    t.M11 = FloatAt(f, at);
    t.M12 = FloatAt(f, at + 4);
    t.M21 = FloatAt(f, at + 8);
    t.M22 = FloatAt(f, at + 12);
    t.Dx = FloatAt(f, at + 16);
    t.Dy = FloatAt(f, at + 20);
    return t;
}

// The rectangles of region data at offset at (a 32-byte header giving their
// count, then the rectangles).
std::vector<TRect> RegionRects(const TRecord& r, size_t at)
{
    std::vector<TRect> rects;
    if (!r.Holds(at, 1, 32))
        return rects;
    const TLittleEndianReader f = r.Fields();
    const uint32_t count = f.U32(at + 8);
    if (!r.Holds(at + 32, count, 16))
        return rects;
    for (uint32_t i = 0; i < count; ++i)
        rects.push_back(RectAt(f, at + 32 + 16 * size_t{i}));
    return rects;
}

// Poly-polygons and poly-polylines: a count of figures, a total of points,
// the figures' point counts, then the points.
std::vector<std::vector<TPointD>> Figures(const TRecord& r, bool small)
{
    std::vector<std::vector<TPointD>> figures;
    const TLittleEndianReader f = r.Fields();
    const uint32_t count = f.U32(24), total = f.U32(28);
    if (!r.Holds(32, count, 4))
        return figures;
    const size_t pointsAt = 32 + 4 * size_t{count};
    const std::vector<TPointD> points = small ? ReadPoints16(r, pointsAt, total) : ReadPoints32(r, pointsAt, total);
    size_t next = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t n = f.U32(32 + 4 * size_t{i});
        if (n > points.size() - next)
            break;
        figures.emplace_back(points.begin() + static_cast<long>(next), points.begin() + static_cast<long>(next + n));
        next += n;
    }
    return figures;
}

// The smallest size of each record kind played, parameters included.
size_t MinimumSize(uint32_t type)
{
    switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYGON:
    case EMR_POLYLINE:
    case EMR_POLYBEZIERTO:
    case EMR_POLYLINETO:
    case EMR_POLYBEZIER16:
    case EMR_POLYGON16:
    case EMR_POLYLINE16:
    case EMR_POLYBEZIERTO16:
    case EMR_POLYLINETO16:
    case EMR_POLYDRAW:
    case EMR_POLYDRAW16:
        return 28;
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
        return 32;
    case EMR_SETWINDOWEXTEX:
    case EMR_SETWINDOWORGEX:
    case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX:
    case EMR_OFFSETCLIPRGN:
    case EMR_MOVETOEX:
    case EMR_LINETO:
        return 16;
    case EMR_SETPIXELV:
        return 20;
    case EMR_SETMAPMODE:
    case EMR_SETBKMODE:
    case EMR_SETPOLYFILLMODE:
    case EMR_SETROP2:
    case EMR_SETTEXTALIGN:
    case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR:
    case EMR_RESTOREDC:
    case EMR_SELECTOBJECT:
    case EMR_DELETEOBJECT:
    case EMR_SETARCDIRECTION:
    case EMR_SELECTCLIPPATH:
    case EMR_CREATEPALETTE:
        return 12;
    case EMR_EXCLUDECLIPRECT:
    case EMR_INTERSECTCLIPRECT:
    case EMR_ELLIPSE:
    case EMR_RECTANGLE:
    case EMR_SCALEVIEWPORTEXTEX:
    case EMR_SCALEWINDOWEXTEX:
        return 24;
    case EMR_SETWORLDTRANSFORM:
        return 32;
    case EMR_MODIFYWORLDTRANSFORM:
        return 36;
    case EMR_ROUNDRECT:
        return 32;
    case EMR_ANGLEARC:
        return 28;
    case EMR_ARC:
    case EMR_CHORD:
    case EMR_PIE:
    case EMR_ARCTO:
        return 40;
    case EMR_CREATEPEN:
        return 28;
    case EMR_CREATEBRUSHINDIRECT:
        return 24;
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
        return 32;
    case EMR_EXTCREATEPEN:
        return 52;
    case EMR_EXTCREATEFONTINDIRECTW:
        return 104;
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
        return 76;
    case EMR_FILLRGN:
        return 32;
    case EMR_PAINTRGN:
        return 28;
    case EMR_EXTSELECTCLIPRGN:
        return 16;
    case EMR_BITBLT:
        return 100;
    case EMR_STRETCHBLT:
    case EMR_ALPHABLEND:
        return 108;
    case EMR_SETDIBITSTODEVICE:
        return 76;
    case EMR_STRETCHDIBITS:
        return 80;
    default:
        return 8;
    }
}

void PlayRecord(TPlayer& player, uint32_t type, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    const auto points = [&](bool small) {
        const uint32_t count = f.U32(24);
        return small ? ReadPoints16(r, 28, count) : ReadPoints32(r, 28, count);
    };
    switch (type) {
    case EMR_POLYBEZIER:
    case EMR_POLYBEZIER16:
        player.PolyBezier(points(type == EMR_POLYBEZIER16));
        break;
    case EMR_POLYGON:
    case EMR_POLYGON16:
        player.Polygon(points(type == EMR_POLYGON16));
        break;
    case EMR_POLYLINE:
    case EMR_POLYLINE16:
        player.Polyline(points(type == EMR_POLYLINE16));
        break;
    case EMR_POLYBEZIERTO:
    case EMR_POLYBEZIERTO16:
        player.PolyBezierTo(points(type == EMR_POLYBEZIERTO16));
        break;
    case EMR_POLYLINETO:
    case EMR_POLYLINETO16:
        player.PolylineTo(points(type == EMR_POLYLINETO16));
        break;
    case EMR_POLYDRAW:
    case EMR_POLYDRAW16: {
        const bool small = type == EMR_POLYDRAW16;
        const uint32_t count = f.U32(24);
        const std::vector<TPointD> p = points(small);
        const size_t typesAt = 28 + size_t{count} * (small ? 4 : 8);
        if (p.size() == count && r.Holds(typesAt, count, 1))
            player.PolyDraw(p, std::vector<uint8_t>(r.Data + typesAt, r.Data + typesAt + count));
        break;
    }
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYLINE16:
        player.PolyPolyline(Figures(r, type == EMR_POLYPOLYLINE16));
        break;
    case EMR_POLYPOLYGON:
    case EMR_POLYPOLYGON16:
        player.PolyPolygon(Figures(r, type == EMR_POLYPOLYGON16));
        break;
    case EMR_SETWINDOWEXTEX:
        player.SetWindowExt(f.I32(8), f.I32(12));
        break;
    case EMR_SETWINDOWORGEX:
        player.SetWindowOrg(f.I32(8), f.I32(12));
        break;
    case EMR_SETVIEWPORTEXTEX:
        player.SetViewportExt(f.I32(8), f.I32(12));
        break;
    case EMR_SETVIEWPORTORGEX:
        player.SetViewportOrg(f.I32(8), f.I32(12));
        break;
    case EMR_SETPIXELV:
        player.SetPixel(PointAt(f, 8), f.U32(16));
        break;
    case EMR_SETMAPMODE:
        player.SetMapMode(f.I32(8));
        break;
    case EMR_SETBKMODE:
        player.SetBkMode(f.I32(8));
        break;
    case EMR_SETPOLYFILLMODE:
        player.SetPolyFillMode(f.I32(8));
        break;
    case EMR_SETROP2:
        player.SetRop2(f.I32(8));
        break;
    case EMR_SETTEXTALIGN:
        player.SetTextAlign(f.U32(8));
        break;
    case EMR_SETTEXTCOLOR:
        player.SetTextColor(f.U32(8));
        break;
    case EMR_SETBKCOLOR:
        player.SetBkColor(f.U32(8));
        break;
    case EMR_OFFSETCLIPRGN:
        player.OffsetClip(f.I32(8), f.I32(12));
        break;
    case EMR_MOVETOEX:
        player.MoveTo(PointAt(f, 8));
        break;
    case EMR_LINETO:
        player.LineTo(PointAt(f, 8));
        break;
    case EMR_EXCLUDECLIPRECT:
        player.ExcludeClipRect(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        break;
    case EMR_INTERSECTCLIPRECT:
        player.IntersectClipRect(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        break;
    case EMR_SCALEVIEWPORTEXTEX:
        player.ScaleViewportExt(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        break;
    case EMR_SCALEWINDOWEXTEX:
        player.ScaleWindowExt(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        break;
    case EMR_SAVEDC:
        player.SaveDC();
        break;
    case EMR_RESTOREDC:
        player.RestoreDC(f.I32(8));
        break;
    case EMR_SETWORLDTRANSFORM:
        player.SetWorldTransform(TransformAt(f, 8));
        break;
    case EMR_MODIFYWORLDTRANSFORM:
        player.ModifyWorldTransform(TransformAt(f, 8), f.U32(32));
        break;
    case EMR_SELECTOBJECT:
        player.SelectObject(f.U32(8));
        break;
    case EMR_DELETEOBJECT:
        player.DeleteObject(f.U32(8));
        break;
    case EMR_CREATEPEN:
        CreatePen(player, r);
        break;
    case EMR_EXTCREATEPEN:
        ExtCreatePen(player, r);
        break;
    case EMR_CREATEBRUSHINDIRECT:
        CreateBrush(player, r);
        break;
    case EMR_CREATEMONOBRUSH:
    case EMR_CREATEDIBPATTERNBRUSHPT:
        CreatePatternBrush(player, r, type == EMR_CREATEMONOBRUSH);
        break;
    case EMR_CREATEPALETTE:
        player.Objects().Put(f.U32(8), TOtherObject{});
        break;
    case EMR_EXTCREATEFONTINDIRECTW:
        CreateFont(player, r);
        break;
    case EMR_ANGLEARC:
        player.AngleArc(PointAt(f, 8), f.U32(16), FloatAt(f, 20), FloatAt(f, 24));
        break;
    case EMR_ELLIPSE:
        player.Ellipse(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        break;
    case EMR_RECTANGLE:
        player.Rectangle(f.I32(8), f.I32(12), f.I32(16), f.I32(20));
        break;
    case EMR_ROUNDRECT:
        player.RoundRect(f.I32(8), f.I32(12), f.I32(16), f.I32(20), f.I32(24), f.I32(28));
        break;
    case EMR_ARC:
        player.Arc(f.I32(8), f.I32(12), f.I32(16), f.I32(20), PointAt(f, 24), PointAt(f, 32));
        break;
    case EMR_ARCTO:
        player.ArcTo(f.I32(8), f.I32(12), f.I32(16), f.I32(20), PointAt(f, 24), PointAt(f, 32));
        break;
    case EMR_CHORD:
        player.Chord(f.I32(8), f.I32(12), f.I32(16), f.I32(20), PointAt(f, 24), PointAt(f, 32));
        break;
    case EMR_PIE:
        player.Pie(f.I32(8), f.I32(12), f.I32(16), f.I32(20), PointAt(f, 24), PointAt(f, 32));
        break;
    case EMR_SETARCDIRECTION:
        player.SetArcDirection(f.U32(8) == 2);
        break;
    case EMR_BEGINPATH:
        player.BeginPath();
        break;
    case EMR_ENDPATH:
        player.EndPath();
        break;
    case EMR_CLOSEFIGURE:
        player.CloseFigure();
        break;
    case EMR_FILLPATH:
        player.FillPath();
        break;
    case EMR_STROKEANDFILLPATH:
        player.StrokeAndFillPath();
        break;
    case EMR_STROKEPATH:
        player.StrokePath();
        break;
    case EMR_SELECTCLIPPATH:
        player.SelectClipPath(f.I32(8));
        break;
    case EMR_ABORTPATH:
        player.AbortPath();
        break;
    case EMR_FILLRGN: {
        const TDrawingObject* brush = player.Objects().Get(f.U32(28));
        if (brush != nullptr && std::holds_alternative<TBrushSpec>(*brush))
            player.FillRegion(RegionRects(r, 32), std::get<TBrushSpec>(*brush));
        break;
    }
    case EMR_PAINTRGN:
        player.FillRegion(RegionRects(r, 28), player.CurrentBrush());
        break;
    case EMR_EXTSELECTCLIPRGN:
        player.SelectClipRects(f.U32(8) == 0 ? std::vector<TRect>{} : RegionRects(r, 16), f.I32(12));
        break;
    case EMR_BITBLT:
        BitBlt(player, r, false);
        break;
    case EMR_STRETCHBLT:
        BitBlt(player, r, true);
        break;
    case EMR_SETDIBITSTODEVICE:
        SetDIBitsToDevice(player, r);
        break;
    case EMR_STRETCHDIBITS:
        StretchDIBits(player, r);
        break;
    case EMR_ALPHABLEND:
        AlphaBlend(player, r);
        break;
    case EMR_EXTTEXTOUTA:
    case EMR_EXTTEXTOUTW:
        ExtTextOut(player, r, type == EMR_EXTTEXTOUTW);
        break;
    default:
        break;  // comments, palettes, colour management and the rest: not drawn
    }
}

}  // namespace

void PlayEnhancedRecords(TPlayer& player, const uint8_t* data, size_t size)
{
    size_t at = 0;
    while (size - at >= 8 && !player.Stopped()) {
        const TLittleEndianReader head(data + at, 8);
        const uint32_t type = head.U32(0), length = head.U32(4);
        if (length < 8 || length > size - at || type == EMR_EOF || !player.CountRecord(length))
            break;
        const TRecord record{data + at, length};
        if (type != EMR_HEADER && length >= MinimumSize(type))
            PlayRecord(player, type, record);
        at += length;
    }
}

}  // namespace tremalu
