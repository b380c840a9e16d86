#include "formats/gif/gif_painter_timing.h"

#include <chrono>
#include <thread>
#include <utility>

namespace tremalu {

void TWakeUpEvent::Signal()
{
    {
        std::lock_guard<std::mutex> guard(Lock);
        Signalled = true;
    }
    Changed.notify_all();
}

bool TWakeUpEvent::TryTake()
{
    std::lock_guard<std::mutex> guard(Lock);
    return std::exchange(Signalled, false);
}

bool TWakeUpEvent::Wait(int64_t ms)
{
    std::unique_lock<std::mutex> guard(Lock);
    if (ms < 0)
        Changed.wait(guard, [this] { return Signalled; });
    else if (!Changed.wait_for(guard, std::chrono::milliseconds(ms), [this] { return Signalled; }))
        return false;
    Signalled = false;
    return true;
}

const TGIFPainterTiming& SystemPainterTiming()
{
    static const TGIFPainterTiming timing{
        [] {
            return static_cast<int64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::steady_clock::now().time_since_epoch())
                                            .count());
        },
        [](TWakeUpEvent& event, int64_t ms) { return event.Wait(ms); },
        [](int64_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); },
    };
    return timing;
}

}  // namespace tremalu
