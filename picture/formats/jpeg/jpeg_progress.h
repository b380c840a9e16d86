// Progress of one decode or encode, reported by the codec and passed on to
// the picture's progress listener.
//
// The codec calls its progress monitor often (every few rows, every iMCU row
// of every input pass). Reports are thinned out: at most one per 500 ms, none
// on the very first call of an operation, and only when the whole percentage
// has changed. A decode report carries the rows decoded since the previous
// report, so that a listener can redraw just those.
#pragma once

#include "core/geometry.h"
#include "core/graphic.h"
#include "formats/jpeg/jpeg_codec.h"

#include <cstdint>

namespace tremalu {

// Who hears the reports: the picture being decoded or encoded.
class TCodecProgressListener {
public:
    virtual void CodecProgress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r) = 0;

protected:
    ~TCodecProgressListener() = default;
};

// The codec's progress record followed by what the reports need. The codec
// sees only its own part; the monitor finds the rest from it.
struct TCodecProgress : jpeg_progress_mgr {
    TCodecProgressListener* Picture = nullptr;
    int32_t LastPercent = 0;
    uint32_t LastReportTime = 0;  // milliseconds; 0 for never
    int32_t LastRow = 0;          // the last decoded row reported
};

// Passes a progress call of the codec on to the picture listening, by the
// rules above; nothing when no picture listens.
void OnCodecProgress(j_common_ptr codec);

// Milliseconds since the system started, wrapping at 2^32 like the tick count
// of the old platform.
using TMillisecondClock = uint32_t (*)();
uint32_t MillisecondsSinceStart();

// Replaces the clock that the 500 ms rule reads and returns the previous one.
// Lets the tests step time without waiting.
TMillisecondClock SetCodecProgressClock(TMillisecondClock clock);

}  // namespace tremalu
