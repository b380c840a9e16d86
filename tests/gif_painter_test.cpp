// Animation: the painter's delays, passes and disposals measured on a clock
// of the test's own (nothing sleeps), stopping and joining, and the
// hand-over queue that carries every paint step to the drawing thread.
#include "core/errors.h"
#include "core/streams.h"
#include "core/ui_handover.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_painter.h"
#include "gif_builder.h"
#include "raster/bitmap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <thread>

using namespace tremalu;
using testing_support::GifWriter;

namespace {

constexpr uint32_t White = 0xFFFFFF, Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF;
const std::vector<uint32_t> Colors4 = {0x000000, Red, Green, Blue};

// A clock that moves only when a painter waits on it.
class FakeClock {
public:
    std::shared_ptr<const TGIFPainterTiming> Timing()
    {
        return std::make_shared<TGIFPainterTiming>(TGIFPainterTiming{
            [this] { return Now(); },
            [this](TWakeUpEvent& event, int64_t ms) {
                if (event.TryTake())
                    return true;
                Advance(ms);
                return false;
            },
            [this](int64_t ms) { Advance(ms); }});
    }
    int64_t Now()
    {
        std::lock_guard<std::mutex> guard(Lock);
        return Time;
    }
    std::vector<int64_t> Waits()
    {
        std::lock_guard<std::mutex> guard(Lock);
        return Waited;
    }

private:
    void Advance(int64_t ms)
    {
        std::lock_guard<std::mutex> guard(Lock);
        Time += ms;
        Waited.push_back(ms);
    }
    std::mutex Lock;
    int64_t Time = 0;
    std::vector<int64_t> Waited;
};

struct Painted {
    int Frame;
    int64_t Time;
};

// A picture animated onto a white bitmap of its size, recording each frame
// painted (and the buffer after it) on the test's own thread.
class Animation {
public:
    explicit Animation(const std::vector<uint8_t>& bytes, TGIFDrawOptions options = DefaultDrawOptions)
    {
        TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
        Gif.ReadFromStream(stream);
        Gif.DrawOptions = options;
        Gif.PainterTiming = Clock.Timing();
        Gif.OnAfterPaint = [this](TGIFPainter& painter) {
            Frames.push_back({painter.ActiveImage(), Clock.Now()});
            const TPixelBuffer* shown = painter.Canvas().Pixels();
            std::vector<uint32_t> row;
            for (int32_t x = 0; x < shown->Width(); ++x)
                row.push_back(shown->PixelAt(x, 0));
            Rows.push_back(row);
        };
        Target.SetPixelWidth(Gif.PixelWidth());
        Target.SetPixelHeight(Gif.PixelHeight());
    }

    void Draw() { Target.Surface().DrawAt(0, 0, &Gif); }

    // Runs the handed-over steps until the painter is gone or enough frames
    // are painted.
    void RunUntil(size_t frames = SIZE_MAX)
    {
        while (Gif.PainterCount() > 0 && Frames.size() < frames) {
            UiHandOver().Drain();
            UiHandOver().WaitForWork(std::chrono::milliseconds(10));
        }
    }

    std::vector<int> FrameOrder() const
    {
        std::vector<int> order;
        for (const Painted& p : Frames)
            order.push_back(p.Frame);
        return order;
    }

    FakeClock Clock;
    TGIFImage Gif;
    TBitmap Target;
    std::vector<Painted> Frames;
    std::vector<std::vector<uint32_t>> Rows;
};

std::vector<uint8_t> Animated(const std::vector<int>& delays, int loops = -1)
{
    GifWriter w;
    w.Header(1, 1, Colors4);
    for (size_t i = 0; i < delays.size(); ++i) {
        if (i == 0 && loops >= 0)
            w.Loop(static_cast<uint16_t>(loops));
        if (delays[i] >= 0)
            w.GraphicControl(1, static_cast<uint16_t>(delays[i]));
        w.Image(0, 0, 1, 1, {static_cast<uint8_t>(1 + i % 3)});
    }
    return w.Trailer().Bytes();
}

// ---------------------------------------------------------------- delays and passes

struct DelayCase {
    const char* Name;
    std::vector<int> Delays;  // hundredths; -1: no graphic control extension
    std::vector<int64_t> Waits;
};

class PainterDelays : public ::testing::TestWithParam<DelayCase> {};

TEST_P(PainterDelays, WaitedInUnitsOf12ms)
{
    Animation a(Animated(GetParam().Delays));
    a.Draw();
    a.RunUntil();
    ASSERT_EQ(a.Frames.size(), GetParam().Delays.size());
    EXPECT_EQ(a.Clock.Waits(), GetParam().Waits);
    EXPECT_EQ(a.Frames[0].Time, 0) << "frame 1 at once";
}

INSTANTIATE_TEST_SUITE_P(
    Gif, PainterDelays,
    ::testing::Values(DelayCase{"Default", {0, -1, 7}, {120, 120}},
                      DelayCase{"RaisedToThreeUnits", {1, 2, 3}, {36, 36}},
                      DelayCase{"LongDelayNotCutWithAThread", {5000, 0}, {60000}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(Painter, LatenessIsHalfMadeUp)
{
    // The clock also moves while frame 2 renders: 40 ms late, so the next
    // wait is 20 ms shorter.
    Animation a(Animated({10, 10, 10}));
    bool late = false;
    a.Gif.OnPaint = [&](TGIFPainter& painter) {
        if (painter.ActiveImage() == 1 && !late) {
            late = true;
            a.Gif.PainterTiming->Sleep(40);
        }
    };
    a.Draw();
    a.RunUntil();
    EXPECT_EQ(a.Clock.Waits(), (std::vector<int64_t>{120, 40, 100}));
}

struct LoopCase {
    const char* Name;
    std::vector<uint8_t> Gif;
    std::vector<int> Order;  // frames painted, in order
};

class PainterPasses : public ::testing::TestWithParam<LoopCase> {};

TEST_P(PainterPasses, RepeatAsTheLoopCountSays)
{
    Animation a(GetParam().Gif);
    a.Draw();
    a.RunUntil();
    EXPECT_EQ(a.FrameOrder(), GetParam().Order);
    EXPECT_EQ(a.Gif.DrawPainter(), nullptr);
    ASSERT_NE(a.Gif.AnimationBuffer(), nullptr) << "the last state stays";
}

std::vector<uint8_t> LoopOnSecondFrame()
{
    GifWriter w;
    w.Header(1, 1, Colors4).Image(0, 0, 1, 1, {1}).Loop(3).Image(0, 0, 1, 1, {2});
    return w.Bytes();
}

std::vector<uint8_t> EmptyFrameInTheMiddle()
{
    // The stray 0 after the comment ends that frame without an image.
    GifWriter w;
    w.Header(1, 1, Colors4).Loop(2).Image(0, 0, 1, 1, {1}).Comment("x").Raw({0}).Image(0, 0, 1, 1, {3});
    return w.Trailer().Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Gif, PainterPasses,
    ::testing::Values(LoopCase{"NoLoopExtensionOnePass", Animated({5, 5}), {0, 1}},
                      LoopCase{"ThreeTimesInAll", Animated({5, 5}, 3), {0, 1, 0, 1, 0, 1}},
                      LoopCase{"LaterPassesStartAtTheLoopFrame", LoopOnSecondFrame(), {0, 1, 1, 1}},
                      LoopCase{"EmptyFrameEndsThePass", EmptyFrameInTheMiddle(), {0, 0}}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(Painter, PassThatPaintsNothingEndsEvenAForeverAnimation)
{
    // Frame 1 is empty: every pass would end at once, without a wait.
    GifWriter w;
    w.Header(1, 1, Colors4).Comment("x").Raw({0}).Image(0, 0, 1, 1, {1}).Trailer();
    Animation a(w.Bytes(), DefaultDrawOptions | gdLoopForever);
    a.Draw();
    a.RunUntil();
    EXPECT_TRUE(a.Frames.empty());
    EXPECT_EQ(a.Gif.PainterCount(), 0u);
}

TEST(Painter, LoopCountZeroRepeatsUntilStoppedAndPaintsNothingAfter)
{
    Animation a(Animated({5, 5}, 0));
    a.Draw();
    a.RunUntil(9);
    a.Gif.StopAnimation();
    const size_t painted = a.Frames.size();
    EXPECT_GE(painted, 9u);
    EXPECT_EQ(a.Gif.PainterCount(), 0u);
    EXPECT_EQ(a.Gif.AnimationBuffer(), nullptr);
    UiHandOver().Drain();
    EXPECT_EQ(a.Frames.size(), painted);
}

TEST(Painter, WithoutAThreadOnePassInsideTheDrawWithDelaysCut)
{
    Animation a(Animated({5000, 1}, 3), DefaultDrawOptions & ~gdThreaded);
    a.Draw();
    EXPECT_EQ(a.FrameOrder(), (std::vector<int>{0, 1}));
    // 12 ms before frame 1, then 1000 units (cut from 5000) in slices of
    // at most 100 ms.
    const std::vector<int64_t> waits = a.Clock.Waits();
    ASSERT_EQ(waits.size(), 121u);
    EXPECT_EQ(waits.front(), 12);
    EXPECT_EQ(a.Frames[1].Time - a.Frames[0].Time, 12000);
    EXPECT_EQ(a.Gif.PainterCount(), 0u);
}

TEST(Painter, FailureOfAStepReachesTheDrawOnlyWithoutAThread)
{
    for (bool threaded : {false, true}) {
        Animation a(Animated({5, 5, 5}), threaded ? DefaultDrawOptions : DefaultDrawOptions & ~gdThreaded);
        a.Gif.OnPaint = [](TGIFPainter& painter) {
            if (painter.ActiveImage() == 1)
                throw GIFException("stop");
        };
        if (threaded) {
            a.Draw();
            a.RunUntil();
        } else {
            EXPECT_THROW(a.Draw(), GIFException);
        }
        EXPECT_EQ(a.FrameOrder(), std::vector<int>{0}) << threaded;
        EXPECT_EQ(a.Gif.PainterCount(), 0u);
    }
}

// ---------------------------------------------------------------- disposal

std::vector<uint8_t> ThreeFrames(uint8_t first, uint8_t second, uint16_t background = 0)
{
    // Frame 1 red at x = 0, frame 2 green at x = 1, frame 3 blue at x = 2.
    GifWriter w;
    w.Header(3, 1, Colors4, static_cast<uint8_t>(background));
    w.GraphicControl(first, 1).Image(0, 0, 1, 1, {1});
    w.GraphicControl(second, 1).Image(1, 0, 1, 1, {2});
    w.GraphicControl(1, 1).Image(2, 0, 1, 1, {3});
    return w.Trailer().Bytes();
}

struct DisposalCase {
    const char* Name;
    std::vector<uint8_t> Gif;
    TGIFDrawOptions Options;
    std::vector<uint32_t> Last;  // the buffer after frame 3
};

class PainterDisposal : public ::testing::TestWithParam<DisposalCase> {};

TEST_P(PainterDisposal, LeavesTheBufferAsTheFramesAsk)
{
    Animation a(GetParam().Gif, GetParam().Options);
    a.Draw();
    a.RunUntil();
    ASSERT_EQ(a.Rows.size(), 3u);
    EXPECT_EQ(a.Rows[2], GetParam().Last);
}

INSTANTIATE_TEST_SUITE_P(
    Gif, PainterDisposal,
    ::testing::Values(DisposalCase{"LeaveInPlace", ThreeFrames(1, 1), DefaultDrawOptions, {Red, Green, Blue}},
                      // Back to what the destination showed before.
                      DisposalCase{"RestoreBackground", ThreeFrames(2, 1), DefaultDrawOptions, {White, Green, Blue}},
                      // Without gdTransparent: the background colour (index 3).
                      DisposalCase{"RestoreBackgroundColour", ThreeFrames(2, 1, 3), DefaultDrawOptions & ~gdTransparent,
                                   {Blue, Green, Blue}},
                      // Shown over the kept state, which does not keep it.
                      DisposalCase{"RestorePrevious", ThreeFrames(1, 3), DefaultDrawOptions, {Red, White, Blue}}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---------------------------------------------------------------- stopping

TEST(Painter, ReplacingThePictureStopsAndJoinsItsPainterFirst)
{
    auto painted = std::make_shared<int>(0);
    const std::vector<uint8_t> bytes = Animated({5, 5}, 0);
    TPicture picture;
    {
        TGIFImage gif;
        TReadOnlyMemoryStream stream(bytes.data(), bytes.size());
        gif.ReadFromStream(stream);
        picture.SetGraphic(&gif);
    }
    auto& held = dynamic_cast<TGIFImage&>(*picture.Graphic());
    FakeClock clock;
    held.PainterTiming = clock.Timing();
    held.OnAfterPaint = [painted](TGIFPainter&) { ++*painted; };
    TBitmap view;
    view.SetPixelWidth(1);
    view.SetPixelHeight(1);
    view.Surface().DrawAt(0, 0, &held);
    while (*painted < 5) {
        UiHandOver().Drain();
        UiHandOver().WaitForWork(std::chrono::milliseconds(10));
    }
    TBitmap other;
    picture.SetGraphic(&other);
    const int before = *painted;
    for (int i = 0; i < 5; ++i) {
        UiHandOver().Drain();
        UiHandOver().WaitForWork(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(*painted, before);
    EXPECT_EQ(painted.use_count(), 1) << "the painter and its picture are gone";
}

// ---------------------------------------------------------------- the hand-over queue

TEST(UiHandOver, StepsRunOnTheDrainingThreadInOrderAndFailuresGoBack)
{
    TUiHandOver queue;
    queue.BindToCurrentThread();
    std::vector<int> ran;
    std::string failure;
    std::thread worker([&] {
        queue.Run([&] { ran.push_back(1); });
        queue.Run([&] { ran.push_back(2); });
        try {
            queue.Run([] { throw GIFException("raised on the other side"); });
        } catch (const GIFException& e) {
            failure = e.message();
        }
    });
    const std::thread::id here = std::this_thread::get_id();
    size_t done = 0;
    while (done < 3) {
        queue.WaitForWork(std::chrono::milliseconds(10));
        done += queue.Drain();
    }
    worker.join();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(failure, "raised on the other side");
    EXPECT_EQ(std::this_thread::get_id(), here);
}

TEST(UiHandOver, WakerIsCalledForEachStepAndTheBoundThreadRunsAtOnce)
{
    TUiHandOver queue;
    queue.BindToCurrentThread();
    int inline_ = 0;
    queue.Run([&] { ++inline_; });
    EXPECT_EQ(inline_, 1);
    std::atomic<int> woken{0};
    queue.SetWaker([&] { ++woken; });
    std::thread worker([&] { queue.Run([] {}); });
    while (queue.Drain() == 0)
        queue.WaitForWork(std::chrono::milliseconds(10));
    worker.join();
    EXPECT_EQ(woken.load(), 1);
}

// Only the bound thread runs the steps: any other thread that tries to
// drain or wait on the queue is refused, and the step waits for its thread.
TEST(UiHandOver, RefusesToBeDrainedOffItsThread)
{
    TUiHandOver queue;
    queue.BindToCurrentThread();
    std::atomic<bool> ran{false};
    std::thread worker([&] { queue.Run([&] { ran = true; }); });
    queue.WaitForWork(std::chrono::milliseconds(1000));
    bool drainRefused = false, waitRefused = false;
    std::thread other([&] {
        try {
            queue.Drain();
        } catch (const std::logic_error&) {
            drainRefused = true;
        }
        try {
            queue.WaitForWork(std::chrono::milliseconds(1));
        } catch (const std::logic_error&) {
            waitRefused = true;
        }
    });
    other.join();
    EXPECT_TRUE(drainRefused);
    EXPECT_TRUE(waitRefused);
    EXPECT_FALSE(ran.load());
    while (queue.Drain() == 0)
        queue.WaitForWork(std::chrono::milliseconds(10));
    worker.join();
    EXPECT_TRUE(ran.load());
}

// A picture drawn on another thread (a batch job's) starts no painter: it
// shows its first frame, as a picture of one frame would.
TEST(Painter, NoneStartsOffTheUserInterfaceThread)
{
    Animation a(Animated({5, 5, 5}, 0));
    std::thread batch([&] { a.Draw(); });
    batch.join();
    EXPECT_EQ(a.Gif.PainterCount(), 0u);
    EXPECT_EQ(a.Gif.AnimationBuffer(), nullptr);
    EXPECT_EQ(a.Target.PeekPixels()->PixelAt(0, 0) & 0xFFFFFF, Red);
}

}  // namespace

// A worker may queue its next step the moment its last one has run; a drain
// runs only what was queued when it began, so that the user-interface
// thread gets back to its event loop between two steps.
TEST(UiHandOverDrain, LeavesStepsQueuedWhileItRunsForTheNextDrain)
{
    TUiHandOver queue;
    queue.BindToCurrentThread();
    std::atomic<int> queued{0};
    queue.SetWaker([&] { ++queued; });
    std::vector<int> ran;
    std::thread second;
    std::thread first([&] {
        queue.Run([&] {
            ran.push_back(1);
            second = std::thread([&] { queue.Run([&] { ran.push_back(2); }); });
            while (queued.load() < 2)
                std::this_thread::yield();
        });
    });
    while (queued.load() < 1)
        std::this_thread::yield();
    EXPECT_EQ(queue.Drain(), 1u);
    EXPECT_EQ(ran, std::vector<int>{1});
    EXPECT_EQ(queue.Drain(), 1u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    first.join();
    second.join();
}
