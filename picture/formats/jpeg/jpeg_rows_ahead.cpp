#include "formats/jpeg/jpeg_rows_ahead.h"

#include <algorithm>

namespace tremalu {

TJpegRowsAhead::TJpegRowsAhead(std::unique_ptr<TJpegRowReader> reader, int32_t capacity)
    : Reader(std::move(reader)), FWidth(Reader->Width()), FHeight(Reader->Height()),
      RowBytes(static_cast<size_t>(FWidth) * 3), Capacity(std::max(capacity, 2)),
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
                // reader still holds, keep their places.
                std::unique_lock<std::mutex> guard(Lock);
                Changed.wait(guard, [&] { return Stop || Decoded - std::max(Taken - 1, 0) < Capacity; });
                if (Stop)
                    break;
            }
            // The slot of row y is free and the reader will not look at it
            // until Decoded says so.
            Reader->NextRowInto(Ring.data() + static_cast<size_t>(y % Capacity) * RowBytes);
            {
                std::lock_guard<std::mutex> guard(Lock);
                ++Decoded;
            }
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
    Changed.notify_all();  // the previous row's slot is free again
    Changed.wait(guard, [&] { return Decoded > y || Done; });
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
