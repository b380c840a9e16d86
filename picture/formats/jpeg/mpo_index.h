// The index of an MPO file (CIPA DC-007, Multi-Picture Format): a JPEG file
// whose first image carries, in an APP2 segment signed "MPF\0", a TIFF
// structure (tiff_structure.h) with the MP Index IFD:
//   0xB000 MPFVersion      UNDEFINED × 4, "0100"
//   0xB001 NumberOfImages  LONG
//   0xB002 MPEntry         UNDEFINED × 16 per image: attribute (LONG), size
//                          (LONG), offset (LONG), two dependent-image entry
//                          numbers (SHORT each)
// The first image starts at the file's first byte (its offset is 0); the
// offset of every other image counts from the first byte of the TIFF header
// inside that APP2 segment. The images follow the first one in the same file,
// each a complete JPEG stream.
//
// The index is read, never guessed: the file is not searched for other
// start-of-image markers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tremalu {

struct TMpoImage {
    uint64_t Offset = 0;  // from the file's first byte
    uint64_t Size = 0;
};

// The images the index lists, in its order. Raises EInvalidGraphic with
// texts::MpoNoIndex when there is no readable index, texts::MpoBadEntry
// when an entry points outside the file, overlaps another one or has an
// absurd size, and texts::MpoTooFewImages when it lists fewer than two.
std::vector<TMpoImage> ReadMpoIndex(const uint8_t* data, size_t size);

}  // namespace tremalu
