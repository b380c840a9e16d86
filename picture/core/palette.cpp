#include "core/palette.h"

#include <algorithm>

namespace tremalu {

HPALETTE MakePalette(const std::vector<TRGBQuad>& colorTable)
{
    auto palette = std::make_shared<TLogPalette>();
    palette->Entries.reserve(std::min<size_t>(colorTable.size(), 256));
    for (size_t i = 0; i < colorTable.size() && i < 256; ++i)
        palette->Entries.push_back({colorTable[i].Red, colorTable[i].Green, colorTable[i].Blue, 0});
    return palette;
}

std::vector<TRGBQuad> ColorTableOf(const TLogPalette& palette)
{
    std::vector<TRGBQuad> table;
    table.reserve(palette.Entries.size());
    for (const TPaletteEntry& e : palette.Entries)
        table.push_back({e.Blue, e.Green, e.Red, 0});
    return table;
}

const std::vector<TRGBQuad>& SystemColorTable16()
{
    static const std::vector<TRGBQuad> table = {
        {0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
        {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {128, 128, 128, 0},
        {192, 192, 192, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
        {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0},
    };
    return table;
}

HPALETTE HalftonePalette()
{
    static const HPALETTE palette = [] {
        std::vector<TRGBQuad> table;
        table.reserve(256);
        // The first ten static colours.
        const TRGBQuad firstStatic[10] = {
            {0, 0, 0, 0},     {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},   {128, 0, 0, 0},
            {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0}, {192, 220, 192, 0}, {240, 202, 166, 0},
        };
        table.insert(table.end(), std::begin(firstStatic), std::end(firstStatic));
        for (int b = 0; b < 6; ++b)
            for (int g = 0; g < 6; ++g)
                for (int r = 0; r < 6; ++r)
                    table.push_back({static_cast<uint8_t>(b * 51), static_cast<uint8_t>(g * 51),
                                     static_cast<uint8_t>(r * 51), 0});
        // Gray levels between the cube's grays.
        while (table.size() < 246) {
            const uint8_t level = static_cast<uint8_t>(8 + (table.size() - 226) * 12);
            table.push_back({level, level, level, 0});
        }
        const TRGBQuad lastStatic[10] = {
            {240, 251, 255, 0}, {164, 160, 160, 0}, {128, 128, 128, 0}, {0, 0, 255, 0}, {0, 255, 0, 0},
            {0, 255, 255, 0},   {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0}, {255, 255, 255, 0},
        };
        table.insert(table.end(), std::begin(lastStatic), std::end(lastStatic));
        return MakePalette(table);
    }();
    return palette;
}

}  // namespace tremalu
