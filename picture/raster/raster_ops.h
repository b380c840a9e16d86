// Ternary raster operations on device pixels.
//
// A raster-operation code's bits 16 to 23 are the truth table of a boolean
// function of three inputs: the pattern P (the brush), the source S and the
// destination D. Bit number (P·4 + S·2 + D) of that byte is the result for
// those input bits. Applied to 32-bit device pixels the function is computed
// bitwise, so on each 8-bit channel independently.
#pragma once

#include <cstdint>

namespace tremalu {

using TRasterOp = uint32_t;

inline constexpr TRasterOp BLACKNESS = 0x00000042;
inline constexpr TRasterOp NOTSRCERASE = 0x001100A6;
inline constexpr TRasterOp NOTSRCCOPY = 0x00330008;
inline constexpr TRasterOp SRCERASE = 0x00440328;
inline constexpr TRasterOp DSTINVERT = 0x00550009;
inline constexpr TRasterOp PATINVERT = 0x005A0049;
inline constexpr TRasterOp SRCINVERT = 0x00660046;
inline constexpr TRasterOp SRCAND = 0x008800C6;
inline constexpr TRasterOp MERGEPAINT = 0x00BB0226;
inline constexpr TRasterOp MERGECOPY = 0x00C000CA;
inline constexpr TRasterOp SRCCOPY = 0x00CC0020;
inline constexpr TRasterOp SRCPAINT = 0x00EE0086;
inline constexpr TRasterOp PATCOPY = 0x00F00021;
inline constexpr TRasterOp PATPAINT = 0x00FB0A09;
inline constexpr TRasterOp WHITENESS = 0x00FF0062;

inline constexpr uint8_t RopFunction(TRasterOp rop) { return static_cast<uint8_t>(rop >> 16); }

// The result of the operation for one pattern, source and destination value.
inline constexpr uint32_t ApplyRop(uint8_t function, uint32_t p, uint32_t s, uint32_t d)
{
    uint32_t result = 0;
    for (int index = 0; index < 8; ++index) {
        if (((function >> index) & 1) == 0)
            continue;
        const uint32_t pm = (index & 4) ? p : ~p;
        const uint32_t sm = (index & 2) ? s : ~s;
        const uint32_t dm = (index & 1) ? d : ~d;
        result |= pm & sm & dm;
    }
    return result;
}

// Whether the operation reads the pattern, the source or the destination.
constexpr bool RopUsesPattern(uint8_t f) { return ((f >> 4) & 0x0F) != (f & 0x0F); }
constexpr bool RopUsesSource(uint8_t f) { return ((f >> 2) & 0x33) != (f & 0x33); }
constexpr bool RopUsesDestination(uint8_t f) { return ((f >> 1) & 0x55) != (f & 0x55); }

// dst[i] := f(pattern[i], src[i], dst[i]) for count device pixels; the
// unused byte of every result is cleared. pattern may be null when the
// operation does not read it, src likewise.
void CombineRow(uint8_t function, const uint32_t* pattern, const uint32_t* src, uint32_t* dst, int32_t count);

}  // namespace tremalu
