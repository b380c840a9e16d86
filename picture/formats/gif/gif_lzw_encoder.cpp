#include "formats/gif/gif_lzw_encoder.h"

#include "core/streams.h"

#include <algorithm>
#include <vector>

namespace tremalu {

namespace {

// Codes packed least significant bit first into sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(TStream& stream) : Stream(stream) {}

    void Put(uint32_t code, int width)
    {
        Bits |= code << Count;
        Count += width;
        while (Count >= 8) {
            Byte(static_cast<uint8_t>(Bits));
            Bits >>= 8;
            Count -= 8;
        }
    }

    void Finish()
    {
        if (Count > 0)
            Byte(static_cast<uint8_t>(Bits));
        Flush();
        Stream.WriteU8(0);
    }

private:
    void Byte(uint8_t b)
    {
        Block[Length++] = b;
        if (Length == sizeof Block)
            Flush();
    }
    void Flush()
    {
        if (Length == 0)
            return;
        Stream.WriteU8(static_cast<uint8_t>(Length));
        Stream.WriteBuffer(Block, Length);
        Length = 0;
    }

    TStream& Stream;
    uint32_t Bits = 0;
    int Count = 0;
    uint8_t Block[255];
    size_t Length = 0;
};

// The strings met so far: (prefix code, next byte) to code, open addressing.
class StringTable {
public:
    StringTable() : Keys(Size, -1), Codes(Size, 0) {}
    void Clear() { std::fill(Keys.begin(), Keys.end(), -1); }
    // The slot of key: where it is, or the free one where it goes.
    size_t Slot(int32_t key) const
    {
        // Fibonacci hashing: the top bits of the product depend on every
        // bit of the key.
        size_t i = (static_cast<uint32_t>(key) * 2654435761u) >> (32 - SizeBits);
        while (Keys[i] != -1 && Keys[i] != key)
            i = (i + 1) & (Size - 1);
        return i;
    }
    bool Holds(size_t slot) const { return Keys[slot] != -1; }
    uint16_t Code(size_t slot) const { return Codes[slot]; }
    void Put(size_t slot, int32_t key, uint16_t code)
    {
        Keys[slot] = key;
        Codes[slot] = code;
    }

private:
    static constexpr int SizeBits = 13;
    static constexpr size_t Size = size_t{1} << SizeBits;  // twice the codes, so probes stay short
    std::vector<int32_t> Keys;
    std::vector<uint16_t> Codes;
};

}  // namespace

void EncodeGIFPixels(TStream& stream, const uint8_t* pixels, size_t count)
{
    const uint8_t highest = count > 0 ? *std::max_element(pixels, pixels + count) : 0;
    int minCodeSize = 2;
    while ((1 << minCodeSize) <= highest)
        ++minCodeSize;
    stream.WriteU8(static_cast<uint8_t>(minCodeSize));

    const uint32_t clear = 1u << minCodeSize;
    const uint32_t end = clear + 1;
    uint32_t next = clear + 2;
    int width = minCodeSize + 1;
    CodeWriter out(stream);
    StringTable table;
    out.Put(clear, width);
    if (count > 0) {
        uint32_t prefix = pixels[0];
        for (size_t i = 1; i < count; ++i) {
            const int32_t key = static_cast<int32_t>((prefix << 8) | pixels[i]);
            const size_t slot = table.Slot(key);
            if (table.Holds(slot)) {
                prefix = table.Code(slot);
                continue;
            }
            out.Put(prefix, width);
            if (next < 4096) {
                table.Put(slot, key, static_cast<uint16_t>(next++));
                // The decoder adds its entry one code later, so it widens
                // when the next free code passes 2^width here.
                if (next > (1u << width) && width < 12)
                    ++width;
            } else {
                out.Put(clear, width);
                table.Clear();
                next = clear + 2;
                width = minCodeSize + 1;
            }
            prefix = pixels[i];
        }
        out.Put(prefix, width);
    }
    out.Put(end, width);
    out.Finish();
}

}  // namespace tremalu
