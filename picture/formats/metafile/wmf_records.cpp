#include "formats/metafile/wmf_records.h"

#include "formats/metafile/record_reading.h"

#include <algorithm>

namespace tremalu {

namespace {

// Record functions of the Windows-metafile format (the high byte is the
// number of parameter words of their usual form).
enum : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_REALIZEPALETTE = 0x0035,
    META_CREATEPALETTE = 0x00F7,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

// Parameter words, counted from the first after the function.
struct TParams {
    const TRecord& R;
    size_t Count;

    int16_t S(size_t i) const { return R.Fields().I16(6 + 2 * i); }
    uint16_t U(size_t i) const { return R.Fields().U16(6 + 2 * i); }
    uint32_t U32(size_t i) const { return R.Fields().U32(6 + 2 * i); }
    size_t Offset(size_t i) const { return 6 + 2 * i; }
};

// The fewest parameter words each played function needs.
size_t MinimumParams(uint16_t function)
{
    switch (function) {
    case META_SAVEDC:
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
    case META_CREATEREGION:
        return 0;
    case META_SETBKMODE:
    case META_SETMAPMODE:
    case META_SETROP2:
    case META_SETPOLYFILLMODE:
    case META_RESTOREDC:
    case META_SELECTOBJECT:
    case META_SETTEXTALIGN:
    case META_DELETEOBJECT:
    case META_POLYGON:
    case META_POLYLINE:
    case META_POLYPOLYGON:
    case META_TEXTOUT:
        return 1;
    case META_SETBKCOLOR:
    case META_SETTEXTCOLOR:
    case META_SETWINDOWORG:
    case META_SETWINDOWEXT:
    case META_SETVIEWPORTORG:
    case META_SETVIEWPORTEXT:
    case META_OFFSETWINDOWORG:
    case META_OFFSETVIEWPORTORG:
    case META_LINETO:
    case META_MOVETO:
    case META_OFFSETCLIPRGN:
        return 2;
    case META_SCALEWINDOWEXT:
    case META_SCALEVIEWPORTEXT:
    case META_EXCLUDECLIPRECT:
    case META_INTERSECTCLIPRECT:
    case META_ELLIPSE:
    case META_RECTANGLE:
    case META_SETPIXEL:
    case META_EXTTEXTOUT:
        return 4;
    case META_CREATEBRUSHINDIRECT:
        return 4;
    case META_CREATEPENINDIRECT:
        return 5;
    case META_ROUNDRECT:
    case META_PATBLT:
        return 6;
    case META_ARC:
    case META_PIE:
    case META_CHORD:
    case META_DIBBITBLT:
        return 8;
    case META_CREATEFONTINDIRECT:
        return 9;
    case META_DIBSTRETCHBLT:
    case META_SETDIBTODEV:
        return 10;
    case META_STRETCHDIB:
        return 11;
    case META_DIBCREATEPATTERNBRUSH:
        return 2;
    default:
        return SIZE_MAX;  // not played
    }
}

std::vector<TPointD> CountedPoints(const TParams& p)
{
    return ReadPoints16(p.R, p.Offset(1), p.U(0));
}

void CreatePen(TPlayer& player, const TParams& p)
{
    TPenSpec pen;
    pen.Style = p.U(0);
    pen.Width = p.S(1);
    pen.Color = p.U32(3);
    player.Objects().PutInFirstFree(pen);
}

void CreateBrush(TPlayer& player, const TParams& p)
{
    TBrushSpec brush;
    brush.Style = p.U(0);
    brush.Color = p.U32(1);
    brush.Hatch = p.U(3);
    if (brush.Style != BS_SOLID && brush.Style != BS_NULL && brush.Style != BS_HATCHED)
        brush.Style = BS_SOLID;
    player.Objects().PutInFirstFree(brush);
}

void CreateFont(TPlayer& player, const TParams& p)
{
    TFontSpec font;
    font.Height = p.S(0);
    font.Width = p.S(1);
    font.Escapement = p.S(2);
    font.Weight = p.S(4);
    const uint8_t* bytes = p.R.Data + p.Offset(5);
    font.Italic = bytes[0] != 0;
    font.Underline = bytes[1] != 0;
    font.StrikeOut = bytes[2] != 0;
    font.CharSet = bytes[3];
    font.PitchAndFamily = bytes[7];
    const size_t faceAt = p.Offset(9);
    for (size_t i = 0; i < 32 && faceAt + i < p.R.Size && p.R.Data[faceAt + i] != 0; ++i) {
        const uint8_t c = p.R.Data[faceAt + i];
        if (c < 0x20 || c >= 0x80) {
            font.Face.clear();  // names are plain ASCII; anything else makes no name
            break;
        }
        font.Face += static_cast<char>(c);
    }
    player.Objects().PutInFirstFree(font);
}

void CreateDibPatternBrush(TPlayer& player, const TParams& p)
{
    TBrushSpec brush;
    const size_t at = p.Offset(2);
    const auto bitmap = at < p.R.Size ? ReadRecordBitmap(player, p.R.Data + at, p.R.Size - at, nullptr, 0, false)
                                      : std::nullopt;
    if (bitmap) {
        brush.Style = BS_DIBPATTERNPT;
        brush.Pattern = bitmap->Pixels;
    } else {
        brush.Color = 0;
    }
    player.Objects().PutInFirstFree(brush);
}

void TextOut(TPlayer& player, const TParams& p)
{
    const uint16_t count = p.U(0);
    const size_t words = (size_t{count} + 1) / 2;
    if (p.Count < 1 + words + 2)
        return;
    const std::u32string text = ReadAnsi(p.R, p.Offset(1), count);
    player.TextOut({double(p.S(2 + words)), double(p.S(1 + words))}, text, {}, 0, nullptr);
}

void ExtTextOut(TPlayer& player, const TParams& p)
{
    const uint16_t count = p.U(2), options = p.U(3);
    size_t next = 4;
    TRect rect;
    const bool withRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
    if (withRect) {
        if (p.Count < 8)
            return;
        rect = {p.S(4), p.S(5), p.S(6), p.S(7)};
        next = 8;
    }
    const size_t words = (size_t{count} + 1) / 2;
    if (p.Count < next + words)
        return;
    const std::u32string text = ReadAnsi(p.R, p.Offset(next), count);
    std::vector<double> advances;
    if (p.Count >= next + words + count)
        for (size_t i = 0; i < count; ++i)
            advances.push_back(p.S(next + words + i));
    player.TextOut({double(p.S(1)), double(p.S(0))}, text, advances, options, withRect ? &rect : nullptr);
}

// The DIB that ends a bitmap record, from parameter word first.
std::optional<TRecordBitmap> TrailingBitmap(TPlayer& player, const TParams& p, size_t first)
{
    const size_t at = p.Offset(first);
    if (at >= p.R.Size)
        return std::nullopt;
    return ReadRecordBitmap(player, p.R.Data + at, p.R.Size - at, nullptr, 0, false);
}

void DrawBitmap(TPlayer& player, const std::optional<TRecordBitmap>& bitmap, int32_t sx, int32_t sy, int32_t sw,
                int32_t sh, bool bottomOrigin, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop, bool context)
{
    if (!bitmap)
        return;
    auto source = SourceRectangle(*bitmap, sx, sy, sw, sh, bottomOrigin);
    if (!source)
        return;
    source->ColorsFromContext = context;
    player.StretchBitmap(x, y, w, h, &*source, rop);
}

void PlayRecord(TPlayer& player, uint16_t function, const TParams& p)
{
    switch (function) {
    case META_SAVEDC:
        player.SaveDC();
        break;
    case META_RESTOREDC:
        player.RestoreDC(p.S(0));
        break;
    case META_SETBKMODE:
        player.SetBkMode(p.U(0));
        break;
    case META_SETMAPMODE:
        player.SetMapMode(p.U(0));
        break;
    case META_SETROP2:
        player.SetRop2(p.U(0));
        break;
    case META_SETPOLYFILLMODE:
        player.SetPolyFillMode(p.U(0));
        break;
    case META_SETTEXTALIGN:
        player.SetTextAlign(p.U(0));
        break;
    case META_SETBKCOLOR:
        player.SetBkColor(p.U32(0));
        break;
    case META_SETTEXTCOLOR:
        player.SetTextColor(p.U32(0));
        break;
    case META_SETWINDOWORG:
        player.SetWindowOrg(p.S(1), p.S(0));
        break;
    case META_SETWINDOWEXT:
        player.SetWindowExt(p.S(1), p.S(0));
        break;
    case META_SETVIEWPORTORG:
        player.SetViewportOrg(p.S(1), p.S(0));
        break;
    case META_SETVIEWPORTEXT:
        player.SetViewportExt(p.S(1), p.S(0));
        break;
    case META_OFFSETWINDOWORG:
        player.OffsetWindowOrg(p.S(1), p.S(0));
        break;
    case META_OFFSETVIEWPORTORG:
        player.OffsetViewportOrg(p.S(1), p.S(0));
        break;
    case META_SCALEWINDOWEXT:
        player.ScaleWindowExt(p.S(3), p.S(2), p.S(1), p.S(0));
        break;
    case META_SCALEVIEWPORTEXT:
        player.ScaleViewportExt(p.S(3), p.S(2), p.S(1), p.S(0));
        break;
    case META_MOVETO:
        player.MoveTo({double(p.S(1)), double(p.S(0))});
        break;
    case META_LINETO:
        player.LineTo({double(p.S(1)), double(p.S(0))});
        break;
    case META_POLYLINE:
        player.Polyline(CountedPoints(p));
        break;
    case META_POLYGON:
        player.Polygon(CountedPoints(p));
        break;
    case META_POLYPOLYGON: {
        const uint16_t count = p.U(0);
        if (p.Count < 1 + size_t{count})
            break;
        std::vector<std::vector<TPointD>> polygons;
        size_t at = p.Offset(1 + count);
        for (size_t i = 0; i < count; ++i) {
            const uint16_t n = p.U(1 + i);
            std::vector<TPointD> points = ReadPoints16(p.R, at, n);
            if (points.size() != n)
                break;
            polygons.push_back(std::move(points));
            at += 4 * size_t{n};
        }
        player.PolyPolygon(polygons);
        break;
    }
    case META_RECTANGLE:
        player.Rectangle(p.S(3), p.S(2), p.S(1), p.S(0));
        break;
    case META_ELLIPSE:
        player.Ellipse(p.S(3), p.S(2), p.S(1), p.S(0));
        break;
    case META_ROUNDRECT:
        player.RoundRect(p.S(5), p.S(4), p.S(3), p.S(2), p.S(1), p.S(0));
        break;
    case META_ARC:
    case META_PIE:
    case META_CHORD: {
        const TPointD end{double(p.S(1)), double(p.S(0))}, start{double(p.S(3)), double(p.S(2))};
        const double l = p.S(7), t = p.S(6), r = p.S(5), b = p.S(4);
        if (function == META_ARC)
            player.Arc(l, t, r, b, start, end);
        else if (function == META_PIE)
            player.Pie(l, t, r, b, start, end);
        else
            player.Chord(l, t, r, b, start, end);
        break;
    }
    case META_SETPIXEL:
        player.SetPixel({double(p.S(3)), double(p.S(2))}, p.U32(0));
        break;
    case META_INTERSECTCLIPRECT:
        player.IntersectClipRect(p.S(3), p.S(2), p.S(1), p.S(0));
        break;
    case META_EXCLUDECLIPRECT:
        player.ExcludeClipRect(p.S(3), p.S(2), p.S(1), p.S(0));
        break;
    case META_OFFSETCLIPRGN:
        player.OffsetClip(p.S(1), p.S(0));
        break;
    case META_CREATEPENINDIRECT:
        CreatePen(player, p);
        break;
    case META_CREATEBRUSHINDIRECT:
        CreateBrush(player, p);
        break;
    case META_CREATEFONTINDIRECT:
        CreateFont(player, p);
        break;
    case META_DIBCREATEPATTERNBRUSH:
        CreateDibPatternBrush(player, p);
        break;
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
    case META_CREATEREGION:
        // Not drawn with, but each takes a slot of the table.
        player.Objects().PutInFirstFree(TOtherObject{});
        break;
    case META_SELECTOBJECT:
        player.SelectObject(p.U(0));
        break;
    case META_DELETEOBJECT:
        player.DeleteObject(p.U(0));
        break;
    case META_TEXTOUT:
        TextOut(player, p);
        break;
    case META_EXTTEXTOUT:
        ExtTextOut(player, p);
        break;
    case META_PATBLT:
        player.StretchBitmap(p.S(5), p.S(4), p.S(3), p.S(2), nullptr, p.U32(0));
        break;
    case META_DIBBITBLT:
        // Without a bitmap the record is one word longer than its function
        // says and holds a reserved word before the size.
        if (p.R.Size == 2 * size_t{(function >> 8) + 3u}) {
            if (p.Count >= 9)
                player.StretchBitmap(p.S(8), p.S(7), p.S(6), p.S(5), nullptr, p.U32(0));
        } else {
            DrawBitmap(player, TrailingBitmap(player, p, 8), p.S(3), p.S(2), p.S(5), p.S(4), false, p.S(7), p.S(6),
                       p.S(5), p.S(4), p.U32(0), true);
        }
        break;
    case META_DIBSTRETCHBLT:
        if (p.R.Size == 2 * size_t{(function >> 8) + 3u}) {
            if (p.Count >= 11)
                player.StretchBitmap(p.S(10), p.S(9), p.S(8), p.S(7), nullptr, p.U32(0));
        } else {
            DrawBitmap(player, TrailingBitmap(player, p, 10), p.S(5), p.S(4), p.S(3), p.S(2), false, p.S(9), p.S(8),
                       p.S(7), p.S(6), p.U32(0), true);
        }
        break;
    case META_STRETCHDIB:
        DrawBitmap(player, TrailingBitmap(player, p, 11), p.S(6), p.S(5), p.S(4), p.S(3), true, p.S(10), p.S(9), p.S(8),
                   p.S(7), p.U32(0), false);
        break;
    case META_SETDIBTODEV:
        DrawBitmap(player, TrailingBitmap(player, p, 9), p.S(4), p.S(3), p.S(6), p.S(5), true, p.S(8), p.S(7), p.S(6),
                   p.S(5), SRCCOPY, false);
        break;
    default:
        break;
    }
}

}  // namespace

uint16_t WindowsObjectCount(const uint8_t* data, size_t size)
{
    return TLittleEndianReader(data, size).U16(10);
}

void PlayWindowsRecords(TPlayer& player, const uint8_t* data, size_t size)
{
    const TLittleEndianReader header(data, size);
    size_t at = std::max<size_t>(WindowsHeaderSize, size_t{header.U16(2)} * 2);
    while (at <= size && size - at >= 6 && !player.Stopped()) {
        const TLittleEndianReader head(data + at, 6);
        const uint64_t length = uint64_t{head.U32(0)} * 2;
        const uint16_t function = head.U16(4);
        if (length < 6 || length > size - at || function == META_EOF || !player.CountRecord(length))
            break;
        const TRecord record{data + at, static_cast<size_t>(length)};
        const TParams params{record, static_cast<size_t>((length - 6) / 2)};
        if (params.Count >= MinimumParams(function))
            PlayRecord(player, function, params);
        at += static_cast<size_t>(length);
    }
}

}  // namespace tremalu
