// The directory of an icon file and the choice of the image to show.
//
// An icon file starts with a 6-byte header: a reserved word, the type word
// (1 for icons, 2 for cursors) and the image count; one 16-byte entry per
// image follows:
//   0  width in pixels (byte; 0 stands for 256)
//   1  height in pixels (byte; 0 stands for 256)
//   2  colour count (byte; 0 for 256 colours or more), then a reserved byte
//   4  two words (planes and bit count in icons, the hot spot in cursors)
//   8  size of the image data in bytes (32 bits)
//  12  offset of the image data from the start of the file (32 bits)
// The colour count is read as the 16-bit value at offset 2, reserved byte
// included, as the original system read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tremalu {

inline constexpr size_t IconHeaderSize = 6;
inline constexpr size_t IconEntrySize = 16;

struct TIconEntry {
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t ColorCount = 0;  // the word at offset 2
    uint32_t DataSize = 0;
    uint32_t DataOffset = 0;
};

// The type word of a file's header. EReadError "Erreur de lecture du flux"
// when fewer than 6 bytes are given.
uint16_t IconFileType(const std::vector<uint8_t>& bytes);

// The entries of the directory. EInvalidGraphic "Image icône incorrecte"
// when the directory holds no entry or the bytes end inside it.
std::vector<TIconEntry> ReadIconDirectory(const std::vector<uint8_t>& bytes);

// The colours a display can show: 2^(planes × bits per pixel) up to 8 bits,
// unlimited above.
inline constexpr uint64_t UnlimitedColors = UINT64_MAX;
uint64_t DisplayColorCapacity(int planes, int bitsPerPixel);

// The index of the entry to show for a wanted size. Starting from the first
// entry, a later one replaces the best so far when the display can show its
// colours, it has at least as many, and its size is at least as close to the
// wanted one on both axes without being needlessly larger (see the .cpp).
// Ties keep the later entry. A colour count of 0 counts as unlimited.
size_t ChooseIconEntry(const std::vector<TIconEntry>& entries, int32_t wantedWidth, int32_t wantedHeight,
                       uint64_t displayColors);

}  // namespace tremalu
