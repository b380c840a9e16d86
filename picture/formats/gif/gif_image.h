// TGIFImage: the picture kind of GIF files (GIF87a and GIF89a).
//
// Reading turns a file into a header (the logical screen and the global
// colour table) and a list of frames, each with its extensions and its
// decoded colour indices; nothing is rendered then. Drawing renders a frame
// into a bitmap on first use. A picture of one frame is drawn directly,
// its transparent pixels leaving the destination as it was. A picture of
// several frames is animated: a painter (TGIFPainter) paints the frames one
// after the other, with their delays, into the animation buffer, a bitmap
// of the logical screen's size, and every draw copies that buffer.
//
// Threads: a painter with a thread of its own only waits the delays and
// chooses frames; every paint step goes to the user-interface thread
// through the hand-over queue (core/ui_handover.h). Painters are started,
// stopped and waited for on the user-interface thread only, so the list of
// a picture's painters is that thread's alone and needs no lock; on any
// other thread the picture draws its first frame and starts nothing.
// Re-reading the picture, copying into it and freeing it first stop its
// painters and wait for their threads to end.
#pragma once

#include "core/color.h"
#include "core/graphic.h"
#include "formats/gif/gif_drawing_memory.h"
#include "formats/gif/gif_items.h"
#include "formats/gif/gif_settings.h"
#include "formats/gif/gif_sub_image.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tremalu {

class TBitmap;
class TCustomMemoryStream;
class TGIFPainter;
struct TGIFPainterTiming;

using TGIFImageList = TGIFList<TGIFSubImage>;
using TGIFWarningEvent = std::function<void(const TObject& sender, TGIFSeverity severity, const std::string& text)>;
using TGIFPainterEvent = std::function<void(TGIFPainter& painter)>;

class TGIFImage : public TGraphic {
    TREMALU_DECLARE_CLASS()
public:
    TGIFImage();
    ~TGIFImage() override;

    // From another GIF picture: its header and frames (the drawing state is
    // not shared). Painters of this picture are stopped first.
    void CopyFrom(const TPersistent* source) override;
    // A bitmap destination takes a copy of BufferAsBitmap.
    void CopyTo(TPersistent& dest) const override;
    void DrawOn(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override { return Images.Empty(); }
    // The logical screen's size.
    int32_t PixelHeight() const override { return Header.Height; }
    int32_t PixelWidth() const override { return Header.Width; }
    // The animation buffer's palette, else the cached one, else the colour
    // cube when frames are dithered, else the global table, else frame 1's.
    // "No global or local color table defined" when none can be had.
    HPALETTE Palette() const override;
    // "Image height too small for contained frames" below a frame's extent.
    void SetPixelHeight(int32_t height) override;
    void SetPixelWidth(int32_t width) override;
    void ReadFromStream(TStream& stream) override;
    void WriteToStream(TStream& stream) override;

    // Where every warning of the picture's items ends: the warning listener
    // when there is one, else nothing.
    virtual void Warning(const TObject& sender, TGIFSeverity severity, const std::string& text);
    TGIFWarningEvent OnWarning;

    // Stops the painters and forgets everything read.
    void Clear();

    TGIFHeader Header;
    TGIFImageList Images;

    // ---- drawing (gif_image_draw.cpp)

    TGIFDrawOptions DrawOptions = DefaultDrawOptions;
    int AnimationSpeed = DefaultAnimationSpeed;
    // The background of disposal 2 without gdTransparent; clNone: the
    // global table's background colour, else the window colour.
    TColor DrawBackgroundColor = clNone;
    // Listeners of the painters, copied into each when it starts: start of a
    // run, before a frame, after a frame, start of a further pass, end.
    TGIFPainterEvent OnStartPaint;
    TGIFPainterEvent OnPaint;
    TGIFPainterEvent OnAfterPaint;
    TGIFPainterEvent OnLoop;
    TGIFPainterEvent OnEndPaint;
    // The clock and waits of the painters (the system's when none).
    std::shared_ptr<const TGIFPainterTiming> PainterTiming;

    // gdDither, and either gdAutoDither clear or a palette display.
    bool NeedsDither() const;
    // The animation buffer, made from frame 1 when there is none (and kept:
    // later draws copy it); none for a picture without frames.
    TBitmap* BufferAsBitmap();
    TBitmap* AnimationBuffer() const { return FAnimationBuffer.get(); }
    TGIFPainter* DrawPainter() const { return FDrawPainter; }
    // Painters that have not ended yet.
    size_t PainterCount() const;
    // Stops the painter of DrawOn, waits for its thread and drops the
    // animation buffer.
    void StopAnimation();
    // Stops every painter of the picture, waits for their threads and drops
    // the animation buffer.
    void StopAllPainters();

    // Bytes the picture holds for drawing now: frame bitmaps and masks, the
    // animation buffer, its painters' buffers (gif_drawing_memory.h).
    uint64_t DrawingBytes() const { return FDrawingMemory->Held(); }
    const std::shared_ptr<TGIFDrawingMemory>& DrawingMemory() const { return FDrawingMemory; }

    // Progress of a frame's rendering, reported as the picture's.
    void ReportProgress(TProgressStage stage, uint8_t percent, const std::string& message);

private:
    friend class TGIFPainter;

    void ReadParts(TCustomMemoryStream& stream);
    void ReadBlocks(TStream& stream);
    void DropAnimationBuffer();
    // A bitmap of the logical screen's size with the picture's palette.
    std::unique_ptr<TBitmap> MakeScreenBitmap() const;
    // It, relaying its changes as the picture's.
    std::shared_ptr<TBitmap> MakeAnimationBuffer();
    // What BufferAsBitmap makes: frame 1's bitmap, or frame 1 drawn at its
    // place on a screen bitmap; none without frames. hold takes its bytes.
    std::unique_ptr<TBitmap> MakeFirstFrameBuffer(TGIFDrawingHold& hold) const;
    void DrawBuffer(TCanvas& canvas, const TRect& rect);
    // Makes a painter for the surface; with gdThreaded it is returned not
    // yet started; without, it runs to its end at once and none is
    // returned (its failure, if any, is raised).
    TGIFPainter* StartPainter(TCanvas& canvas, TGIFDrawOptions options, const TRect& rect,
                              std::shared_ptr<TBitmap> target);
    // On the user-interface thread, as a painter's thread ends.
    void PainterFinished(TGIFPainter& painter);
    // Drains the hand-over queue until done says so.
    void WaitOnPainters(const std::function<bool()>& done);
    // Joins and frees painters whose threads have ended.
    void ReapPainters();

    std::vector<std::unique_ptr<TGIFPainter>> FPainters;
    TGIFPainter* FDrawPainter = nullptr;
    std::shared_ptr<TGIFDrawingMemory> FDrawingMemory = std::make_shared<TGIFDrawingMemory>();
    std::shared_ptr<TBitmap> FAnimationBuffer;  // shared with the painter that paints into it
    TGIFDrawingHold FAnimationBufferHold;
    bool FDrawing = false;
    mutable bool FPaletteQuery = false;
    mutable HPALETTE FPalette;
};

}  // namespace tremalu
