// TGIFImage: drawing, the animation buffer and the painters.
#include "formats/gif/gif_image.h"

#include "core/ui_handover.h"
#include "formats/gif/gif_painter.h"
#include "raster/bitmap.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace tremalu {

namespace {

// Sets a flag for its lifetime.
class DrawingNow {
public:
    explicit DrawingNow(bool& flag) : Flag(flag) { Flag = true; }
    ~DrawingNow() { Flag = false; }
    DrawingNow(const DrawingNow&) = delete;
    DrawingNow& operator=(const DrawingNow&) = delete;

private:
    bool& Flag;
};

// How long a waiting user-interface thread sleeps when nothing is handed
// over; a painter's state only changes through handed-over steps, which end
// the sleep at once, so this is only a safety net.
constexpr std::chrono::milliseconds IdleWait{50};

}  // namespace

// ---------------------------------------------------------------- drawing

void TGIFImage::DrawOn(TCanvas& canvas, const TRect& rect)
{
    // Not again from inside itself (a change notification of the buffer
    // that ends up drawing this picture).
    if (FDrawing || Images.Empty())
        return;
    DrawingNow drawing(FDrawing);
    const bool transparent = (DrawOptions & gdTransparent) != 0;
    const bool tile = (DrawOptions & gdTile) != 0;
    const bool direct = (DrawOptions & gdDirect) != 0;
    // Only the user-interface thread animates (a painter's steps run there,
    // and nowhere else). On any other thread, a batch job's, the picture is
    // drawn as a picture of one frame is: its first frame.
    if (Images.Count() == 1 || (DrawOptions & gdAnimate) == 0 || !UiHandOver().OnUiThread()) {
        Images.First().DrawFrame(canvas, rect, transparent, tile);
        return;
    }
    if (FAnimationBuffer && !direct) {
        DrawBuffer(canvas, rect);
        return;
    }

    if (FDrawPainter != nullptr && &FDrawPainter->Canvas() == &canvas && FDrawPainter->Rect() == rect)
        return;  // it is painting there already
    StopAnimation();
    TCanvas* target = &canvas;
    TRect area = rect;
    std::shared_ptr<TBitmap> buffer;
    if (!direct) {
        // The buffer and the painter's disposal buffers must fit in the
        // picture's budget together: a picture that cannot be animated is
        // refused here, before either is made.
        area = Bounds(0, 0, Header.Width, Header.Height);
        TGIFDrawingHold hold(FDrawingMemory, GIFDeviceBitmapBytes(Header.Width, Header.Height));
        FDrawingMemory->Check(TGIFPainter::BufferBytes(*this, DrawOptions, area));
        // The animation starts over what the destination shows.
        buffer = MakeAnimationBuffer();
        buffer->Surface().CopyRectangle(area, canvas, rect);
        FAnimationBuffer = buffer;
        FAnimationBufferHold = std::move(hold);
        target = &buffer->Surface();
    }
    TGIFPainter* painter = StartPainter(*target, DrawOptions, area, buffer);
    if (painter == nullptr)
        return;
    try {
        painter->Start();
    } catch (...) {
        // No thread: the painter ends here, before it did anything.
        painter->Finish();
        throw;
    }
    if (direct)
        return;
    WaitOnPainters([&] {
        return FDrawPainter != painter || painter->Stopped() || painter->Painted() || painter->SettleReturned();
    });
    DrawBuffer(canvas, rect);
}

void TGIFImage::DrawBuffer(TCanvas& canvas, const TRect& rect)
{
    TBitmap* buffer = FAnimationBuffer.get();
    if ((DrawOptions & gdTile) == 0) {
        canvas.DrawStretched(rect, buffer);
        return;
    }
    const int64_t w = Header.Width, h = Header.Height;
    if (w <= 0 || h <= 0)
        return;
    const TRect clip = canvas.ClipBounds();
    const int64_t firstRow = std::max<int64_t>(0, (int64_t{clip.Top} - rect.Top - h) / h);
    const int64_t firstColumn = std::max<int64_t>(0, (int64_t{clip.Left} - rect.Left - w) / w);
    for (int64_t y = rect.Top + firstRow * h; y < rect.Bottom && y < clip.Bottom; y += h)
        for (int64_t x = rect.Left + firstColumn * w; x < rect.Right && x < clip.Right; x += w)
            canvas.DrawStretched(Bounds(static_cast<int32_t>(x), static_cast<int32_t>(y), Header.Width, Header.Height),
                                 buffer);
}

std::unique_ptr<TBitmap> TGIFImage::MakeScreenBitmap() const
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPalette(Palette());
    bitmap->SetPixelWidth(Header.Width);
    bitmap->SetPixelHeight(Header.Height);
    return bitmap;
}

std::shared_ptr<TBitmap> TGIFImage::MakeAnimationBuffer()
{
    std::shared_ptr<TBitmap> buffer = MakeScreenBitmap();
    // A change of the buffer is a change of the picture: views showing it
    // repaint from it.
    buffer->OnChange = [this](TObject&) { NotifyChanged(); };
    return buffer;
}

void TGIFImage::DropAnimationBuffer()
{
    if (!FAnimationBuffer)
        return;
    FAnimationBuffer->OnChange = nullptr;
    FAnimationBuffer.reset();
    FAnimationBufferHold.Release();
}

std::unique_ptr<TBitmap> TGIFImage::MakeFirstFrameBuffer(TGIFDrawingHold& hold) const
{
    if (Images.Empty())
        return nullptr;
    TGIFSubImage& first = Images.First();
    if (first.Width == Header.Width && first.Height == Header.Height) {
        TBitmap& frame = first.FrameBitmap();
        hold = TGIFDrawingHold(FDrawingMemory, GIFFrameBitmapBytes(first.Width, first.Height));
        auto copy = std::make_unique<TBitmap>();
        copy->CopyFrom(&frame);
        return copy;
    }
    // Frame 1 at its place, opaque; the rest keeps a new bitmap's white.
    hold = TGIFDrawingHold(FDrawingMemory, GIFDeviceBitmapBytes(Header.Width, Header.Height));
    std::unique_ptr<TBitmap> buffer = MakeScreenBitmap();
    first.DrawFrame(buffer->Surface(), Bounds(0, 0, Header.Width, Header.Height), false, false);
    return buffer;
}

TBitmap* TGIFImage::BufferAsBitmap()
{
    if (!FAnimationBuffer) {
        TGIFDrawingHold hold;
        std::shared_ptr<TBitmap> made = MakeFirstFrameBuffer(hold);
        if (!made)
            return nullptr;
        made->OnChange = [this](TObject&) { NotifyChanged(); };
        FAnimationBuffer = std::move(made);
        FAnimationBufferHold = std::move(hold);
    }
    return FAnimationBuffer.get();
}

// ---------------------------------------------------------------- painters

TGIFPainter* TGIFImage::StartPainter(TCanvas& canvas, TGIFDrawOptions options, const TRect& rect,
                                     std::shared_ptr<TBitmap> target)
{
    if (!UiHandOver().OnUiThread())
        throw std::logic_error("a GIF painter started off the user-interface thread");
    FDrawPainter = nullptr;
    if (Images.Empty() || rect.Left >= rect.Right || rect.Top >= rect.Bottom)
        return nullptr;
    ReapPainters();
    if (Images.Count() == 1)
        options &= static_cast<TGIFDrawOptions>(~(gdThreaded | gdAnimate));
    FPainters.push_back(std::make_unique<TGIFPainter>(*this, canvas, rect, options, std::move(target)));
    TGIFPainter* painter = FPainters.back().get();
    FDrawPainter = painter;
    if ((options & gdThreaded) != 0)
        return painter;
    // Without a thread the whole animation runs here; the painter goes at
    // the end of the call, and its failure with it.
    painter->Execute();
    if (FDrawPainter == painter)
        FDrawPainter = nullptr;
    const std::exception_ptr failure = painter->Failure();
    std::erase_if(FPainters, [painter](const auto& p) { return p.get() == painter; });
    if (failure)
        std::rethrow_exception(failure);
    return nullptr;
}

void TGIFImage::PainterFinished(TGIFPainter& painter)
{
    if (FDrawPainter == &painter)
        FDrawPainter = nullptr;
}

size_t TGIFImage::PainterCount() const
{
    return static_cast<size_t>(
        std::count_if(FPainters.begin(), FPainters.end(), [](const auto& p) { return !p->Ended(); }));
}

void TGIFImage::WaitOnPainters(const std::function<bool()>& done)
{
    TUiHandOver& queue = UiHandOver();
    while (!done()) {
        queue.Drain();
        if (done())
            return;
        queue.WaitForWork(IdleWait);
    }
}

void TGIFImage::ReapPainters()
{
    std::erase_if(FPainters, [](const std::unique_ptr<TGIFPainter>& p) {
        if (!p->Threaded() || !p->SettleReturned())
            return false;
        p->Join();
        return true;
    });
}

void TGIFImage::StopAnimation()
{
    if (TGIFPainter* painter = FDrawPainter) {
        painter->Stop();
        if (painter->Threaded())
            WaitOnPainters([painter] { return painter->SettleReturned(); });
    }
    ReapPainters();
    DropAnimationBuffer();
}

void TGIFImage::StopAllPainters()
{
    // Every painter is told to stop and every thread is waited for: none is
    // ever ended by force, so no bitmap is left half-drawn.
    for (const auto& painter : FPainters)
        painter->Stop();
    WaitOnPainters([this] {
        return std::all_of(FPainters.begin(), FPainters.end(),
                           [](const auto& p) { return !p->Threaded() || p->SettleReturned(); });
    });
    ReapPainters();
    DropAnimationBuffer();
}

}  // namespace tremalu
