// The marker segments at the head of a JPEG file, before its image data:
// SOI, then segments of a marker (0xFF, a code) and a big-endian length that
// counts itself, up to the first SOS. Metadata lives there (APP1 holds Exif,
// APP2 the multi-picture index of an MPO file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tremalu {

// Where a segment's payload lies in the file.
struct TSegmentPayload {
    size_t Offset = 0;  // from the file's first byte
    size_t Size = 0;
};

// The payload, after its signature, of the first segment of the given marker
// code (0xE1 for APP1, ...) whose payload starts with signature. None when
// the file does not start with SOI, when no such segment comes before the
// image data, or when the segments run past the end of the bytes.
std::optional<TSegmentPayload> FindHeaderSegment(const uint8_t* data, size_t size, uint8_t marker,
                                                 std::string_view signature);

}  // namespace tremalu
