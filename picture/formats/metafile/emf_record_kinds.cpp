#include "formats/metafile/emf_record_kinds.h"

namespace tremalu::emf {

namespace {

constexpr uint32_t ETO_PDY = 0x2000;

// The bitmap whose header and rows a record names by offset and size from
// its own start.
std::optional<TRecordBitmap> RecordBitmap(TPlayer& player, const TRecord& r, uint32_t offInfo, uint32_t infoSize,
                                          uint32_t offBits, uint32_t bitsSize, bool withAlpha)
{
    if (infoSize == 0 || !r.Holds(offInfo, infoSize, 1) || !r.Holds(offBits, bitsSize, 1))
        return std::nullopt;
    return ReadRecordBitmap(player, r.Data + offInfo, infoSize, r.Data + offBits, bitsSize, withAlpha);
}

}  // namespace

void CreatePen(TPlayer& player, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    TPenSpec pen;
    pen.Style = f.U32(12);
    pen.Width = f.I32(16);
    pen.Color = f.U32(24);
    player.Objects().Put(f.U32(8), pen);
}

void ExtCreatePen(TPlayer& player, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    TPenSpec pen;
    pen.Style = f.U32(28);
    // A cosmetic pen is one pixel wide whatever its width says.
    pen.Width = (pen.Style & PS_GEOMETRIC) != 0 ? f.U32(32) : 0;
    if (f.U32(36) == BS_NULL)
        pen.Style = (pen.Style & ~PS_STYLE_MASK) | PS_NULL;
    pen.Color = f.U32(40);
    const uint32_t entries = f.U32(48);
    if ((pen.Style & PS_STYLE_MASK) == PS_USERSTYLE && entries <= 16 && r.Holds(52, entries, 4))
        for (uint32_t i = 0; i < entries; ++i)
            pen.Dashes.push_back(double(f.U32(52 + 4 * size_t{i})));
    player.Objects().Put(f.U32(8), pen);
}

void CreateBrush(TPlayer& player, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    TBrushSpec brush;
    brush.Style = f.U32(12);
    brush.Color = f.U32(16);
    brush.Hatch = f.U32(20);
    if (brush.Style != BS_SOLID && brush.Style != BS_NULL && brush.Style != BS_HATCHED)
        brush.Style = BS_SOLID;  // a pattern brush without its pattern
    player.Objects().Put(f.U32(8), brush);
}

void CreatePatternBrush(TPlayer& player, const TRecord& r, bool monochrome)
{
    const TLittleEndianReader f = r.Fields();
    const auto bitmap = RecordBitmap(player, r, f.U32(16), f.U32(20), f.U32(24), f.U32(28), false);
    TBrushSpec brush;
    if (bitmap) {
        brush.Style = monochrome ? BS_PATTERN : BS_DIBPATTERNPT;
        brush.Pattern = bitmap->Pixels;
    } else {
        brush.Style = BS_SOLID;
        brush.Color = 0;
    }
    player.Objects().Put(f.U32(8), brush);
}

void CreateFont(TPlayer& player, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    TFontSpec font;
    font.Height = f.I32(12);
    font.Width = f.I32(16);
    font.Escapement = f.I32(20);
    font.Weight = f.I32(28);
    font.Italic = f.U8(32) != 0;
    font.Underline = f.U8(33) != 0;
    font.StrikeOut = f.U8(34) != 0;
    font.CharSet = f.U8(35);
    font.PitchAndFamily = f.U8(39);
    std::u32string face = ReadUtf16(r, 40, 32);
    face = face.substr(0, face.find(U'\0'));
    for (char32_t c : face) {
        // Face names are plain text; anything else makes no name.
        if (c < 0x20 || c >= 0xD800) {
            face.clear();
            break;
        }
    }
    for (char32_t c : face) {
        if (c < 0x80) {
            font.Face += static_cast<char>(c);
        } else if (c < 0x800) {
            font.Face += static_cast<char>(0xC0 | (c >> 6));
            font.Face += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            font.Face += static_cast<char>(0xE0 | (c >> 12));
            font.Face += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            font.Face += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    player.Objects().Put(f.U32(8), font);
}

void ExtTextOut(TPlayer& player, const TRecord& r, bool wide)
{
    const TLittleEndianReader f = r.Fields();
    const TPointD reference = PointAt(f, 36);
    const uint32_t count = f.U32(44), offString = f.U32(48), options = f.U32(52);
    const TRect rect = RectAt(f, 56);
    const uint32_t offDx = f.U32(72);
    const std::u32string text = wide ? ReadUtf16(r, offString, count) : ReadAnsi(r, offString, count);
    if (text.size() != count)
        return;
    // The advances, or pairs of horizontal and vertical ones.
    std::vector<double> advances;
    const size_t step = (options & ETO_PDY) != 0 ? 8 : 4;
    if (offDx != 0 && r.Holds(offDx, count, step))
        for (uint32_t i = 0; i < count; ++i)
            advances.push_back(f.I32(offDx + step * i));
    player.TextOut(reference, text, advances, options, &rect);
}

void BitBlt(TPlayer& player, const TRecord& r, bool stretch)
{
    const TLittleEndianReader f = r.Fields();
    const int32_t x = f.I32(24), y = f.I32(28), w = f.I32(32), h = f.I32(36);
    const uint32_t rop = f.U32(40);
    const int32_t sw = stretch ? f.I32(100) : w, sh = stretch ? f.I32(104) : h;
    const auto bitmap = RecordBitmap(player, r, f.U32(84), f.U32(88), f.U32(92), f.U32(96), false);
    if (!bitmap) {
        player.StretchBitmap(x, y, w, h, nullptr, rop);
        return;
    }
    auto source = SourceRectangle(*bitmap, f.I32(44), f.I32(48), sw, sh, false);
    if (!source)
        return;
    source->ColorsFromContext = true;
    player.StretchBitmap(x, y, w, h, &*source, rop);
}

void StretchDIBits(TPlayer& player, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    const auto bitmap = RecordBitmap(player, r, f.U32(48), f.U32(52), f.U32(56), f.U32(60), false);
    if (!bitmap)
        return;
    const auto source = SourceRectangle(*bitmap, f.I32(32), f.I32(36), f.I32(40), f.I32(44), true);
    if (source)
        player.StretchBitmap(f.I32(24), f.I32(28), f.I32(72), f.I32(76), &*source, f.U32(68));
}

void SetDIBitsToDevice(TPlayer& player, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    const auto bitmap = RecordBitmap(player, r, f.U32(48), f.U32(52), f.U32(56), f.U32(60), false);
    if (!bitmap)
        return;
    const int32_t w = f.I32(40), h = f.I32(44);
    const auto source = SourceRectangle(*bitmap, f.I32(32), f.I32(36), w, h, true);
    if (source)
        player.StretchBitmap(f.I32(24), f.I32(28), w, h, &*source, SRCCOPY);
}

void AlphaBlend(TPlayer& player, const TRecord& r)
{
    const TLittleEndianReader f = r.Fields();
    const uint8_t constant = f.U8(42);
    const bool perPixel = f.U8(43) != 0;
    const auto bitmap = RecordBitmap(player, r, f.U32(84), f.U32(88), f.U32(92), f.U32(96), perPixel);
    if (!bitmap)
        return;
    const auto source = SourceRectangle(*bitmap, f.I32(44), f.I32(48), f.I32(100), f.I32(104), false);
    if (source)
        player.AlphaBitmap(f.I32(24), f.I32(28), f.I32(32), f.I32(36), *source, constant);
}

}  // namespace tremalu::emf
