#include "core/checked_math.h"

#include "core/errors.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace tremalu {

Extended CheckedDivide(Extended a, Extended b)
{
    if (std::isnan(a) || std::isnan(b))
        throw EInvalidOp(texts::InvalidFloatOp);
    if (b == 0) {
        if (a == 0)
            throw EInvalidOp(texts::InvalidFloatOp);
        throw EZeroDivide(texts::ZeroDivide);
    }
    const Extended q = a / b;
    if (std::isinf(q) && !std::isinf(a))
        throw EInvalidOp(texts::InvalidFloatOp);
    return q;
}

Extended CheckedMultiply(Extended a, Extended b)
{
    const Extended p = a * b;
    if (std::isnan(p) || (std::isinf(p) && !std::isinf(a) && !std::isinf(b)))
        throw EInvalidOp(texts::InvalidFloatOp);
    return p;
}

float ToSingle(Extended value)
{
    if (std::isnan(value))
        throw EInvalidOp(texts::InvalidFloatOp);
    return static_cast<float>(value);
}

int32_t Round(Extended value)
{
    if (!std::isfinite(value))
        throw EInvalidOp(texts::InvalidFloatOp);
    // Rounding under the default mode (to nearest, ties to even); the mode
    // is set explicitly so that nothing else in the process can change it.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const Extended r = std::nearbyint(value);
    std::fesetround(saved);
    if (r < static_cast<Extended>(std::numeric_limits<int32_t>::min()) ||
        r > static_cast<Extended>(std::numeric_limits<int32_t>::max()))
        throw EInvalidOp(texts::InvalidFloatOp);
    return static_cast<int32_t>(r);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) { return MulDivWide(a, b, c); }

int32_t MulDivWide(int64_t a, int64_t b, int64_t c)
{
    if (c == 0)
        return -1;
    using Wide = __int128;
    const Wide p = static_cast<Wide>(a) * b;
    Wide q = p / c;
    const Wide rem = p % c;
    // Halves go away from zero.
    if (2 * (rem < 0 ? -rem : rem) >= (c < 0 ? -static_cast<Wide>(c) : static_cast<Wide>(c)))
        q += ((p < 0) != (c < 0)) ? -1 : 1;
    if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max())
        return -1;
    return static_cast<int32_t>(q);
}

uint64_t PaddedStride(uint64_t width, uint64_t bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) & ~uint64_t{31}) / 8;
}

size_t CheckedBitmapBytes(int64_t width, int64_t height, int bitsPerPixel)
{
    if (width < 0 || height < 0 || bitsPerPixel <= 0 || bitsPerPixel > 32)
        throw EOutOfMemory(texts::OutOfMemory);
    // Both factors are below 2^31 here, so neither product can overflow 64 bits.
    if (width > std::numeric_limits<int32_t>::max() || height > std::numeric_limits<int32_t>::max())
        throw EOutOfMemory(texts::OutOfMemory);
    const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    if (pixels > MaxBitmapPixels)
        throw EOutOfMemory(texts::OutOfMemory);
    const uint64_t stride = PaddedStride(static_cast<uint64_t>(width), static_cast<uint64_t>(bitsPerPixel));
    if (stride > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
        throw EOutOfMemory(texts::OutOfMemory);
    const uint64_t bytes = stride * static_cast<uint64_t>(height);
    if (bytes > static_cast<uint64_t>(std::numeric_limits<ptrdiff_t>::max()))
        throw EOutOfMemory(texts::OutOfMemory);
    return static_cast<size_t>(bytes);
}

size_t CheckedAdd(size_t a, size_t b)
{
    if (a > std::numeric_limits<size_t>::max() - b)
        throw EOutOfMemory(texts::OutOfMemory);
    return a + b;
}

}  // namespace tremalu
