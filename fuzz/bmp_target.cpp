// Fuzz target of the BMP reader: read a stream; when that succeeds, draw the
// picture at its own size and stretched onto a small bitmap, and write it
// back to memory. Every output byte is touched so that the sanitizers see
// any uninitialised read.
#include "fuzz_support.h"

#include "raster/bitmap.h"
#include "core/errors.h"
#include "core/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    TBitmap bitmap;
    try {
        TReadOnlyMemoryStream input(data, size);
        bitmap.ReadFromStream(input);
    } catch (const Exception&) {
        return 0;  // refused with the reader's own failure: fine
    }
    fuzz_support::DrawAndTouch(bitmap);
    TMemoryStream output;
    bitmap.WriteToStream(output);
    fuzz_support::Touch(output.Memory(), static_cast<size_t>(output.Size()));
    return 0;
}
