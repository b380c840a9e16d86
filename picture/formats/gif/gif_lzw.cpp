#include "formats/gif/gif_lzw.h"

#include "core/streams.h"

#include <algorithm>
#include <cstdint>

namespace tremalu {

// ---------------------------------------------------------------- sub-blocks

TGIFCodeReader::TGIFCodeReader(TStream& stream, TGIFWarn warn) : Stream(stream), Warn(std::move(warn)) {}

bool TGIFCodeReader::NextBlock(TBits& bits)
{
    uint8_t length = 0;
    size_t got = 0;
    if (!Ended) {
        if (Stream.Read(&length, 1) == 1 && length != 0) {
            // A sub-block longer than what is left: what is there is used.
            got = Stream.Read(Block, length);
            if (got < length)
                Warn(texts::gif::PrematureEnd);
        }
        Ended = got == 0;
    }
    if (got == 0) {
        Warn(texts::gif::BitBufferUnderrun);
        return false;
    }
    bits.At = Block;
    bits.End = Block + got;
    return true;
}

void TGIFCodeReader::SkipRest()
{
    if (Ended)
        return;
    Ended = true;
    Bits.At = Bits.End = nullptr;
    uint8_t length = 0;
    while (Stream.Read(&length, 1) == 1 && length != 0) {
        const int64_t at = Stream.Position();
        const int64_t size = Stream.Size();
        if (size - at < length) {
            Stream.Seek(0, TSeekOrigin::End);
            return;
        }
        Stream.Seek(length, TSeekOrigin::Current);
    }
}

// ---------------------------------------------------------------- the decoder

TGIFLzwDecoder::TGIFLzwDecoder(int minCodeSize) : Clear(1u << minCodeSize)
{
    // Root codes stand for themselves; a pixel is a byte, so roots above
    // 255 (minimum code sizes 9 to 11) keep their low byte.
    for (uint32_t i = 0; i < Clear; ++i)
        Table[i] = {0, 1, static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
    Reset();
}

void TGIFLzwDecoder::Reset()
{
    Width = 0;
    for (uint32_t c = Clear; c > 1; c >>= 1)
        ++Width;
    ++Width;  // m + 1
    Limit = 2 * Clear;
    Next = Clear + 2;
    Previous = -1;
}

TGIFLzwDecoder::TStop TGIFLzwDecoder::Decode(TGIFCodeReader& codes, std::vector<uint8_t>& out, size_t count)
{
    size_t pos = out.size();
    out.resize(std::min(count, std::max<size_t>(pos + 4096, out.capacity())));
    size_t capacity = out.size();
    uint8_t* pixels = out.data();
    // The state lives in locals for the loop: every pixel stored through a
    // byte pointer could otherwise change any member, and they would be
    // read again after each one.
    TGIFCodeReader::TBits bits = codes.State();
    uint32_t next = Next, limit = Limit;
    int width = Width;
    int32_t previousCode = Previous;
    Entry* const table = Table;
    const uint32_t clear = Clear, end = Clear + 1;
    auto done = [&](TStop why) {
        out.resize(pos);
        codes.SetState(bits);
        Next = next;
        Limit = limit;
        Width = width;
        Previous = previousCode;
        return why;
    };

    uint32_t code = 0;
    for (;;) {
        if (pos >= count)
            return done(TStop::PixelsDone);
        if (!bits.Take(codes, width, code))
            return done(TStop::DataEnded);
        if (code - clear <= end - clear) {  // the clear or the end code
            if (code == end)
                return done(TStop::EndCode);
            Reset();
            next = Next, limit = Limit, width = Width, previousCode = Previous;
            continue;
        }
        if (previousCode < 0 && code >= clear)
            // The first code after a clear (or at the start) is output as it
            // is; only a root code has a string then.
            return done(TStop::UndefinedCode);
        // The string to output: that of the code when it is in the table,
        // else the previous string followed by its first byte.
        const bool known = code < next;
        const uint32_t walk = known ? code : static_cast<uint32_t>(previousCode);
        const size_t length = table[walk].Length + (known ? 0u : 1u);
        const uint8_t first = table[walk].First;
        if (pos + length > capacity) {
            capacity = std::min(count, std::max(pos + length, 2 * capacity));
            // Exactly that: a plain resize may allocate up to twice what is
            // asked, past count.
            out.reserve(capacity);
            out.resize(capacity);
            pixels = out.data();
        }
        const size_t avail = std::min(length, capacity - pos);
        uint8_t* dest = pixels + pos;
        // The string is written backwards from its last byte, following the
        // prefixes; only what fits before count is written.
        size_t k = table[walk].Length;
        uint32_t c = walk;
        if (avail == length) {
            if (!known)
                dest[k] = first;
            while (k > 0) {
                dest[--k] = table[c].Suffix;
                c = table[c].Prefix;
            }
        } else {
            while (k > 0) {
                if (--k < avail)
                    dest[k] = table[c].Suffix;
                c = table[c].Prefix;
            }
        }
        pos += avail;

        if (previousCode < 0) {
            previousCode = static_cast<int32_t>(code);
        } else if (next <= 4095) {
            const Entry& previous = table[previousCode];
            table[next] = {static_cast<uint16_t>(previousCode), static_cast<uint16_t>(previous.Length + 1), first,
                           previous.First, 0};
            // A code beyond the table names the entry just made.
            previousCode = static_cast<int32_t>(known ? code : next);
            if (++next >= limit && limit <= 4095) {
                limit *= 2;
                ++width;
            }
        } else {
            previousCode = static_cast<int32_t>(code);
        }
    }
}

size_t TGIFLzwDecoder::Measure(TGIFCodeReader& codes, size_t limit)
{
    // Decode's walk, step for step, with only the lengths kept.
    size_t pos = 0;
    uint32_t code = 0;
    for (;;) {
        if (pos >= limit || !codes.Next(Width, code))
            return pos;
        if (code - Clear <= 1) {  // the clear or the end code
            if (code == Clear + 1)
                return pos;
            Reset();
            continue;
        }
        if (Previous < 0 && code >= Clear)
            return pos;
        const bool known = code < Next;
        const uint32_t walk = known ? code : static_cast<uint32_t>(Previous);
        pos += std::min<size_t>(Table[walk].Length + (known ? 0u : 1u), limit - pos);
        if (Previous < 0) {
            Previous = static_cast<int32_t>(code);
        } else if (Next <= 4095) {
            Table[Next].Length = static_cast<uint16_t>(Table[Previous].Length + 1);
            Previous = static_cast<int32_t>(known ? code : Next);
            if (++Next >= Limit && Limit <= 4095) {
                Limit *= 2;
                ++Width;
            }
        } else {
            Previous = static_cast<int32_t>(code);
        }
    }
}

// ---------------------------------------------------------------- a frame's data

void DecodeGIFPixels(TStream& stream, size_t count, std::vector<uint8_t>& out, const TGIFWarn& warn, size_t room)
{
    uint8_t minCodeSize = 0;
    if (stream.Read(&minCodeSize, 1) != 1)
        return;
    TGIFCodeReader codes(stream, warn);
    if (minCodeSize > 11) {
        // Its clear code would lie past the table: nothing is decoded.
        codes.SkipRest();
        return;
    }
    if (count > room) {
        // Measured on a silent reader of its own, then read again from here.
        const int64_t start = stream.Position();
        TGIFCodeReader silent(stream, [](const char*) {});
        const size_t given = TGIFLzwDecoder(minCodeSize).Measure(silent, room + 1);
        stream.SetPosition(start);
        if (given > room)
            throw EOutOfMemory(texts::OutOfMemory);
        // Decoding stops where measuring did, for the same reason: exactly
        // this much is made.
        out.reserve(given);
    } else {
        // Room for what the data can be expected to give; more is made when
        // it gives more.
        const int64_t left = std::max<int64_t>(0, stream.Size() - stream.Position());
        out.reserve(std::min<uint64_t>(count, std::max<uint64_t>(65536, static_cast<uint64_t>(left) * 4)));
    }
    TGIFLzwDecoder decoder(minCodeSize);
    const TGIFLzwDecoder::TStop stop = decoder.Decode(codes, out, count);
    if (stop == TGIFLzwDecoder::TStop::EndCode) {
        codes.SkipRest();
        return;
    }
    if (stop == TGIFLzwDecoder::TStop::DataEnded)
        return;
    // One more code after the pixels: the end code lets the rest of the data
    // be skipped; anything else leaves the stream just after that code.
    uint32_t code = 0;
    if (codes.Next(decoder.CodeWidth(), code) && code == decoder.EndCode())
        codes.SkipRest();
}

}  // namespace tremalu
