// What the GIF fuzz targets share: reading the input, the limit on the
// pixels they draw, and a clock that never sleeps.
#pragma once

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/streams.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_painter_timing.h"

#include <cstdint>
#include <memory>

namespace gif_fuzz {

// A few bytes may declare frames of 2^28 pixels, which drawing then renders
// whole: thousands of times slower without reaching other code. Pictures
// declaring more than this (screen, or all frames together) are not drawn,
// except sizes over the bitmap limit, which are refused before anything is
// allocated.
constexpr uint64_t MaxDrawnPixels = uint64_t{1} << 18;

// Reads the input; false when the reader refuses it with its own failure.
inline bool Read(tremalu::TGIFImage& gif, const uint8_t* data, size_t size)
{
    try {
        tremalu::TReadOnlyMemoryStream input(data, size);
        gif.ReadFromStream(input);
        return true;
    } catch (const tremalu::Exception&) {
        return false;
    }
}

inline bool Affordable(const tremalu::TGIFImage& gif)
{
    const auto affordable = [](uint64_t pixels) {
        return pixels <= MaxDrawnPixels || pixels > tremalu::MaxBitmapPixels;
    };
    if (!affordable(uint64_t{gif.Header.Width} * gif.Header.Height))
        return false;
    uint64_t frames = 0;
    for (const auto& frame : gif.Images) {
        const uint64_t pixels = uint64_t{frame->Width} * frame->Height;
        if (!affordable(pixels))
            return false;
        if (pixels <= tremalu::MaxBitmapPixels)
            frames += pixels;
    }
    return frames <= MaxDrawnPixels;
}

// A clock that moves by exactly what is waited.
inline std::shared_ptr<const tremalu::TGIFPainterTiming> InstantTiming()
{
    auto now = std::make_shared<int64_t>(0);
    return std::make_shared<tremalu::TGIFPainterTiming>(tremalu::TGIFPainterTiming{
        [now] { return *now; },
        [now](tremalu::TWakeUpEvent& event, int64_t ms) {
            if (event.TryTake())
                return true;
            *now += ms < 0 ? 0 : ms;
            return false;
        },
        [now](int64_t ms) { *now += ms; }});
}

// Draw options from the input's length, so that each path is taken: masks
// or not, tiles, clearing first, dithering to the colour cube.
inline tremalu::TGIFDrawOptions Variant(size_t size, tremalu::TGIFDrawOptions options)
{
    using namespace tremalu;
    const unsigned v = static_cast<unsigned>(size % 16);
    if ((v & 1) != 0)
        options ^= gdTransparent;
    if ((v & 2) != 0)
        options |= gdTile;
    if ((v & 4) != 0)
        options |= gdClearFirst;
    if ((v & 8) != 0)
        options &= static_cast<TGIFDrawOptions>(~gdAutoDither);
    return options;
}

}  // namespace gif_fuzz
