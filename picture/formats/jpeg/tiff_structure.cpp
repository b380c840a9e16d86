#include "formats/jpeg/tiff_structure.h"

#include <iterator>

namespace tremalu {

namespace {

// Bytes of one value of each field type (1 BYTE, 2 ASCII, 3 SHORT, 4 LONG,
// 5 RATIONAL, 6 SBYTE, 7 UNDEFINED, 8 SSHORT, 9 SLONG, 10 SRATIONAL,
// 11 FLOAT, 12 DOUBLE); 0 for a type TIFF does not define.
uint64_t TypeSize(uint16_t type)
{
    static constexpr uint8_t Sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    return type < std::size(Sizes) ? Sizes[type] : 0;
}

}  // namespace

std::optional<TTiffStructure> TTiffStructure::Open(const uint8_t* data, size_t size)
{
    if (size < 8)
        return std::nullopt;
    bool bigEndian;
    if (data[0] == 'I' && data[1] == 'I')
        bigEndian = false;
    else if (data[0] == 'M' && data[1] == 'M')
        bigEndian = true;
    else
        return std::nullopt;
    TTiffStructure tiff(data, size, bigEndian);
    if (tiff.U16(2) != 42)
        return std::nullopt;
    tiff.First = *tiff.U32(4);
    return tiff;
}

TTiffStructure TTiffStructure::WithByteOrder(const uint8_t* data, size_t size, bool bigEndian)
{
    return TTiffStructure(data, size, bigEndian);
}

std::optional<uint16_t> TTiffStructure::U16(uint64_t at) const
{
    if (!Fits(at, 2))
        return std::nullopt;
    const uint8_t* p = Data + at;
    return static_cast<uint16_t>(BigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]));
}

std::optional<uint32_t> TTiffStructure::U32(uint64_t at) const
{
    if (!Fits(at, 4))
        return std::nullopt;
    const uint8_t* p = Data + at;
    uint32_t value = 0;
    for (int k = 0; k < 4; ++k)
        value |= uint32_t{p[BigEndian ? k : 3 - k]} << (8 * (3 - k));
    return value;
}

std::optional<int32_t> TTiffStructure::I32(uint64_t at) const
{
    const std::optional<uint32_t> value = U32(at);
    return value ? std::optional<int32_t>(static_cast<int32_t>(*value)) : std::nullopt;
}

std::optional<std::vector<TTiffStructure::Entry>> TTiffStructure::Ifd(uint64_t at) const
{
    const std::optional<uint16_t> count = U16(at);
    if (!count || !Fits(at + 2, uint64_t{*count} * 12))
        return std::nullopt;
    std::vector<Entry> entries;
    for (uint64_t k = 0; k < *count; ++k) {
        const uint64_t field = at + 2 + 12 * k;
        Entry e;
        e.Tag = *U16(field);
        e.Type = *U16(field + 2);
        e.Count = *U32(field + 4);
        e.ValueBytes = TypeSize(e.Type) * e.Count;
        e.ValueAt = e.ValueBytes <= 4 ? field + 8 : *U32(field + 8);
        if (TypeSize(e.Type) != 0 && Fits(e.ValueAt, e.ValueBytes))
            entries.push_back(e);
    }
    return entries;
}

std::optional<TTiffStructure::Entry> TTiffStructure::Find(uint64_t ifd, uint16_t tag) const
{
    const std::optional<std::vector<Entry>> entries = Ifd(ifd);
    if (entries)
        for (const Entry& e : *entries)
            if (e.Tag == tag)
                return e;
    return std::nullopt;
}

}  // namespace tremalu
