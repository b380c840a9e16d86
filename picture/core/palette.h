// Colour tables and palettes.
//
// A palette is an immutable list of colours shared by handle: two handles are
// the same palette exactly when they point to the same object, as platform
// palette handles are compared.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace tremalu {

// One colour-table entry of a bitmap, in file order: blue, green, red, 0.
struct TRGBQuad {
    uint8_t Blue = 0;
    uint8_t Green = 0;
    uint8_t Red = 0;
    uint8_t Reserved = 0;
    friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

// One palette entry: red, green, blue, flags.
struct TPaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

struct TLogPalette {
    uint16_t Version = 0x300;
    std::vector<TPaletteEntry> Entries;
};

using HPALETTE = std::shared_ptr<const TLogPalette>;

HPALETTE MakePalette(const std::vector<TRGBQuad>& colorTable);
std::vector<TRGBQuad> ColorTableOf(const TLogPalette& palette);

// The 16 colours of the classic system palette, in their standard order.
const std::vector<TRGBQuad>& SystemColorTable16();
// A halftone palette of 256 colours: the 20 static colours of the system, a
// 6 × 6 × 6 colour cube and gray levels filling the rest.
HPALETTE HalftonePalette();

}  // namespace tremalu
