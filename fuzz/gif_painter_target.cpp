// Fuzz target of GIF animation without a thread: read a stream; when that
// succeeds, draw it onto a small bitmap with the painter running inside the
// draw call (every frame of one pass, every disposal, on a clock that never
// sleeps), then draw it again from its animation buffer.
#include "fuzz_support.h"
#include "gif_fuzz.h"

#include "picture_modules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    // As in the program: the modules start on the drawing thread, the one
    // that may run what painters hand over (a painter without a thread runs
    // the queue between its delays).
    static const TPictureModules modules;
    TGIFImage gif;
    if (!gif_fuzz::Read(gif, data, size))
        return 0;
    // Without a thread gdLoopForever would never end the draw.
    gif.DrawOptions = gif_fuzz::Variant(size, DefaultDrawOptions & ~(gdThreaded | gdLoopForever));
    gif.PainterTiming = gif_fuzz::InstantTiming();
    try {
        fuzz_support::DrawAndTouch(gif);
    } catch (const Exception&) {
    }
    return 0;
}
