// The enhanced-metafile records that carry more than a few numbers:
// creating pens, brushes and fonts, text, and bitmaps. Each takes a record
// whose size has been checked against the smallest of its kind.
#pragma once

#include "core/little_endian.h"
#include "formats/metafile/player.h"
#include "formats/metafile/record_reading.h"

namespace tremalu::emf {

inline TPointD PointAt(const TLittleEndianReader& f, size_t at) { return {double(f.I32(at)), double(f.I32(at + 4))}; }

inline TRect RectAt(const TLittleEndianReader& f, size_t at)
{
    return {f.I32(at), f.I32(at + 4), f.I32(at + 8), f.I32(at + 12)};
}

void CreatePen(TPlayer& player, const TRecord& r);
void ExtCreatePen(TPlayer& player, const TRecord& r);
void CreateBrush(TPlayer& player, const TRecord& r);
// A brush of a bitmap: a monochrome one (coloured by the text and
// background colours) or a device-independent one.
void CreatePatternBrush(TPlayer& player, const TRecord& r, bool monochrome);
void CreateFont(TPlayer& player, const TRecord& r);
void ExtTextOut(TPlayer& player, const TRecord& r, bool wide);
// BitBlt, StretchBlt: a bitmap of the source device (or none, for
// operations on the brush alone) drawn into a destination rectangle.
void BitBlt(TPlayer& player, const TRecord& r, bool stretch);
void StretchDIBits(TPlayer& player, const TRecord& r);
void SetDIBitsToDevice(TPlayer& player, const TRecord& r);
void AlphaBlend(TPlayer& player, const TRecord& r);

}  // namespace tremalu::emf
