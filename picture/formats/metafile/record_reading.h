// Reading the parameters of metafile records: little-endian fields checked
// against the record's size, lists of points, text, and the device-
// independent bitmaps that records carry.
#pragma once

#include "core/little_endian.h"
#include "formats/metafile/player.h"

#include <optional>
#include <string>
#include <vector>

namespace tremalu {

// One record's bytes. Every read is checked against them (the record loops
// check the minimum size of each kind first, so that a short record is
// skipped rather than read).
struct TRecord {
    const uint8_t* Data;
    size_t Size;

    TLittleEndianReader Fields() const { return {Data, Size}; }
    // Whether count items of itemSize bytes fit from offset at.
    bool Holds(uint64_t at, uint64_t count, uint64_t itemSize) const
    {
        return at <= Size && count <= (Size - at) / (itemSize == 0 ? 1 : itemSize);
    }
};

// count points of two 32-bit (or 16-bit) signed coordinates from offset at;
// nothing when they do not fit.
std::vector<TPointD> ReadPoints32(const TRecord& r, size_t at, uint64_t count);
std::vector<TPointD> ReadPoints16(const TRecord& r, size_t at, uint64_t count);

// Text of count UTF-16 code units (pairs of surrogates joined) or of count
// bytes in the Windows Western code page.
std::u32string ReadUtf16(const TRecord& r, size_t at, uint64_t count);
std::u32string ReadAnsi(const TRecord& r, size_t at, uint64_t count);

// A bitmap carried by a record: its info header and colour table at
// [info, info + infoSize), its pixel rows at [bits, bits + bitsSize) (bits
// null: right after the colour table). Nothing when the bitmap is not
// usable: refused by the bitmap reader, or with fewer bytes than its rows
// need, or when the player cannot afford its pixels.
struct TRecordBitmap {
    std::shared_ptr<const TPixelBuffer> Pixels;
    std::vector<uint8_t> Alpha;  // top row first; empty unless asked for and present
    bool BottomUp = true;
};
std::optional<TRecordBitmap> ReadRecordBitmap(TPlayer& player, const uint8_t* info, size_t infoSize,
                                              const uint8_t* bits, size_t bitsSize, bool withAlpha);

// The part of a record's bitmap that a source rectangle names, clipped to
// the bitmap. With bottomOrigin, y counts from the last row of a bottom-up
// bitmap, as the DIB drawing records count it. Nothing when it is empty.
std::optional<TSourceBitmap> SourceRectangle(const TRecordBitmap& bitmap, int32_t x, int32_t y, int32_t width,
                                             int32_t height, bool bottomOrigin);

}  // namespace tremalu
