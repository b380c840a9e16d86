// The drawing objects of a metafile (pens, brushes, fonts) and the table
// that the records create, select and delete them by.
//
// An enhanced metafile names the slot of each object it creates; a Windows
// metafile puts each new object into the lowest free slot. Both select and
// delete by slot; the stock objects are selected by number with the high
// bit set (enhanced metafiles only). A slot outside the table, or an empty
// one, is ignored.
#pragma once

#include "core/color.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tremalu {

class TPixelBuffer;

// COLORREF: 0x00BBGGRR, as TColor.
using TColorRef = uint32_t;

// Pen styles, end caps and joins (the low byte, 0x0F00 and 0xF000 of the
// style field).
enum : uint32_t {
    PS_SOLID = 0,
    PS_DASH = 1,
    PS_DOT = 2,
    PS_DASHDOT = 3,
    PS_DASHDOTDOT = 4,
    PS_NULL = 5,
    PS_INSIDEFRAME = 6,
    PS_USERSTYLE = 7,
    PS_ALTERNATE = 8,
    PS_STYLE_MASK = 0x0F,
    PS_ENDCAP_SQUARE = 0x100,
    PS_ENDCAP_FLAT = 0x200,
    PS_ENDCAP_MASK = 0xF00,
    PS_JOIN_BEVEL = 0x1000,
    PS_JOIN_MITER = 0x2000,
    PS_JOIN_MASK = 0xF000,
    PS_GEOMETRIC = 0x10000,
};

struct TPenSpec {
    uint32_t Style = PS_SOLID;
    double Width = 0;  // logical units; 0 is one pixel
    TColorRef Color = 0;
    std::vector<double> Dashes;  // user style: lengths in logical units
};

// Brush styles and hatch patterns.
enum : uint32_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6 };

struct TBrushSpec {
    uint32_t Style = BS_SOLID;
    TColorRef Color = 0xFFFFFF;
    uint32_t Hatch = 0;
    // A pattern brush's bitmap in device pixels; a monochrome one is
    // coloured with the text and background colours when used.
    std::shared_ptr<const TPixelBuffer> Pattern;
};

struct TFontSpec {
    int32_t Height = 0;      // < 0: character height, > 0: cell height, logical units
    int32_t Width = 0;
    int32_t Escapement = 0;  // tenths of a degree, counter-clockwise
    int32_t Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t CharSet = 0;
    uint8_t PitchAndFamily = 0;
    std::string Face;  // UTF-8
};

// An object the player does not use but whose slot is taken (palettes,
// regions, old-style bitmaps).
struct TOtherObject {};

using TDrawingObject = std::variant<TPenSpec, TBrushSpec, TFontSpec, TOtherObject>;

// Stock objects, as selected with the high bit set.
enum : uint32_t {
    WHITE_BRUSH = 0,
    LTGRAY_BRUSH = 1,
    GRAY_BRUSH = 2,
    DKGRAY_BRUSH = 3,
    BLACK_BRUSH = 4,
    NULL_BRUSH = 5,
    WHITE_PEN = 6,
    BLACK_PEN = 7,
    NULL_PEN = 8,
    OEM_FIXED_FONT = 10,
    ANSI_FIXED_FONT = 11,
    ANSI_VAR_FONT = 12,
    SYSTEM_FONT = 13,
    DEVICE_DEFAULT_FONT = 14,
    DEFAULT_PALETTE = 15,
    SYSTEM_FIXED_FONT = 16,
    DEFAULT_GUI_FONT = 17,
    DC_BRUSH = 18,
    DC_PEN = 19,
};
inline constexpr uint32_t StockObjectBit = 0x80000000;

// The stock object of a number, if there is one.
std::optional<TDrawingObject> StockObject(uint32_t number);

class TObjectTable {
public:
    // A table of count slots (at most MaxSlots).
    explicit TObjectTable(size_t count);
    static constexpr size_t MaxSlots = 1 << 16;

    // Puts an object into a slot (enhanced metafiles); ignored outside.
    void Put(uint32_t slot, TDrawingObject object);
    // Puts an object into the lowest free slot (Windows metafiles); ignored
    // when none is free.
    void PutInFirstFree(TDrawingObject object);
    // The object in a slot, or null.
    const TDrawingObject* Get(uint32_t slot) const;
    void Delete(uint32_t slot);

private:
    std::vector<std::optional<TDrawingObject>> Slots;
    std::vector<uint64_t> Used;  // one bit per slot, so that a free one is found 64 at a time
};

}  // namespace tremalu
