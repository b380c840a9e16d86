// A TIFF structure held in memory, as Exif (APP1) and the multi-picture
// index of MPO files (APP2) store their fields: a header giving the byte
// order ("II" little-endian, "MM" big-endian), the number 42 and the offset
// of the first IFD; an IFD is a 16-bit count of 12-byte entries (tag, type,
// count, then the value itself when it fits in 4 bytes, else its offset)
// followed by the offset of the next IFD. Offsets count from the header's
// first byte.
//
// The bytes come from a file and may lie: every read is checked against the
// structure's size in 64-bit arithmetic, and a read that does not fit gives
// nothing rather than a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tremalu {

class TTiffStructure {
public:
    // The structure whose header starts at data; none when the header is
    // not a TIFF header.
    static std::optional<TTiffStructure> Open(const uint8_t* data, size_t size);
    // A headerless structure of known byte order (a maker note's IFD).
    static TTiffStructure WithByteOrder(const uint8_t* data, size_t size, bool bigEndian);

    struct Entry {
        uint16_t Tag = 0;
        uint16_t Type = 0;
        uint32_t Count = 0;
        uint64_t ValueAt = 0;     // where the value lies, from the header's first byte
        uint64_t ValueBytes = 0;  // its size: count × the type's size
    };

    uint32_t FirstIfd() const { return First; }
    size_t Size() const { return Length; }
    const uint8_t* Bytes() const { return Data; }

    std::optional<uint16_t> U16(uint64_t at) const;
    std::optional<uint32_t> U32(uint64_t at) const;
    std::optional<int32_t> I32(uint64_t at) const;

    // The entries of the IFD at the given offset whose values lie within the
    // structure; none when the IFD itself does not fit.
    std::optional<std::vector<Entry>> Ifd(uint64_t at) const;
    // The entry of a tag in the IFD at the given offset.
    std::optional<Entry> Find(uint64_t ifd, uint16_t tag) const;

    // Field types and their sizes.
    static constexpr uint16_t Short = 3;
    static constexpr uint16_t Long = 4;
    static constexpr uint16_t Undefined = 7;
    static constexpr uint16_t SignedRational = 10;

private:
    TTiffStructure(const uint8_t* data, size_t size, bool bigEndian) : Data(data), Length(size), BigEndian(bigEndian) {}
    bool Fits(uint64_t at, uint64_t count) const { return at <= Length && Length - at >= count; }

    const uint8_t* Data;
    size_t Length;
    bool BigEndian;
    uint32_t First = 0;
};

}  // namespace tremalu
