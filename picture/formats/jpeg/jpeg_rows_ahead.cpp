#include "formats/jpeg/jpeg_rows_ahead.h"

#include <algorithm>

namespace tremalu {

TJpegRowsAhead::TJpegRowsAhead(std::unique_ptr<TJpegRowReader> reader, int32_t capacity)
    : Reader(std::move(reader)), FWidth(Reader->Width()), FHeight(Reader->Height()),
      RowBytes(static_cast<size_t>(FWidth) * 3), Capacity(std::max(capacity, 2)), Batch(std::max(Capacity / 4, 1)),
      Ring(RowBytes * static_cast<size_t>(Capacity)), Worker([this] { Decode(); })
{
}

TJpegRowsAhead::~TJpegRowsAhead()
{
    {
        std::lock_guard<std::mutex> guard(Lock);
        Stop = true;
    }
    Changed.notify_all();
    Worker.join();
}

void TJpegRowsAhead::Decode()
{
    try {
        for (int32_t y = 0; y < FHeight; ++y) {
            {
                // Wait for room: the rows not yet taken, and the one the
                // reader still holds, keep their places. Once full, wait
                // until a batch of rows is free, so that the two threads
                // wake each other once a batch rather than once a row.
                std::unique_lock<std::mutex> guard(Lock);
                if (Decoded - Released() >= Capacity) {
                    WorkerWaits = true;
                    Changed.wait(guard, [&] { return Stop || Decoded - Released() <= Capacity - Batch; });
                    WorkerWaits = false;
                }
                if (Stop)
                    break;
            }
            // The slot of row y is free and the reader will not look at it
            // until Decoded says so.
            Reader->NextRowInto(Ring.data() + static_cast<size_t>(y % Capacity) * RowBytes);
            bool wake;
            {
                std::lock_guard<std::mutex> guard(Lock);
                ++Decoded;
                wake = ReaderWaitsFor >= 0 && Decoded >= std::min(ReaderWaitsFor + Batch, FHeight);
            }
            if (wake)
                Changed.notify_all();
        }
        bool stopped;
        {
            std::lock_guard<std::mutex> guard(Lock);
            stopped = Stop;
        }
        if (!stopped)
            Reader->Finish();
    } catch (...) {
        // Not swallowed: handed over to the reader's thread, which raises it
        // where the rows stop.
        std::lock_guard<std::mutex> guard(Lock);
        Failure = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> guard(Lock);
        Done = true;
    }
    Changed.notify_all();
}

const uint8_t* TJpegRowsAhead::NextRow()
{
    std::unique_lock<std::mutex> guard(Lock);
    const int32_t y = Taken++;
    if (WorkerWaits && Decoded - Released() <= Capacity - Batch)
        Changed.notify_all();  // a batch of slots is free again
    if (Decoded <= y && !Done) {
        ReaderWaitsFor = y;
        Changed.wait(guard, [&] { return Decoded > y || Done; });
        ReaderWaitsFor = -1;
    }
    if (Decoded > y)
        return Ring.data() + static_cast<size_t>(y % Capacity) * RowBytes;
    if (Failure)
        std::rethrow_exception(Failure);
    // Past the last row: what the row reader itself says then.
    guard.unlock();
    return Reader->NextRow();
}

void TJpegRowsAhead::Finish()
{
    std::unique_lock<std::mutex> guard(Lock);
    Changed.wait(guard, [&] { return Done; });
    if (Failure)
        std::rethrow_exception(Failure);
}

}  // namespace tremalu
