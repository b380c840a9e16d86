// A JPEG picture's rows decoded on a thread of their own, a few rows ahead of
// whoever reads them: two pictures read side by side decode on two cores at
// once, and an encoder fed from them runs while they decode.
//
// The decoding thread owns the codec from the start; the reader only takes
// finished rows out of a small ring (bounded, so memory stays a few rows
// whatever the picture's size). The rows are the bytes TJpegRowReader gives,
// in the same order, so nothing about the result changes. A failure of the
// decode is handed over and raised to the reader at the row where the codec
// met it (or by Finish when it came after the last row), as reading the rows
// on the reader's own thread would have raised it.
#pragma once

#include "formats/jpeg/jpeg_rows.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tremalu {

class TJpegRowsAhead {
public:
    // Starts decoding at once. capacity: rows held at most (at least 2).
    explicit TJpegRowsAhead(std::unique_ptr<TJpegRowReader> reader, int32_t capacity = 64);
    // Stops the decode where it is (a reader that gives up early) and waits
    // for its thread.
    ~TJpegRowsAhead();
    TJpegRowsAhead(const TJpegRowsAhead&) = delete;
    TJpegRowsAhead& operator=(const TJpegRowsAhead&) = delete;

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // The next row, top row first; valid until the next call.
    const uint8_t* NextRow();
    // Waits until the whole picture is decoded and the decode completed;
    // raises the decode's failure if it had one.
    void Finish();

private:
    void Decode();
    // Rows whose slots the reader no longer needs.
    int32_t Released() const { return std::max(Taken - 1, 0); }

    std::unique_ptr<TJpegRowReader> Reader;
    const int32_t FWidth;
    const int32_t FHeight;
    const size_t RowBytes;
    const int32_t Capacity;
    const int32_t Batch;  // rows a waiting thread is woken for at once
    std::vector<uint8_t> Ring;

    std::mutex Lock;
    std::condition_variable Changed;
    int32_t Decoded = 0;  // rows put in the ring so far
    int32_t Taken = 0;    // rows handed to the reader so far; the last one is still in use
    bool Done = false;    // the decoding thread has ended
    bool Stop = false;    // the reader gave up
    bool WorkerWaits = false;     // the decoding thread waits for room
    int32_t ReaderWaitsFor = -1;  // the row the reader waits for, if it waits
    std::exception_ptr Failure;  // what ended the decode, if it failed

    std::thread Worker;  // last: started once everything above exists
};

}  // namespace tremalu
