// Run-length encoded bitmap data (BI_RLE8 and BI_RLE4).
//
// The data is a sequence of two-byte codes, read from the bottom row up:
//   n v      (n > 0) n pixels of the value v; with RLE4, v holds two
//            4-bit values used alternately, the high one first
//   0 0      end of line: next row, first column
//   0 1      end of bitmap
//   0 2 dx dy  move dx pixels right and dy rows up
//   0 n ...  (n ≥ 3) absolute run: n values follow, one byte each with
//            RLE8, two per byte with RLE4, padded to an even byte count
// Pixels that no code sets keep their previous value. Runs that pass the
// end of a row or of the picture are clipped; data that ends early ends the
// decoding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tremalu {

// Decodes into 32-bit pixels: rows of width pixels, stride bytes apart,
// row 0 being the bottom row; each index becomes colors[index].
void DecodeRle(const uint8_t* data, size_t size, int bitsPerPixel, int32_t width, int32_t height, uint8_t* pixels,
               size_t stride, const uint32_t colors[256]);

}  // namespace tremalu
