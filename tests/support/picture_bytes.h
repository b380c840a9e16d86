// Pictures read from bytes made by the tests' writers, and the pixels they
// draw.
#pragma once

#include "core/streams.h"
#include "raster/bitmap.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace testing_support {

// A picture of the given kind read from bytes in memory; raises what the
// reader raises.
template <class Kind>
std::unique_ptr<Kind> ReadAs(const std::vector<uint8_t>& bytes)
{
    auto picture = std::make_unique<Kind>();
    tremalu::TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
    picture->ReadFromStream(stream);
    return picture;
}

// A new bitmap of w × h: white, as a new bitmap is.
inline std::unique_ptr<tremalu::TBitmap> WhiteBitmap(int32_t w, int32_t h)
{
    auto bitmap = std::make_unique<tremalu::TBitmap>();
    bitmap->SetPixelWidth(w);
    bitmap->SetPixelHeight(h);
    return bitmap;
}

// A new bitmap of w × h whose pixel (x, y) is pixel(x, y) (0x00RRGGBB),
// asked row after row, top row first.
inline std::unique_ptr<tremalu::TBitmap> PaintedBitmap(int32_t w, int32_t h,
                                                       const std::function<uint32_t(int32_t x, int32_t y)>& pixel)
{
    std::unique_ptr<tremalu::TBitmap> bitmap = WhiteBitmap(w, h);
    tremalu::TPixelBuffer* pixels = bitmap->Surface().Pixels();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            pixels->SetPixelAt(x, y, pixel(x, y));
    return bitmap;
}

// Pixel (x, y) of a bitmap as 0x00RRGGBB.
inline uint32_t At(const tremalu::TBitmap& bitmap, int32_t x, int32_t y)
{
    return bitmap.PeekPixels()->PixelAt(x, y);
}

}  // namespace testing_support
