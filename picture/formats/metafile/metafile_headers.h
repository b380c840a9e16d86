// The headers that start the two metafile forms.
//
// Enhanced metafile: its first record is the header (type 1):
//   0  type (1)            4  record size       8  bounds (4 × i32, pixels)
//  24  frame left, top, right, bottom (i32, hundredths of a millimetre)
//  40  signature 0x464D4520 (" EMF")            44 version
//  48  total size in bytes                      52 record count
//  56  object slots (u16)  58 reserved          60 description length, 64 its offset
//  68  palette entries     72 reference device width, height in pixels
//  80  reference device width, height in millimetres
//
// Placeable Windows metafile: 22 bytes before the Windows metafile itself:
//   0  key 0x9AC6CDD7      4  reserved handle   6  left, top, right, bottom (i16)
//  14  units per inch (u16)                    16 reserved (u32)
//  20  checksum: the exclusive or of the ten words at offsets 0 to 18
#pragma once

#include <cstddef>
#include <cstdint>

namespace tremalu {

inline constexpr size_t EnhancedLookAhead = 100;
inline constexpr uint32_t EnhancedSignature = 0x464D4520;
inline constexpr size_t PlaceableHeaderSize = 22;
inline constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
// The smallest header record that holds every field above.
inline constexpr uint32_t MinimumEnhancedHeader = 88;

struct TEnhancedHeader {
    uint32_t RecordSize = 0;
    int32_t Frame[4] = {0, 0, 0, 0};  // left, top, right, bottom
    uint32_t TotalSize = 0;
    uint16_t ObjectSlots = 0;
    int32_t DevicePixels[2] = {0, 0};
    int32_t DeviceMillimetres[2] = {0, 0};
};

struct TPlaceableHeader {
    int16_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    uint16_t UnitsPerInch = 0;
};

// Whether 100 bytes look like the start of an enhanced metafile: record
// type 1 and the signature.
bool LooksEnhanced(const uint8_t* bytes);
TEnhancedHeader ReadEnhancedHeader(const uint8_t* bytes, size_t size);
// The header of a placeable metafile; false when its key or its checksum is
// wrong.
bool ReadPlaceableHeader(const uint8_t* bytes, TPlaceableHeader& header);

}  // namespace tremalu
