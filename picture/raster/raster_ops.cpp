#include "raster/raster_ops.h"

#include "raster/pixel_buffer.h"

#include <cstring>

namespace tremalu {

void CombineRow(uint8_t function, const uint32_t* pattern, const uint32_t* src, uint32_t* dst, int32_t count)
{
    // The three operations the anaglyph is made of get loops of their own.
    switch (function) {
    case RopFunction(SRCCOPY):
        for (int32_t i = 0; i < count; ++i)
            dst[i] = src[i] & DeviceColorBits;
        return;
    case RopFunction(SRCAND):
        for (int32_t i = 0; i < count; ++i)
            dst[i] &= src[i];
        return;
    case RopFunction(SRCPAINT):
        for (int32_t i = 0; i < count; ++i)
            dst[i] = (dst[i] | src[i]) & DeviceColorBits;
        return;
    case RopFunction(BLACKNESS):
        std::memset(dst, 0, sizeof(uint32_t) * static_cast<size_t>(count));
        return;
    case RopFunction(WHITENESS):
        for (int32_t i = 0; i < count; ++i)
            dst[i] = DeviceColorBits;
        return;
    default:
        break;
    }
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = pattern != nullptr ? pattern[i] : 0;
        const uint32_t s = src != nullptr ? src[i] : 0;
        dst[i] = ApplyRop(function, p, s, dst[i]) & DeviceColorBits;
    }
}

}  // namespace tremalu
