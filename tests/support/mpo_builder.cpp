#include "mpo_builder.h"

#include <cstring>
#include <stdexcept>

namespace testing_support {

namespace {

struct Writer {
    std::vector<uint8_t> Bytes;
    bool Big;
    void U16(uint32_t v)
    {
        for (int k = 0; k < 2; ++k)
            Bytes.push_back(static_cast<uint8_t>(v >> (8 * (Big ? 1 - k : k))));
    }
    void U32(uint32_t v)
    {
        for (int k = 0; k < 4; ++k)
            Bytes.push_back(static_cast<uint8_t>(v >> (8 * (Big ? 3 - k : k))));
    }
    void Text(const char* s, size_t n) { Bytes.insert(Bytes.end(), s, s + n); }
    // One IFD entry: tag, type, count, value or offset.
    void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value)
    {
        U16(tag);
        U16(type);
        U32(count);
        U32(value);
    }
};

// Where the TIFF header of the index lies in the file: SOI, APP2 marker and
// length, "MPF\0".
constexpr size_t IndexBase = 2 + 4 + 4;
// Inside the TIFF structure: header (8), the IFD (count, 3 entries, next).
constexpr size_t EntriesInTiff = 8 + 2 + 3 * 12 + 4;

std::vector<uint8_t> MpfPayload(bool big, const std::vector<uint32_t>& sizes, const std::vector<uint32_t>& offsets)
{
    Writer w{{}, big};
    w.Text("MPF\0", 4);
    w.Text(big ? "MM" : "II", 2);
    w.U16(42);
    w.U32(8);  // the IFD follows the header
    w.U16(3);
    w.Entry(0xB000, 7, 4, 0);  // MPFVersion, value written below
    std::memcpy(&w.Bytes[w.Bytes.size() - 4], "0100", 4);
    w.Entry(0xB001, 4, 1, static_cast<uint32_t>(sizes.size()));
    w.Entry(0xB002, 7, static_cast<uint32_t>(16 * sizes.size()), EntriesInTiff);
    w.U32(0);  // no next IFD
    for (size_t k = 0; k < sizes.size(); ++k) {
        w.U32(k == 0 ? 0x20020002u : 0x00020002u);  // representative image flag, multi-frame disparity
        w.U32(sizes[k]);
        w.U32(offsets[k]);
        w.U16(0);
        w.U16(0);
    }
    return w.Bytes;
}

}  // namespace

std::vector<uint8_t> WithSegment(const std::vector<uint8_t>& jpeg, uint8_t marker, const std::vector<uint8_t>& payload)
{
    if (jpeg.size() < 2 || payload.size() + 2 > 0xFFFF)
        throw std::invalid_argument("WithSegment");
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    const size_t length = payload.size() + 2;
    out.insert(out.end(), {0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

std::vector<uint8_t> FujifilmExif(int32_t numerator, int32_t denominator)
{
    Writer w{{}, false};
    w.Text("Exif\0\0", 6);
    w.Text("II", 2);
    w.U16(42);
    w.U32(8);
    w.U16(1);  // IFD0: the Exif IFD
    w.Entry(0x8769, 4, 1, 26);
    w.U32(0);
    w.U16(1);  // Exif IFD: the maker note
    w.Entry(0x927C, 7, 38, 44);
    w.U32(0);
    w.Text("FUJIFILM", 8);  // the maker note, its IFD at 12
    w.U32(12);
    w.U16(1);
    w.Entry(0xB211, 10, 1, 30);
    w.U32(0);
    w.U32(static_cast<uint32_t>(numerator));
    w.U32(static_cast<uint32_t>(denominator));
    return w.Bytes;
}

size_t MpoEntryAt(size_t k) { return IndexBase + EntriesInTiff + 16 * k; }

std::vector<uint8_t> BuildMpo(const MpoFields& fields)
{
    std::vector<std::vector<uint8_t>> images = fields.Images;
    if (fields.Parallax && images.size() > 1)
        images[1] = WithSegment(images[1], 0xE1, FujifilmExif(fields.Parallax->first, fields.Parallax->second));
    // The index's own size does not depend on the values in it: made once
    // to learn the first image's size, then again with the offsets.
    std::vector<uint32_t> sizes, offsets(images.size(), 0);
    for (const auto& image : images)
        sizes.push_back(static_cast<uint32_t>(image.size()));
    sizes[0] += static_cast<uint32_t>(4 + MpfPayload(fields.BigEndian, sizes, offsets).size());
    size_t at = sizes[0];
    for (size_t k = 1; k < images.size(); ++k) {
        offsets[k] = static_cast<uint32_t>(at - IndexBase);
        at += images[k].size();
    }
    std::vector<uint8_t> file = WithSegment(images[0], 0xE2, MpfPayload(fields.BigEndian, sizes, offsets));
    for (size_t k = 1; k < images.size(); ++k)
        file.insert(file.end(), images[k].begin(), images[k].end());
    return file;
}

}  // namespace testing_support
