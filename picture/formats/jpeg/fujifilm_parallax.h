// The parallax that Fujifilm's twin-lens cameras record in the second image
// of their MPO files: how far the pair should be shifted sideways for a
// comfortable view, in percent of the picture's width. It is tag 0xB211 (a
// signed rational) of the Fujifilm maker note, which sits in the Exif data
// of the image (APP1 "Exif\0\0": IFD0, its Exif IFD at tag 0x8769, the maker
// note at tag 0x927C of that one). A Fujifilm maker note starts with
// "FUJIFILM", then the little-endian offset of its own IFD, which is always
// little-endian and whose offsets count from the maker note's first byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace tremalu {

// The parallax in percent of the width, from the JPEG stream of one image;
// none when the image has no such value or it cannot be read (missing or
// damaged Exif data, another maker's note, a zero denominator).
std::optional<double> ReadFujifilmParallax(const uint8_t* jpeg, size_t size);

}  // namespace tremalu
