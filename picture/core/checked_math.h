// Arithmetic that must not go wrong silently.
//
// Floating point: division by zero and invalid operations are failures of
// the program ("Division par zéro en virgule flottante", "Opération en
// virgule flottante incorrecte"), never infinities or NaN. Round goes to the
// nearest integer, ties to the even one, on values in extended precision.
//
// Sizes: every product of picture dimensions is made in 64 bits and checked
// against the bitmap limit before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tremalu {

using Extended = long double;

// a / b, raising EInvalidOp for 0 / 0 (and any NaN) and EZeroDivide for x / 0.
Extended CheckedDivide(Extended a, Extended b);

// a * b, raising EInvalidOp when an operand is not a number or the product
// is infinite.
Extended CheckedMultiply(Extended a, Extended b);

// The value rounded to a 32-bit float, as a value held in a variable of that
// type is.
float ToSingle(Extended value);

// Round to nearest, ties to even; EInvalidOp when the value does not fit in
// a 32-bit signed integer or is not a number.
int32_t Round(Extended value);

// Integer division that truncates toward zero, as "div" does.
constexpr int32_t Div(int32_t a, int32_t b) { return a / b; }

// MulDiv: a × b ÷ c rounded to the nearest integer (halves away from zero),
// computed in 64 bits; -1 when c is 0, as the platform's MulDiv gives.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);
// The same rounding for factors that may not fit in 32 bits (a device size
// in hundredths of a millimetre, say); -1 when c is 0 or the result does not
// fit in 32 bits.
int32_t MulDivWide(int64_t a, int64_t b, int64_t c);

// The largest bitmap the program makes: 2^28 pixels.
inline constexpr uint64_t MaxBitmapPixels = uint64_t{1} << 28;

// Bytes per row of a bitmap whose rows are padded to 32 bits.
uint64_t PaddedStride(uint64_t width, uint64_t bitsPerPixel);

// Checks that a bitmap of width × height pixels at the given depth may be
// made: both sides at least 0, at most 2^28 pixels, and its byte size
// representable. Raises EOutOfMemory "Mémoire insuffisante" otherwise.
// Returns the byte size of its pixel data.
size_t CheckedBitmapBytes(int64_t width, int64_t height, int bitsPerPixel);

// a + b for sizes, raising EOutOfMemory on overflow.
size_t CheckedAdd(size_t a, size_t b);

}  // namespace tremalu
