#include "formats/jpeg/jpeg_progress.h"

#include <ctime>

namespace tremalu {

namespace {

constexpr uint32_t MinimumReportInterval = 500;  // milliseconds

TMillisecondClock CurrentClock = MillisecondsSinceStart;

// The smallest decoded band worth an immediate redraw.
constexpr int32_t RedrawRows = 4;

}  // namespace

uint32_t MillisecondsSinceStart()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

TMillisecondClock SetCodecProgressClock(TMillisecondClock clock)
{
    const TMillisecondClock previous = CurrentClock;
    CurrentClock = clock != nullptr ? clock : MillisecondsSinceStart;
    return previous;
}

void OnCodecProgress(j_common_ptr codec)
{
    if (codec->progress == nullptr)
        return;
    auto& progress = *static_cast<TCodecProgress*>(codec->progress);
    if (progress.Picture == nullptr)
        return;

    const uint32_t now = CurrentClock();
    // Unsigned difference: right across the wrap of the 32-bit clock too.
    if (now - progress.LastReportTime < MinimumReportInterval)
        return;
    const uint32_t previous = progress.LastReportTime;
    progress.LastReportTime = now;
    if (previous == 0)
        return;  // the first call only starts the clock

    TRect band{0, 0, 0, 0};
    const auto* decoder = codec->is_decompressor ? reinterpret_cast<j_decompress_ptr>(codec) : nullptr;
    if (decoder != nullptr) {
        band.Left = 0;
        band.Top = progress.LastRow;
        band.Right = static_cast<int32_t>(decoder->output_width);
        band.Bottom = static_cast<int32_t>(decoder->output_scanline);
        if (band.Bottom < band.Top)  // a new output pass began
            band.Bottom = static_cast<int32_t>(decoder->output_height);
    }

    // Until the codec has sized its passes there is nothing to measure.
    if (progress.pass_limit <= 0 || progress.total_passes <= 0)
        return;
    const double done = (static_cast<double>(progress.pass_counter) / static_cast<double>(progress.pass_limit) +
                         progress.completed_passes) *
                        100.0 / progress.total_passes;
    const int32_t percent = static_cast<int32_t>(done);  // truncated toward zero
    if (percent == progress.LastPercent)
        return;
    progress.LastPercent = percent;
    if (decoder != nullptr)
        progress.LastRow = static_cast<int32_t>(decoder->output_scanline);

    const uint8_t reported = static_cast<uint8_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
    progress.Picture->CodecProgress(TProgressStage::StageRunning, reported, band.Height() >= RedrawRows, band);
}

}  // namespace tremalu
