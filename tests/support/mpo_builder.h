// MPO files made by our own writer for tests and fuzz seeds: JPEG files put
// one after the other, the first carrying the multi-picture index (APP2
// "MPF") right after its SOI, and, when asked, a Fujifilm maker note with a
// parallax value in the Exif data of the second.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace testing_support {

struct MpoFields {
    std::vector<std::vector<uint8_t>> Images;  // complete JPEG files
    bool BigEndian = true;                     // byte order of the index
    std::optional<std::pair<int32_t, int32_t>> Parallax;  // numerator, denominator
};

std::vector<uint8_t> BuildMpo(const MpoFields& fields);

// The JPEG file with one more segment right after its SOI.
std::vector<uint8_t> WithSegment(const std::vector<uint8_t>& jpeg, uint8_t marker, const std::vector<uint8_t>& payload);

// The Exif data (APP1 payload, "Exif\0\0" included) holding only a Fujifilm
// maker note with the parallax tag.
std::vector<uint8_t> FujifilmExif(int32_t numerator, int32_t denominator);

// Offsets of the index inside a file BuildMpo made: where the entries of
// image k start (size at +4, offset at +8, in the index's byte order).
size_t MpoEntryAt(size_t k);

}  // namespace testing_support
