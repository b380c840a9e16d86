// What the GIF fuzz targets share: reading the input, the draw options, and
// a clock that never sleeps. Every input that reads is drawn, whatever it
// declares: the picture bounds what it holds (2^28 decoded indices, one
// bitmap cap's worth for drawing), and scripts/fuzz runs these targets under
// libFuzzer's -malloc_limit_mb and -rss_limit_mb, so a file that still costs
// memory out of proportion is a finding rather than an input skipped.
#pragma once

#include "core/errors.h"
#include "core/streams.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_painter_timing.h"

#include <cstdint>
#include <memory>

namespace gif_fuzz {

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
