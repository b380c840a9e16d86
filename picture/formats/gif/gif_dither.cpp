#include "formats/gif/gif_dither.h"

#include <algorithm>

namespace tremalu {

const std::vector<TRGBQuad>& ColorCubeTable()
{
    static const std::vector<TRGBQuad> table = [] {
        std::vector<TRGBQuad> t;
        t.reserve(216);
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    t.push_back({static_cast<uint8_t>(51 * b), static_cast<uint8_t>(51 * g),
                                 static_cast<uint8_t>(51 * r), 0});
        return t;
    }();
    return table;
}

HPALETTE ColorCubePalette()
{
    static const HPALETTE palette = MakePalette(ColorCubeTable());
    return palette;
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int32_t width)
    : Width(width), Current(static_cast<size_t>(width) + 2), Next(static_cast<size_t>(width) + 2)
{
}

void TFloydSteinbergDitherer::DitherRow(const TGIFColor* colors, const uint8_t* skip, uint8_t* out)
{
    const bool forward = Row % 2 == 0;
    const int step = forward ? 1 : -1;
    std::fill(Next.begin(), Next.end(), Error{});
    for (int32_t i = 0; i < Width; ++i) {
        const int32_t x = forward ? i : Width - 1 - i;
        if (skip[x] != 0)
            continue;
        const size_t e = static_cast<size_t>(x) + 1;  // error entries are shifted by the spare one
        const int red = std::clamp(colors[x].Red + Current[e].Red / 16, 0, 255);
        const int green = std::clamp(colors[x].Green + Current[e].Green / 16, 0, 255);
        const int blue = std::clamp(colors[x].Blue + Current[e].Blue / 16, 0, 255);
        const uint8_t r = CubeLevel(red), g = CubeLevel(green), b = CubeLevel(blue);
        out[x] = static_cast<uint8_t>(r * 36 + g * 6 + b);
        const Error error{red - 51 * r, green - 51 * g, blue - 51 * b};
        auto spread = [](Error& to, const Error& from, int weight) {
            to.Red += from.Red * weight;
            to.Green += from.Green * weight;
            to.Blue += from.Blue * weight;
        };
        // Errors are kept in sixteenths.
        spread(Current[e + step], error, 7);
        spread(Next[e - step], error, 3);
        spread(Next[e], error, 5);
        spread(Next[e + step], error, 1);
    }
    std::swap(Current, Next);
    ++Row;
}

}  // namespace tremalu
