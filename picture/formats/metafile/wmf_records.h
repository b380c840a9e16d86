// Playing the records of a Windows metafile through the same player as
// the enhanced ones.
#pragma once

#include "formats/metafile/player.h"

#include <cstddef>
#include <cstdint>

namespace tremalu {

// The 18-byte header of a Windows metafile (after the placeable header):
// type, header size in 16-bit words, version, file size in words, number of
// objects, largest record, a reserved word.
inline constexpr size_t WindowsHeaderSize = 18;
// The number of object slots the header declares.
uint16_t WindowsObjectCount(const uint8_t* data, size_t size);

// Plays the records after the header: each record is its size in 16-bit
// words (32 bits), its function (16 bits) and parameters of 16 bits, most
// of them in reverse order. A record that claims more words than are left
// ends the playback, as does the end record; records of kinds not played, or
// too short for their kind, are skipped.
void PlayWindowsRecords(TPlayer& player, const uint8_t* data, size_t size);

}  // namespace tremalu
