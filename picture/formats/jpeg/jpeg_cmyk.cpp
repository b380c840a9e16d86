#include "formats/jpeg/jpeg_cmyk.h"

namespace tremalu {

namespace {

// a × b / 255, rounded.
inline uint8_t Attenuate(uint32_t a, uint32_t b)
{
    const uint32_t product = a * b + 128;
    return static_cast<uint8_t>((product + (product >> 8)) >> 8);
}

}  // namespace

void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, uint32_t width, bool adobeInverted, bool gray)
{
    // Inverted storage already holds the complements.
    const uint8_t flip = adobeInverted ? 0 : 0xFF;
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const uint32_t k = cmyk[3] ^ flip;
        const uint8_t r = Attenuate(cmyk[0] ^ flip, k);
        const uint8_t g = Attenuate(cmyk[1] ^ flip, k);
        const uint8_t b = Attenuate(cmyk[2] ^ flip, k);
        if (gray) {
            const auto y = static_cast<uint8_t>((19595u * r + 38470u * g + 7471u * b + 32768u) >> 16);
            bgr[0] = bgr[1] = bgr[2] = y;
        } else {
            bgr[0] = b;
            bgr[1] = g;
            bgr[2] = r;
        }
    }
}

}  // namespace tremalu
