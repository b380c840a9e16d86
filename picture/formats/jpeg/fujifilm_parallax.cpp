#include "formats/jpeg/fujifilm_parallax.h"

#include "formats/jpeg/jpeg_segments.h"
#include "formats/jpeg/tiff_structure.h"

#include <cstring>
#include <string_view>

namespace tremalu {

namespace {

constexpr uint8_t APP1 = 0xE1;
constexpr std::string_view ExifSignature{"Exif\0\0", 6};
constexpr uint16_t ExifIfdTag = 0x8769;
constexpr uint16_t MakerNoteTag = 0x927C;
constexpr uint16_t ParallaxTag = 0xB211;
constexpr std::string_view FujifilmSignature = "FUJIFILM";

}  // namespace

std::optional<double> ReadFujifilmParallax(const uint8_t* jpeg, size_t size)
{
    const std::optional<TSegmentPayload> segment = FindHeaderSegment(jpeg, size, APP1, ExifSignature);
    if (!segment)
        return std::nullopt;
    const std::optional<TTiffStructure> exif = TTiffStructure::Open(jpeg + segment->Offset, segment->Size);
    if (!exif)
        return std::nullopt;
    const std::optional<TTiffStructure::Entry> exifIfd = exif->Find(exif->FirstIfd(), ExifIfdTag);
    if (!exifIfd || exifIfd->Type != TTiffStructure::Long || exifIfd->Count != 1)
        return std::nullopt;
    const std::optional<TTiffStructure::Entry> note = exif->Find(*exif->U32(exifIfd->ValueAt), MakerNoteTag);
    if (!note || note->Type != TTiffStructure::Undefined || note->ValueBytes < FujifilmSignature.size() + 4)
        return std::nullopt;

    const uint8_t* noteBytes = exif->Bytes() + note->ValueAt;
    if (std::memcmp(noteBytes, FujifilmSignature.data(), FujifilmSignature.size()) != 0)
        return std::nullopt;
    const TTiffStructure maker =
        TTiffStructure::WithByteOrder(noteBytes, static_cast<size_t>(note->ValueBytes), /*bigEndian=*/false);
    const std::optional<TTiffStructure::Entry> parallax =
        maker.Find(*maker.U32(FujifilmSignature.size()), ParallaxTag);
    if (!parallax || parallax->Type != TTiffStructure::SignedRational || parallax->Count != 1)
        return std::nullopt;
    const int32_t numerator = *maker.I32(parallax->ValueAt);
    const int32_t denominator = *maker.I32(parallax->ValueAt + 4);
    if (denominator == 0)
        return std::nullopt;
    return static_cast<double>(numerator) / denominator;
}

}  // namespace tremalu
