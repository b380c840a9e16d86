#include "formats/gif/gif_lzw.h"

#include "core/streams.h"

#include <algorithm>

namespace tremalu {

// ---------------------------------------------------------------- sub-blocks

TGIFCodeReader::TGIFCodeReader(TStream& stream, TGIFWarn warn) : Stream(stream), Warn(std::move(warn)) {}

bool TGIFCodeReader::ReadSubBlock()
{
    if (Ended)
        return false;
    uint8_t length = 0;
    if (Stream.Read(&length, 1) != 1 || length == 0) {
        Ended = true;
        return false;
    }
    // A sub-block longer than what is left: what is there is used.
    const size_t got = Stream.Read(Block, length);
    if (got < length)
        Warn(texts::gif::PrematureEnd);
    Length = got;
    Position = 0;
    if (got == 0) {
        Ended = true;
        return false;
    }
    return true;
}

void TGIFCodeReader::SkipRest()
{
    if (Ended)
        return;
    Ended = true;
    Length = Position = 0;
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
        Table[i] = {0, 1, static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
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
    auto done = [&](TStop why) {
        out.resize(pos);
        return why;
    };
    // Makes room for length more pixels; false when no more are wanted.
    auto room = [&](size_t length) {
        if (pos + length <= capacity)
            return;
        capacity = std::min(count, std::max(pos + length, 2 * capacity));
        out.resize(capacity);
    };

    const uint32_t end = Clear + 1;
    uint16_t code = 0;
    for (;;) {
        if (pos >= count)
            return done(TStop::PixelsDone);
        if (!codes.Next(Width, code))
            return done(TStop::DataEnded);
        if (code == Clear) {
            Reset();
            continue;
        }
        if (code == end)
            return done(TStop::EndCode);
        if (Previous < 0) {
            // The first code after a clear (or at the start) is output as it
            // is; only a root code has a string then.
            if (code >= Clear)
                return done(TStop::UndefinedCode);
            room(1);
            out[pos++] = Table[code].Suffix;
            Previous = code;
            continue;
        }
        const uint32_t previous = static_cast<uint32_t>(Previous);
        // The string to output: that of the code when it is in the table,
        // else the previous string followed by its first byte.
        const bool known = code < Next;
        const uint32_t walk = known ? code : previous;
        const size_t length = Table[walk].Length + (known ? 0u : 1u);
        const uint8_t first = Table[walk].First;
        room(length);
        const size_t avail = std::min(length, capacity - pos);
        uint8_t* dest = out.data() + pos;
        // The string is written backwards from its last byte, following the
        // prefixes; only what fits before count is written.
        size_t k = Table[walk].Length;
        uint32_t c = walk;
        if (avail == length) {
            if (!known)
                dest[k] = first;
            while (k > 0) {
                dest[--k] = Table[c].Suffix;
                c = Table[c].Prefix;
            }
        } else {
            while (k > 0) {
                if (--k < avail)
                    dest[k] = Table[c].Suffix;
                c = Table[c].Prefix;
            }
        }
        pos += avail;

        if (Next <= 4095) {
            Table[Next] = {static_cast<uint16_t>(previous), static_cast<uint16_t>(Table[previous].Length + 1), first,
                           Table[previous].First};
            // A code beyond the table names the entry just made.
            Previous = static_cast<int32_t>(known ? code : Next);
            ++Next;
            if (Next >= Limit && Limit <= 4095) {
                Limit *= 2;
                ++Width;
            }
        } else {
            Previous = code;
        }
    }
}

// ---------------------------------------------------------------- a frame's data

void DecodeGIFPixels(TStream& stream, size_t count, std::vector<uint8_t>& out, const TGIFWarn& warn)
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
    // Room for what the data can be expected to give; more is made when it
    // gives more.
    const int64_t left = std::max<int64_t>(0, stream.Size() - stream.Position());
    out.reserve(std::min<uint64_t>(count, std::max<uint64_t>(65536, static_cast<uint64_t>(left) * 4)));
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
    uint16_t code = 0;
    if (codes.Next(decoder.CodeWidth(), code) && code == decoder.EndCode())
        codes.SkipRest();
}

}  // namespace tremalu
