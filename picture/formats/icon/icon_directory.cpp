#include "formats/icon/icon_directory.h"

#include "core/errors.h"
#include "core/little_endian.h"

#include <cstdlib>

namespace tremalu {

namespace {

int32_t SideOf(uint8_t stored) { return stored == 0 ? 256 : stored; }

uint64_t ColorsOf(const TIconEntry& entry) { return entry.ColorCount == 0 ? UnlimitedColors : entry.ColorCount; }

// Whether a side of the entry is at least as good as the best's: no farther
// from the wanted side, and either not above it or no larger than the best.
bool BetterSide(int32_t entry, int32_t best, int32_t wanted)
{
    const int64_t d = int64_t{entry} - wanted;
    const int64_t D = int64_t{best} - wanted;
    return std::llabs(d) <= std::llabs(D) && (d <= 0 || d <= D);
}

}  // namespace

uint16_t IconFileType(const std::vector<uint8_t>& bytes)
{
    const TLittleEndianReader header(bytes.data(), bytes.size() < IconHeaderSize ? bytes.size() : IconHeaderSize);
    header.U16(4);  // the whole header must be there
    return header.U16(2);
}

std::vector<TIconEntry> ReadIconDirectory(const std::vector<uint8_t>& bytes)
{
    const TLittleEndianReader file(bytes);
    const uint16_t count = file.U16(4);
    if (count == 0 || bytes.size() < IconHeaderSize + size_t{count} * IconEntrySize)
        throw EInvalidGraphic(texts::InvalidIcon);
    std::vector<TIconEntry> entries(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = IconHeaderSize + i * IconEntrySize;
        TIconEntry& e = entries[i];
        e.Width = SideOf(file.U8(at));
        e.Height = SideOf(file.U8(at + 1));
        e.ColorCount = file.U16(at + 2);
        e.DataSize = file.U32(at + 8);
        e.DataOffset = file.U32(at + 12);
    }
    return entries;
}

uint64_t DisplayColorCapacity(int planes, int bitsPerPixel)
{
    const int bits = planes * bitsPerPixel;
    return bits <= 8 ? uint64_t{1} << bits : UnlimitedColors;
}

size_t ChooseIconEntry(const std::vector<TIconEntry>& entries, int32_t wantedWidth, int32_t wantedHeight,
                       uint64_t displayColors)
{
    size_t best = 0;
    uint64_t bestColors = ColorsOf(entries[0]);
    for (size_t i = 1; i < entries.size(); ++i) {
        const TIconEntry& e = entries[i];
        const uint64_t colors = ColorsOf(e);
        if (colors <= displayColors && colors >= bestColors &&
            BetterSide(e.Width, entries[best].Width, wantedWidth) &&
            BetterSide(e.Height, entries[best].Height, wantedHeight)) {
            best = i;
            bestColors = colors;
        }
    }
    return best;
}

}  // namespace tremalu
