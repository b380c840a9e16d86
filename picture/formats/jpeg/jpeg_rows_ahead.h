// JPEG pictures' rows decoded ahead of whoever reads them, so that a
// composition of two pictures keeps two cores busy.
//
// One helper thread serves every picture of a composition: it decodes a few
// rows at a time of whichever picture has room, into a small ring per
// picture (bounded, so memory stays a few rows whatever the pictures'
// sizes). The reader's own thread does not wait for it: when the row it
// needs is not decoded yet and the helper is busy elsewhere, it decodes that
// row itself. So the two threads share the decoding of both pictures and the
// reader's own work (the encoder) between them, whichever is free taking the
// next piece; three threads for two cores would leave the two decoders
// sharing one core while the encoder kept the other.
//
// A picture's codec is used by one thread at a time, each row decoded once
// into its place; the rows are the bytes TJpegRowReader gives, in the same
// order, so nothing about the result changes. A failure of the decode is
// raised to the reader at the row where the codec met it (or by Finish when
// it came after the last row), as reading the rows on the reader's own thread
// would have raised it.
#pragma once

#include "formats/jpeg/jpeg_rows.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tremalu {

class TJpegRowsAhead;

class TJpegDecodeHelper {
public:
    TJpegDecodeHelper();
    // Stops the thread; every picture it served must be gone already.
    ~TJpegDecodeHelper();
    TJpegDecodeHelper(const TJpegDecodeHelper&) = delete;
    TJpegDecodeHelper& operator=(const TJpegDecodeHelper&) = delete;

private:
    friend class TJpegRowsAhead;
    void Run();
    // The picture the helper decodes next: not in anyone's hands, with rows
    // left and room for them, the one with the fewest rows ready first.
    TJpegRowsAhead* NextPicture() const;

    std::mutex Lock;  // guards this and every served picture's state
    std::condition_variable Changed;
    std::vector<TJpegRowsAhead*> Pictures;
    bool Stop = false;
    bool Waits = false;   // the helper waits for work
    std::thread Worker;   // last: started once everything above exists
};

class TJpegRowsAhead {
public:
    // The rows of reader, which must outlive this; the helper starts on them
    // at once. capacity: rows held at most (at least 2).
    TJpegRowsAhead(TJpegDecodeHelper& helper, TJpegRowReader& reader, int32_t capacity = 64);
    // The picture leaves its helper (waiting for a batch it is decoding); a
    // reader may give up before the last row.
    ~TJpegRowsAhead();
    TJpegRowsAhead(const TJpegRowsAhead&) = delete;
    TJpegRowsAhead& operator=(const TJpegRowsAhead&) = delete;

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // The next row, top row first; valid until the next call.
    const uint8_t* NextRow();
    // Decodes whatever is left and completes the decode; raises the decode's
    // failure if it had one.
    void Finish();

private:
    friend class TJpegDecodeHelper;
    // Rows whose slots the reader no longer needs: the last row taken is
    // still in use.
    int32_t Released() const { return Taken > 0 ? Taken - 1 : 0; }
    int32_t Room() const { return Capacity - (Decoded - Released()); }
    bool HasWork() const { return !InHand && !Done && !Failure && Decoded < FHeight && Room() > 0; }
    // Takes the codec, decodes up to count rows into their slots with the
    // lock let go, and gives it back; after the last row the decode is
    // completed. Called with the lock held, returns with it held.
    void DecodeRows(std::unique_lock<std::mutex>& guard, int32_t count);

    TJpegDecodeHelper& Helper;
    TJpegRowReader& Reader;
    const int32_t FWidth;
    const int32_t FHeight;
    const size_t RowBytes;
    const int32_t Capacity;
    const int32_t Batch;  // rows decoded at a time ahead of the reader
    std::unique_ptr<uint8_t[]> Ring;

    // Guarded by the helper's lock.
    int32_t Decoded = 0;   // rows put in the ring so far
    int32_t Taken = 0;     // rows handed to the reader so far
    bool InHand = false;   // a thread is decoding rows of this picture
    bool Done = false;     // no more decoding: completed or failed
    bool ReaderWaits = false;
    std::exception_ptr Failure;  // what ended the decode, if it failed
};

}  // namespace tremalu
