#include "formats/jpeg/jpeg_segments.h"

#include <cstring>

namespace tremalu {

namespace {

constexpr uint8_t SOI = 0xD8;
constexpr uint8_t EOI = 0xD9;
constexpr uint8_t SOS = 0xDA;
constexpr uint8_t TEM = 0x01;

// Markers that stand alone, without a length: SOI, EOI, RST0 to RST7, TEM.
bool StandsAlone(uint8_t code) { return code == SOI || code == EOI || code == TEM || (code >= 0xD0 && code <= 0xD7); }

}  // namespace

std::optional<TSegmentPayload> FindHeaderSegment(const uint8_t* data, size_t size, uint8_t marker,
                                                 std::string_view signature)
{
    if (size < 2 || data[0] != 0xFF || data[1] != SOI)
        return std::nullopt;
    size_t at = 2;
    // Each turn steps over at least two bytes: the walk ends within the data.
    while (at + 2 <= size) {
        if (data[at] != 0xFF)
            return std::nullopt;  // not a marker where one must be
        const uint8_t code = data[at + 1];
        if (code == 0xFF) {
            ++at;  // a fill byte before the marker
            continue;
        }
        at += 2;
        if (code == SOS || code == EOI)
            return std::nullopt;  // the image data begins: no more header segments
        if (StandsAlone(code))
            continue;
        if (at + 2 > size)
            return std::nullopt;
        const size_t length = static_cast<size_t>(data[at] << 8 | data[at + 1]);
        if (length < 2 || length > size - at)
            return std::nullopt;
        const size_t payload = at + 2;
        const size_t payloadSize = length - 2;
        if (code == marker && payloadSize >= signature.size() &&
            std::memcmp(data + payload, signature.data(), signature.size()) == 0)
            return TSegmentPayload{payload + signature.size(), payloadSize - signature.size()};
        at += length;
    }
    return std::nullopt;
}

}  // namespace tremalu
