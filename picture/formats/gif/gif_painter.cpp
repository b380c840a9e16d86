#include "formats/gif/gif_painter.h"

#include "core/ui_handover.h"
#include "formats/gif/gif_image.h"
#include "raster/bitmap.h"

#include <algorithm>
#include <limits>

namespace tremalu {

namespace {

std::shared_ptr<const TGIFPainterTiming> SystemTimingShared()
{
    static const std::shared_ptr<const TGIFPainterTiming> timing(&SystemPainterTiming(),
                                                                 [](const TGIFPainterTiming*) {});
    return timing;
}

// A bitmap of the rectangle's size holding what the surface shows there.
std::unique_ptr<TBitmap> CopyOfSurface(TCanvas& canvas, const TRect& rect)
{
    auto copy = std::make_unique<TBitmap>();
    copy->SetPixelWidth(rect.Width());
    copy->SetPixelHeight(rect.Height());
    copy->Surface().CopyRectangle(Bounds(0, 0, rect.Width(), rect.Height()), canvas, rect);
    return copy;
}

// a × 100 ÷ speed rounded to the nearest (halves away from zero); false
// when the result does not fit in 32 bits.
bool ScaleBySpeed(int64_t a, int speed, int64_t& result)
{
    const int64_t p = a * 100;
    int64_t q = p / speed;
    const int64_t rem = p % speed;
    if (2 * (rem < 0 ? -rem : rem) >= speed)
        q += p < 0 ? -1 : 1;
    if (q < std::numeric_limits<int32_t>::min() || q > std::numeric_limits<int32_t>::max())
        return false;
    result = q;
    return true;
}

// Which disposal buffers the frames ask for: restores, a copy to go back to
// (disposal 2, or every pass starting from the background); keeps, a frame
// drawn over the kept state (disposal 3).
void NeededBuffers(const TGIFImage& image, TGIFDrawOptions options, bool& restores, bool& keeps)
{
    restores = (options & gdClearFirst) != 0;
    keeps = false;
    for (const auto& frame : image.Images)
        if (const TGIFGraphicControlExtension* control = frame->GraphicControlExtension()) {
            restores = restores || control->Disposal() == 2;
            keeps = keeps || control->Disposal() == 3;
        }
}

}  // namespace

uint64_t TGIFPainter::BufferBytes(const TGIFImage& image, TGIFDrawOptions options, const TRect& rect)
{
    bool restores = false, keeps = false;
    NeededBuffers(image, options, restores, keeps);
    const uint64_t one = GIFDeviceBitmapBytes(rect.Width(), rect.Height());
    const uint64_t background = restores && (options & gdTransparent) != 0 ? one : 0;
    return background + (restores || keeps ? 2 * one : 0);
}

TGIFPainter::TGIFPainter(TGIFImage& image, TCanvas& canvas, const TRect& rect, TGIFDrawOptions options,
                         std::shared_ptr<TBitmap> target)
    : FImage(image), FCanvas(canvas), FRect(rect), FOptions(options), FSpeed(image.AnimationSpeed),
      FTarget(std::move(target)), FTiming(image.PainterTiming ? image.PainterTiming : SystemTimingShared()),
      FBuffersHold(image.DrawingMemory(), BufferBytes(image, options, rect)), FOnStartPaint(image.OnStartPaint),
      FOnPaint(image.OnPaint), FOnAfterPaint(image.OnAfterPaint), FOnLoop(image.OnLoop), FOnEndPaint(image.OnEndPaint)
{
    if (image.DrawBackgroundColor != clNone) {
        FBackgroundColor = image.DrawBackgroundColor;
    } else if (image.Header.ColorMap.Count() > 0) {
        const TGIFColor c = image.Header.ColorMap.Lookup(image.Header.BackgroundColorIndex);
        FBackgroundColor = RGB(c.Red, c.Green, c.Blue);
    } else {
        FBackgroundColor = ResolveColor(clWindow);
    }
    // The disposals that the frames ask for decide which buffers are needed.
    bool restores = false, keeps = false;
    NeededBuffers(image, options, restores, keeps);
    if (restores && (options & gdTransparent) != 0)
        FBackground = CopyOfSurface(canvas, rect);
    if (restores || keeps) {
        FBackup = CopyOfSurface(canvas, rect);
        FBackup->Surface().Brush().SetColor(FBackgroundColor);
        FFrameBuffer = std::make_unique<TBitmap>();
        FFrameBuffer->SetPixelWidth(rect.Width());
        FFrameBuffer->SetPixelHeight(rect.Height());
        FFrameBuffer->Surface().Brush().SetColor(FBackgroundColor);
    }
}

TGIFPainter::~TGIFPainter() { Join(); }

void TGIFPainter::Start() { FThread = std::thread(&TGIFPainter::ThreadMain, this); }

void TGIFPainter::Join()
{
    if (FThread.joinable())
        FThread.join();
}

void TGIFPainter::Stop()
{
    FStopped.store(true);
    FWakeUp.Signal();
}

void TGIFPainter::ThreadMain()
{
    Execute();
    // Nothing may leave this function by a failure: it would end the
    // program. The clean-up is handed over like every other step; should the
    // hand-over itself fail (no memory left for the queue's entry), the
    // failure is kept as the painter's and the user-interface thread, seeing
    // the thread returned without its clean-up, runs it there
    // (SettleReturned), so that no waiter waits for an end never said.
    try {
        UiHandOver().Run([this] { Finish(); });
    } catch (...) {
        if (!FFailure)
            FFailure = std::current_exception();
    }
    // The last touch of the painter on this thread.
    FReturned.store(true);
}

bool TGIFPainter::SettleReturned()
{
    if (!Ended() && FReturned.load())
        Finish();
    return Ended();
}

void TGIFPainter::Finish()
{
    FImage.PainterFinished(*this);
    FBackup.reset();
    FFrameBuffer.reset();
    FBackground.reset();
    FBuffersHold.Release();
    FTarget.reset();
    FEnded.store(true);
}

void TGIFPainter::Execute()
{
    try {
        Run();
    } catch (...) {
        // The run ends here. Without a thread the draw call raises the
        // failure again; with one, the animation simply ends.
        FFailure = std::current_exception();
        FStopped.store(true);
    }
}

void TGIFPainter::Step(const std::function<void()>& step)
{
    if (Stopped())
        return;
    if (Threaded())
        UiHandOver().Run([&] {
            if (!Stopped())
                step();
        });
    else
        step();
}

void TGIFPainter::Notify(const TEvent& listener)
{
    if (listener)
        Step([&] { listener(*this); });
}

void TGIFPainter::Run()
{
    if ((FOptions & gdCheckSurface) != 0)
        Step([this] { FSurfacePixels = FCanvas.Pixels(); });
    const bool threaded = Threaded();
    const bool animate = (FOptions & gdAnimate) != 0;
    const bool forever = (FOptions & gdLoopForever) != 0;
    if (!Stopped()) {
        FActive.store(0);
        Notify(FOnStartPaint);
        FPainted.store(false);
        int loopCounter = 1;
        int restartFrame = 0;
        bool loopSeen = false;
        int delay = threaded ? 0 : 1;
        FPreviousDisposal = 1;
        int64_t lastTime = FTiming->Now();
        int64_t lastWait = 0;
        const int frames = static_cast<int>(FImage.Images.Count());
        while ((loopCounter != 0 || forever) && !Stopped()) {
            FActive.store(restartFrame);
            if (Painted())
                Notify(FOnLoop);
            bool paintedInPass = false;
            // A pass ends at the last frame, or early at an empty one.
            while (!Stopped()) {
                const int active = FActive.load();
                if (active < 0 || active >= frames || FImage.Images[static_cast<size_t>(active)].Empty())
                    break;
                TGIFSubImage& frame = FImage.Images[static_cast<size_t>(active)];
                DelayWait(delay, lastTime, lastWait);
                if (Stopped())
                    break;
                Notify(FOnPaint);
                if (Stopped())
                    break;
                FDisposal = 1;
                for (const auto& extension : frame.Extensions) {
                    if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get())) {
                        if (!loopSeen) {
                            loopSeen = true;
                            if (threaded)
                                loopCounter = loop->Loops == 0 || forever ? -1 : loop->Loops;
                            restartFrame = active;
                        }
                    } else if (const auto* control =
                                   dynamic_cast<const TGIFGraphicControlExtension*>(extension.get())) {
                        FDisposal = control->Disposal();
                    }
                }
                Step([this] {
                    if (FBackup)
                        PaintBuffered();
                    else
                        PaintSimple();
                });
                paintedInPass = true;
                FPreviousDisposal = FDisposal;
                if (Stopped())
                    break;
                delay = DefaultDelay;
                if (const TGIFGraphicControlExtension* control = frame.GraphicControlExtension())
                    if (control->Delay > 0) {
                        delay = std::max<int>(control->Delay, MinimumDelay);
                        if (!threaded)
                            delay = std::min(delay, MaximumDelay);
                    }
                Notify(FOnAfterPaint);
                if (Stopped())
                    break;
                if (FActive.load() == active)
                    FActive.store(active + 1);
                if (!animate)
                    break;
            }
            if (loopCounter > 0)
                --loopCounter;
            if (!animate || (FOptions & gdLoop) == 0)
                break;
            // A pass that paints nothing (its first frame is empty) would be
            // repeated without end and without a wait: the animation is over.
            if (!paintedInPass)
                break;
        }
    }
    FActive.store(-1);
    Notify(FOnEndPaint);
}

void TGIFPainter::DelayWait(int delay, int64_t& lastTime, int64_t& lastWait)
{
    if (delay <= 0) {
        std::this_thread::yield();
        return;
    }
    // The frame is rendered before its wait, so that the wait absorbs it.
    const int active = FActive.load();
    Step([this, active] { FImage.Images[static_cast<size_t>(active)].FrameBitmap(); });
    const int64_t now = FTiming->Now();
    int64_t wait = 0;
    if (FSpeed >= 1) {
        // Half of the previous frame's lateness is made up now.
        const int64_t lag = (now - lastTime - lastWait) / 2;
        if (ScaleBySpeed(int64_t{delay} * DelayUnitMs - lag, FSpeed, wait)) {
            lastWait = wait;
        } else {
            wait = int64_t{MaximumDelay} * DelayUnitMs;
            lastWait = 0;
        }
    } else {
        wait = Threaded() ? -1 : int64_t{MaximumDelay} * DelayUnitMs;
    }
    lastTime = now;
    if (Threaded()) {
        if (wait > 0 || FSpeed == 0)
            if (FTiming->Wait(FWakeUp, wait)) {
                lastWait = 0;
                lastTime = FTiming->Now();
            }
        return;
    }
    // Without a thread: in slices of at most 100 ms, running what other
    // painters hand over meanwhile.
    wait = std::max<int64_t>(wait, 1);
    while (wait > 0 && !Stopped()) {
        const int64_t before = FTiming->Now();
        FTiming->Sleep(std::min<int64_t>(wait, 100));
        wait -= FTiming->Now() - before;
        UiHandOver().Drain();
    }
}

// ---------------------------------------------------------------- paint steps (user-interface thread)

void TGIFPainter::PaintSimple()
{
    FImage.Images[static_cast<size_t>(FActive.load())].DrawFrame(FCanvas, FRect, (FOptions & gdTransparent) != 0,
                                                                 (FOptions & gdTile) != 0);
    FPainted.store(true);
}

void TGIFPainter::PaintBuffered()
{
    if ((FOptions & gdCheckSurface) != 0 && FCanvas.Pixels() != FSurfacePixels) {
        Stop();
        return;
    }
    const int active = FActive.load();
    TGIFSubImage& frame = FImage.Images[static_cast<size_t>(active)];
    const bool clearFirst = (FOptions & gdClearFirst) != 0 && active == 0;
    const TRect whole = Bounds(0, 0, FRect.Width(), FRect.Height());
    TCanvas* target = nullptr;
    TRect area = whole;
    bool copyOut = false, restoreAfter = false, copyFrame = false;
    switch (FDisposal) {
    case 0:
    case 1:
        target = &FBackup->Surface();
        copyOut = true;
        break;
    case 2:
        target = &FBackup->Surface();
        copyOut = restoreAfter = true;
        break;
    case 3:
        if (FPreviousDisposal == 0 || FPreviousDisposal == 1) {
            // Over the surface itself, leaving the kept state as it is.
            target = &FCanvas;
            area = FRect;
        } else if (FPreviousDisposal == 2 || FPreviousDisposal == 3) {
            target = &FFrameBuffer->Surface();
            copyFrame = copyOut = true;
        }
        break;
    default:
        break;  // disposals 4 to 7 mean nothing: the frame is skipped
    }
    if (clearFirst)
        RestoreFrameArea();
    if (copyFrame)
        FFrameBuffer->CopyFrom(FBackup.get());
    if (target != nullptr)
        frame.DrawFrame(*target, area, (FOptions & gdTransparent) != 0, (FOptions & gdTile) != 0);
    if (copyOut) {
        FCanvas.CopyMode = SRCCOPY;
        FCanvas.CopyRectangle(FRect, *target, area);
    }
    if (restoreAfter)
        RestoreFrameArea();
    FPainted.store(true);
}

void TGIFPainter::RestoreFrameArea()
{
    TGIFSubImage& frame = FImage.Images[static_cast<size_t>(FActive.load())];
    TCanvas& backup = FBackup->Surface();
    const TRect whole = Bounds(0, 0, FRect.Width(), FRect.Height());
    for (const TRect& area : frame.Placements(whole, (FOptions & gdTile) != 0, whole)) {
        if ((FOptions & gdTransparent) != 0) {
            // What the surface showed before the animation; a painter made
            // without that copy (no frame of its own asked for disposal 2)
            // leaves the area as it is.
            if (FBackground) {
                backup.CopyMode = SRCCOPY;
                backup.CopyRectangle(area, FBackground->Surface(), area);
            }
        } else {
            backup.FillRectangle(area);
        }
    }
}

}  // namespace tremalu
