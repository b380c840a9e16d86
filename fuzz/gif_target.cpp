// Fuzz target of the GIF reader and of frame drawing: read a stream; when
// that succeeds, draw frame 1 at its own size and stretched onto a small
// bitmap (the one-frame path), draw every frame, make the animation buffer,
// ask for the palette, and write the picture back. Single-threaded: the
// animation paths have targets of their own (gif_painter, gif_threaded).
#include "fuzz_support.h"
#include "gif_fuzz.h"

#include "raster/bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    TGIFImage gif;
    if (!gif_fuzz::Read(gif, data, size))
        return 0;
    gif.DrawOptions = gif_fuzz::Variant(size, DefaultDrawOptions & ~gdAnimate);
    try {
        fuzz_support::DrawAndTouch(gif);
    } catch (const Exception&) {
        // "No global or local color table defined", a memory failure: fine.
    }
    TBitmap target;
    target.SetPixelWidth(9);
    target.SetPixelHeight(7);
    for (const auto& frame : gif.Images) {
        try {
            frame->DrawFrame(target.Surface(), Rect(-2, 1, 11, 5), (gif.DrawOptions & gdTransparent) != 0,
                             (gif.DrawOptions & gdTile) != 0);
        } catch (const Exception&) {
        }
    }
    fuzz_support::Touch(target.PeekPixels()->Bits(), target.PeekPixels()->ByteSize());
    try {
        if (const TBitmap* buffer = gif.BufferAsBitmap(); buffer != nullptr && buffer->PeekPixels() != nullptr)
            fuzz_support::Touch(buffer->PeekPixels()->Bits(), buffer->PeekPixels()->ByteSize());
        gif.Palette();
    } catch (const Exception&) {
    }
    try {
        TMemoryStream written;
        gif.WriteToStream(written);
        fuzz_support::Touch(written.Memory(), written.ByteCount());
    } catch (const Exception&) {
        // A frame over the bitmap limit is not written: "Mémoire insuffisante".
    }
    return 0;
}
