// Fields of file headers held in memory, read and written little-endian at
// the offsets of the published layouts. Every access is checked against the
// header's size: reading past the end raises EReadError "Erreur de lecture du
// flux" (the bytes were too few), writing past the end EWriteError.
#pragma once

#include "core/errors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tremalu {

class TLittleEndianReader {
public:
    TLittleEndianReader(const uint8_t* data, size_t size) : Data(data), Length(size) {}
    explicit TLittleEndianReader(const std::vector<uint8_t>& bytes) : Data(bytes.data()), Length(bytes.size()) {}

    size_t Size() const { return Length; }
    uint8_t U8(size_t at) const { return Get(at, 1)[0]; }
    uint16_t U16(size_t at) const
    {
        const uint8_t* p = Get(at, 2);
        return static_cast<uint16_t>(p[0] | (p[1] << 8));
    }
    uint32_t U32(size_t at) const
    {
        const uint8_t* p = Get(at, 4);
        return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
    }
    int16_t I16(size_t at) const { return static_cast<int16_t>(U16(at)); }
    int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }

private:
    const uint8_t* Get(size_t at, size_t count) const
    {
        if (at > Length || Length - at < count)
            throw EReadError(texts::StreamRead);
        return Data + at;
    }

    const uint8_t* Data;
    size_t Length;
};

// Fills a header of a fixed size, zeroed at the start.
class TLittleEndianWriter {
public:
    explicit TLittleEndianWriter(size_t size) : Bytes(size, 0) {}

    const std::vector<uint8_t>& Data() const { return Bytes; }
    void U8(size_t at, uint8_t value) { Get(at, 1)[0] = value; }
    void U16(size_t at, uint16_t value)
    {
        uint8_t* p = Get(at, 2);
        p[0] = static_cast<uint8_t>(value);
        p[1] = static_cast<uint8_t>(value >> 8);
    }
    void U32(size_t at, uint32_t value)
    {
        uint8_t* p = Get(at, 4);
        for (int k = 0; k < 4; ++k)
            p[k] = static_cast<uint8_t>(value >> (8 * k));
    }
    void I32(size_t at, int32_t value) { U32(at, static_cast<uint32_t>(value)); }

private:
    uint8_t* Get(size_t at, size_t count)
    {
        if (at > Bytes.size() || Bytes.size() - at < count)
            throw EWriteError(texts::StreamWrite);
        return Bytes.data() + at;
    }

    std::vector<uint8_t> Bytes;
};

}  // namespace tremalu
