#include "formats/jpeg/mpo_index.h"

#include "core/errors.h"
#include "formats/jpeg/jpeg_segments.h"
#include "formats/jpeg/tiff_structure.h"

#include <algorithm>
#include <string_view>

namespace tremalu {

namespace {

constexpr uint8_t APP2 = 0xE2;
constexpr std::string_view MpfSignature{"MPF\0", 4};
constexpr uint16_t NumberOfImagesTag = 0xB001;
constexpr uint16_t MpEntryTag = 0xB002;
constexpr uint32_t MpEntryBytes = 16;
// The smallest JPEG stream: SOI, a frame, a scan, EOI; a size below this
// cannot be an image.
constexpr uint64_t SmallestImage = 4;

[[noreturn]] void Refuse(const char* text) { throw EInvalidGraphic(text); }

}  // namespace

std::vector<TMpoImage> ReadMpoIndex(const uint8_t* data, size_t size)
{
    const std::optional<TSegmentPayload> segment = FindHeaderSegment(data, size, APP2, MpfSignature);
    if (!segment)
        Refuse(texts::MpoNoIndex);
    const std::optional<TTiffStructure> tiff = TTiffStructure::Open(data + segment->Offset, segment->Size);
    if (!tiff)
        Refuse(texts::MpoNoIndex);
    const std::optional<TTiffStructure::Entry> number = tiff->Find(tiff->FirstIfd(), NumberOfImagesTag);
    const std::optional<TTiffStructure::Entry> entries = tiff->Find(tiff->FirstIfd(), MpEntryTag);
    if (!number || number->Type != TTiffStructure::Long || number->Count != 1 || !entries ||
        entries->Type != TTiffStructure::Undefined)
        Refuse(texts::MpoNoIndex);
    const uint32_t count = *tiff->U32(number->ValueAt);
    // The entries are in the segment (Ifd checked that), so their number is
    // bounded by its size whatever the count says.
    if (uint64_t{count} * MpEntryBytes != entries->ValueBytes)
        Refuse(texts::MpoBadEntry);
    if (count < 2)
        Refuse(texts::MpoTooFewImages);

    // Offsets of the images after the first count from the TIFF header.
    const uint64_t base = segment->Offset;
    std::vector<TMpoImage> images;
    for (uint32_t k = 0; k < count; ++k) {
        const uint64_t entry = entries->ValueAt + uint64_t{k} * MpEntryBytes;
        const uint64_t imageSize = *tiff->U32(entry + 4);
        const uint64_t offset = *tiff->U32(entry + 8);
        const uint64_t start = k == 0 ? 0 : base + offset;
        if ((k == 0) != (offset == 0) || imageSize < SmallestImage || start > size || size - start < imageSize)
            Refuse(texts::MpoBadEntry);
        images.push_back({start, imageSize});
    }
    std::vector<TMpoImage> byOffset = images;
    std::sort(byOffset.begin(), byOffset.end(), [](const TMpoImage& a, const TMpoImage& b) { return a.Offset < b.Offset; });
    for (size_t k = 1; k < byOffset.size(); ++k)
        if (byOffset[k].Offset < byOffset[k - 1].Offset + byOffset[k - 1].Size)
            Refuse(texts::MpoBadEntry);
    return images;
}

}  // namespace tremalu
