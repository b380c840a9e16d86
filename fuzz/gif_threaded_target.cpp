// Fuzz target of GIF animation with the painter's thread: read a stream;
// when that succeeds, draw it onto a small bitmap (the painter starts, the
// draw waits for its first frame, running the steps it hands over), let it
// paint a few more frames on a clock that never sleeps, then free the
// picture while it runs: the painter must be stopped and joined.
#include "fuzz_support.h"
#include "gif_fuzz.h"

#include "core/ui_handover.h"
#include "picture_modules.h"

#include <chrono>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    // As in the program: the modules start on the drawing thread, which so
    // becomes the user-interface thread that painters hand their steps to.
    static const TPictureModules modules;
    auto gif = std::make_unique<TGIFImage>();
    if (!gif_fuzz::Read(*gif, data, size))
        return 0;
    gif->DrawOptions = gif_fuzz::Variant(size, DefaultDrawOptions | ((size & 16) != 0 ? gdLoopForever : 0));
    gif->PainterTiming = gif_fuzz::InstantTiming();
    try {
        fuzz_support::DrawAndTouch(*gif);
    } catch (const Exception&) {
    }
    for (int steps = 0; steps < 24 && gif->PainterCount() > 0; ++steps) {
        UiHandOver().Drain();
        UiHandOver().WaitForWork(std::chrono::milliseconds(1));
    }
    gif.reset();
    return 0;
}
