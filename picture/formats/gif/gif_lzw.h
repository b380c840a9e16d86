// LZW decoding of GIF pixel data.
//
// A frame's pixels are stored as a minimum code size m (one byte) followed
// by data sub-blocks (a length byte, then that many bytes; a length of 0
// ends them). The sub-blocks carry one bit stream of variable-width codes,
// least significant bit first; a code may straddle two sub-blocks.
//
// Codes below clear = 2^m stand for themselves; clear resets the table and
// the code width (m + 1), clear + 1 ends the data, and each further code adds
// one table entry: the string of the previous code followed by the first
// byte of the string now output. The width grows by one bit each time the
// next free code reaches 2^width, up to 12 bits; with 4096 entries the table
// stays full and codes go on at 12 bits until the next clear code. A code
// not yet in the table (the encoder's "KwKwK" case, or any code beyond it)
// gives the previous string followed by its own first byte.
//
// The table has exactly 4096 entries and is never indexed outside them: a
// minimum code size above 11 is not decoded at all, every entry's prefix is
// a lower code (so strings are walked in a bounded number of steps and no
// entry can ever be its own prefix), and a first code after a clear that is
// not a root code stops the decoding.
#pragma once

#include "core/errors.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tremalu {

class TStream;

using TGIFWarn = std::function<void(const char* text)>;

// Codes from the data sub-blocks of one frame.
class TGIFCodeReader {
public:
    // The bit buffer: bits not yet taken (least significant first) and the
    // bytes of the current sub-block not yet in it. A decoder works on a
    // copy of its own, kept in registers, and hands it back when it stops.
    struct TBits {
        uint64_t Bits = 0;
        int Count = 0;
        const uint8_t* At = nullptr;
        const uint8_t* End = nullptr;

        // Takes a code of width bits (1 to 12), reading further sub-blocks
        // from codes as needed; false when the data has ended before the
        // code was complete ("Decoder bit buffer under-run").
        bool Take(TGIFCodeReader& codes, int width, uint32_t& code)
        {
            while (Count < width) {
                if (At == End && !codes.NextBlock(*this))
                    return false;
                Bits |= static_cast<uint64_t>(*At++) << Count;
                Count += 8;
            }
            code = static_cast<uint32_t>(Bits & ((1u << width) - 1));
            Bits >>= width;
            Count -= width;
            return true;
        }
    };

    TGIFCodeReader(TStream& stream, TGIFWarn warn);

    TBits State() const { return Bits; }
    void SetState(const TBits& bits) { Bits = bits; }

    // The next code of width bits, as TBits::Take.
    bool Next(int width, uint32_t& code) { return Bits.Take(*this, width, code); }

    // Skips the remaining sub-blocks up to and including the 0-length one,
    // unless that has been read already.
    void SkipRest();

private:
    // Points bits at the next sub-block's bytes. False at the end of the
    // data, with the under-run warning.
    bool NextBlock(TBits& bits);

    TStream& Stream;
    TGIFWarn Warn;
    uint8_t Block[255];
    TBits Bits;
    bool Ended = false;  // no more data: the 0-length sub-block, or the end of the stream
};

class TGIFLzwDecoder {
public:
    enum class TStop { PixelsDone, EndCode, DataEnded, UndefinedCode };

    // minCodeSize must be 11 or less.
    explicit TGIFLzwDecoder(int minCodeSize);

    // Decodes up to count pixels, appending them to out (which grows as
    // needed, never past count in all; reserve what is expected to save
    // regrowing). Returns why decoding stopped.
    TStop Decode(TGIFCodeReader& codes, std::vector<uint8_t>& out, size_t count);

    // How many pixels Decode would give, counting up to limit at most
    // (limit means "limit or more"): the same walk of the codes, without
    // writing a pixel, so that a frame can be refused before its pixels
    // are allocated.
    size_t Measure(TGIFCodeReader& codes, size_t limit);

    int CodeWidth() const { return Width; }
    uint16_t EndCode() const { return static_cast<uint16_t>(Clear + 1); }

private:
    // Eight bytes, so that an entry's address is a shift of its code.
    struct Entry {
        uint16_t Prefix;
        uint16_t Length;
        uint8_t Suffix;
        uint8_t First;
        uint16_t Unused;
    };
    void Reset();

    Entry Table[4096];
    uint32_t Clear;
    uint32_t Next = 0;
    uint32_t Limit = 0;
    int Width = 0;
    int32_t Previous = -1;  // none: right after a clear
};

// The whole pixel data of a frame, from the minimum code size on: decodes up
// to count pixels into out (in the order they are stored, before any
// interlacing) and leaves the stream after the data as the format's
// tolerance rules say: at the end code, and after one more code read once
// the pixels are done or decoding stopped early, the rest of the
// sub-blocks is skipped. A minimum code size above 11 decodes nothing and
// skips the sub-blocks. What is not decoded is simply absent.
//
// room is how many indices the picture may still hold: when count is above
// it the data is measured first, and data that would give more than room
// indices is refused with EOutOfMemory ("Mémoire insuffisante") before
// anything is allocated, the stream left after the minimum code size. A
// few hundred kilobytes of codes can expand to a billion indices.
void DecodeGIFPixels(TStream& stream, size_t count, std::vector<uint8_t>& out, const TGIFWarn& warn,
                     size_t room = SIZE_MAX);

}  // namespace tremalu
