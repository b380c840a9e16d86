// Playing the records of an enhanced metafile.
#pragma once

#include "formats/metafile/player.h"

#include <cstddef>
#include <cstdint>

namespace tremalu {

// Plays the records from the header on: each record is a 32-bit type and a
// 32-bit size in bytes (at least 8) followed by its parameters. A record
// that claims more bytes than are left ends the playback, as does the end
// record; records of kinds not played, or too short for their kind, are
// skipped.
void PlayEnhancedRecords(TPlayer& player, const uint8_t* data, size_t size);

}  // namespace tremalu
