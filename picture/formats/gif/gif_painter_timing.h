// The clock and the waits of a GIF painter, given to it as functions so that
// tests can run animations on a clock of their own without sleeping.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

namespace tremalu {

// An auto-resetting event: Signal wakes one wait, or the next one.
class TWakeUpEvent {
public:
    void Signal();
    // Takes the signal if it is set.
    bool TryTake();
    // Waits up to ms milliseconds (no limit when ms < 0) for the signal and
    // takes it; false on time-out.
    bool Wait(int64_t ms);

private:
    std::mutex Lock;
    std::condition_variable Changed;
    bool Signalled = false;
};

struct TGIFPainterTiming {
    // A millisecond clock.
    std::function<int64_t()> Now;
    // The delay wait of a painter with a thread: up to ms milliseconds (no
    // limit when ms < 0), ended early by the event; true when the event
    // ended it.
    std::function<bool(TWakeUpEvent& event, int64_t ms)> Wait;
    // One step of the delay wait of a painter without a thread; the time
    // must pass on the clock above.
    std::function<void(int64_t ms)> Sleep;
};

// The system's steady clock and real waits.
const TGIFPainterTiming& SystemPainterTiming();

}  // namespace tremalu
