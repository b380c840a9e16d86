// TGIFPainter: plays the frames of a GIF picture onto a surface, one after
// the other with their delays, as many passes as the loop count says.
//
// With gdThreaded the painter runs on a thread of its own, but that thread
// only measures and waits the delays and chooses the frames: rendering a
// frame, every paint step and every listener call is handed to the
// user-interface thread (core/ui_handover.h) and the thread blocks until it
// has run. A stopped painter hands nothing more over, and a step queued
// before the stop is skipped when its turn comes, so nothing is painted
// after a stop. As its thread ends, the painter's clean-up (leaving the
// picture's DrawPainter, freeing its buffers) runs on the user-interface
// thread; the picture then joins the thread. Painters are made, started,
// stopped and joined on the user-interface thread only; the thread of a
// painter never lets a failure escape, and always says that it returned.
//
// Without gdThreaded the painter runs inside the draw call that made it,
// sleeping the delays there.
#pragma once

#include "core/color.h"
#include "core/geometry.h"
#include "formats/gif/gif_drawing_memory.h"
#include "formats/gif/gif_painter_timing.h"
#include "formats/gif/gif_settings.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

namespace tremalu {

class TBitmap;
class TCanvas;
class TGIFImage;
class TPixelBuffer;

class TGIFPainter {
public:
    using TEvent = std::function<void(TGIFPainter& painter)>;

    // Made on the user-interface thread. target, when given, is the bitmap
    // whose surface canvas is; the painter keeps it alive. With disposal 2
    // or 3 among the frames the surface's rectangle is copied into the
    // painter's buffers here.
    TGIFPainter(TGIFImage& image, TCanvas& canvas, const TRect& rect, TGIFDrawOptions options,
                std::shared_ptr<TBitmap> target);
    ~TGIFPainter();
    TGIFPainter(const TGIFPainter&) = delete;
    TGIFPainter& operator=(const TGIFPainter&) = delete;

    // Bytes of the disposal buffers a painter of these options over rect
    // would hold; the painter holds them on the picture's drawing budget
    // before it makes them (gif_drawing_memory.h).
    static uint64_t BufferBytes(const TGIFImage& image, TGIFDrawOptions options, const TRect& rect);

    // Starts the thread (gdThreaded only).
    void Start();
    // The whole run, on the calling thread. A failure stops the painter and
    // is kept (Failure).
    void Execute();
    // Marks the painter stopped and ends a delay wait at once.
    void Stop();
    // After Ended: waits for the thread to return.
    void Join();

    bool Stopped() const { return FStopped.load(); }
    bool Threaded() const { return (FOptions & gdThreaded) != 0; }
    // A frame has been painted in this run.
    bool Painted() const { return FPainted.load(); }
    // The clean-up has run: the painter paints no more.
    bool Ended() const { return FEnded.load(); }
    // On the user-interface thread, for a waiter: runs the clean-up here when
    // the thread has returned without it having run (handing it over
    // failed); returns Ended().
    bool SettleReturned();
    std::exception_ptr Failure() const { return FFailure; }

    TGIFImage& Image() const { return FImage; }
    TCanvas& Canvas() const { return FCanvas; }
    const TRect& Rect() const { return FRect; }
    TGIFDrawOptions DrawOptions() const { return FOptions; }
    // The frame being painted, from 0 (-1 when idle). The after-frame
    // listener may set it to choose the next frame.
    int ActiveImage() const { return FActive.load(); }
    void SetActiveImage(int index) { FActive.store(index); }
    // The disposal that applies to the frame being painted (its last graphic
    // control extension's), and the previous frame's.
    int Disposal() const { return FDisposal; }
    int PreviousDisposal() const { return FPreviousDisposal; }

private:
    friend class TGIFImage;

    void ThreadMain();
    void Run();
    // Runs step on the user-interface thread (or here without a thread),
    // unless the painter is stopped by then.
    void Step(const std::function<void()>& step);
    void Notify(const TEvent& listener);
    // Renders the frame and waits its delay; delay ≤ 0 only yields.
    void DelayWait(int delay, int64_t& lastTime, int64_t& lastWait);
    void PaintSimple();
    void PaintBuffered();
    void RestoreFrameArea();
    // The clean-up of the end, on the user-interface thread.
    void Finish();

    TGIFImage& FImage;
    TCanvas& FCanvas;
    const TRect FRect;
    const TGIFDrawOptions FOptions;
    const int FSpeed;
    std::shared_ptr<TBitmap> FTarget;
    std::shared_ptr<const TGIFPainterTiming> FTiming;
    TColor FBackgroundColor = clWhite;
    TGIFDrawingHold FBuffersHold;          // the three buffers below, held before they are made
    std::unique_ptr<TBitmap> FBackup;      // the state between frames (disposal 2 and 3)
    std::unique_ptr<TBitmap> FFrameBuffer; // a frame over the state, for disposal 3
    std::unique_ptr<TBitmap> FBackground;  // what the surface showed, for disposal 2
    const TPixelBuffer* FSurfacePixels = nullptr;
    int FDisposal = 1;
    int FPreviousDisposal = 1;
    std::atomic<int> FActive{-1};
    std::atomic<bool> FPainted{false};
    std::atomic<bool> FStopped{false};
    std::atomic<bool> FEnded{false};
    std::atomic<bool> FReturned{false};  // the thread has left ThreadMain
    TWakeUpEvent FWakeUp;
    std::exception_ptr FFailure;
    TEvent FOnStartPaint, FOnPaint, FOnAfterPaint, FOnLoop, FOnEndPaint;
    std::thread FThread;
};

}  // namespace tremalu
