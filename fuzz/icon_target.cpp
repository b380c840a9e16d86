// Fuzz target of the icon reader: read a stream; when that succeeds, draw
// the icon (where its image is chosen and decoded) at its own size and into
// a rectangle onto a small bitmap, and write it back.
#include "fuzz_support.h"

#include "core/errors.h"
#include "core/streams.h"
#include "formats/icon/icon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    TIcon icon;
    try {
        TReadOnlyMemoryStream input(data, size);
        icon.ReadFromStream(input);
    } catch (const Exception&) {
        return 0;  // refused with the reader's own failure: fine
    }
    try {
        fuzz_support::DrawAndTouch(icon);
    } catch (const Exception&) {
        return 0;  // an unusable image is refused at its first drawing
    }
    TMemoryStream output;
    icon.WriteToStream(output);
    fuzz_support::Touch(output.Memory(), static_cast<size_t>(output.Size()));
    return 0;
}
