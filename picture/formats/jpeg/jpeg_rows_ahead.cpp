#include "formats/jpeg/jpeg_rows_ahead.h"

#include <algorithm>

namespace tremalu {

TJpegDecodeHelper::TJpegDecodeHelper() = default;

TJpegDecodeHelper::~TJpegDecodeHelper()
{
    {
        std::lock_guard<std::mutex> guard(Lock);
        Stop = true;
    }
    Changed.notify_all();
    if (Worker.joinable())
        Worker.join();
}

void TJpegDecodeHelper::Run()
{
    std::unique_lock<std::mutex> guard(Lock);
    while (!Stop) {
        if (TJpegRowsAhead* picture = NextPicture()) {
            picture->DecodeRows(guard, picture->Batch);
        } else {
            Waits = true;
            Changed.wait(guard);
            Waits = false;
        }
    }
}

TJpegRowsAhead* TJpegDecodeHelper::NextPicture() const
{
    TJpegRowsAhead* next = nullptr;
    for (TJpegRowsAhead* picture : Pictures)
        if (picture->HasWork() && (next == nullptr || picture->Decoded < next->Decoded))
            next = picture;
    return next;
}

TJpegRowsAhead::TJpegRowsAhead(TJpegDecodeHelper& helper, TJpegRowReader& reader, int32_t capacity)
    : Helper(helper), Reader(reader), FWidth(Reader.Width()), FHeight(Reader.Height()),
      RowBytes(static_cast<size_t>(FWidth) * 3), Capacity(std::max(capacity, 2)),
      Batch(std::min(Capacity / 2, 8)),
      Ring(new uint8_t[RowBytes * static_cast<size_t>(Capacity)])
{
    {
        std::lock_guard<std::mutex> guard(Helper.Lock);
        if (!Helper.Worker.joinable())
            Helper.Worker = std::thread([&helper = Helper] { helper.Run(); });
        Helper.Pictures.push_back(this);
    }
    Helper.Changed.notify_all();
}

TJpegRowsAhead::~TJpegRowsAhead()
{
    std::unique_lock<std::mutex> guard(Helper.Lock);
    ReaderWaits = true;
    Helper.Changed.wait(guard, [&] { return !InHand; });
    Helper.Pictures.erase(std::find(Helper.Pictures.begin(), Helper.Pictures.end(), this));
}

void TJpegRowsAhead::DecodeRows(std::unique_lock<std::mutex>& guard, int32_t count)
{
    InHand = true;
    const int32_t first = Decoded;
    count = std::min({count, FHeight - first, Room()});
    guard.unlock();
    int32_t done = 0;
    std::exception_ptr failure;
    try {
        // Row y's slot is free (Room) and the reader does not look at it
        // until Decoded says so.
        for (; done < count; ++done)
            Reader.NextRowInto(Ring.get() + static_cast<size_t>((first + done) % Capacity) * RowBytes);
    } catch (...) {
        // Not swallowed: kept for the reader, who raises it where the rows
        // stop, whichever thread met it.
        failure = std::current_exception();
    }
    guard.lock();
    Decoded = first + done;
    InHand = false;
    if (failure)
        Failure = failure;
    if (ReaderWaits || Helper.Waits)
        Helper.Changed.notify_all();
}

const uint8_t* TJpegRowsAhead::NextRow()
{
    std::unique_lock<std::mutex> guard(Helper.Lock);
    const int32_t y = Taken++;
    if (Helper.Waits && Room() >= Batch)
        Helper.Changed.notify_all();  // a batch of slots is free again
    while (Decoded <= y && Decoded < FHeight && !Failure) {
        if (!InHand) {
            // The helper is elsewhere: decode the row here rather than wait.
            DecodeRows(guard, y + 1 - Decoded);
        } else if (TJpegRowsAhead* other = Helper.NextPicture()) {
            // The helper holds this picture: do its work on another one
            // meanwhile, as it would.
            other->DecodeRows(guard, other->Batch);
        } else {
            ReaderWaits = true;
            Helper.Changed.wait(guard);
            ReaderWaits = false;
        }
    }
    if (Decoded > y)
        return Ring.get() + static_cast<size_t>(y % Capacity) * RowBytes;
    if (Failure)
        std::rethrow_exception(Failure);
    // Past the last row: what the row reader itself says then.
    guard.unlock();
    return Reader.NextRow();
}

void TJpegRowsAhead::Finish()
{
    std::unique_lock<std::mutex> guard(Helper.Lock);
    ReaderWaits = true;
    Helper.Changed.wait(guard, [&] { return !InHand; });
    ReaderWaits = false;
    if (Failure)
        std::rethrow_exception(Failure);
    // The rows nobody took (a picture cropped at the bottom) are decoded and
    // dropped by the codec itself, which then reads to the end of the file.
    InHand = true;
    Done = true;
    guard.unlock();
    try {
        Reader.Finish();
    } catch (...) {
        guard.lock();
        InHand = false;
        Failure = std::current_exception();
        throw;
    }
    guard.lock();
    InHand = false;
}

}  // namespace tremalu
