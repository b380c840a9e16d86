// Fuzz target of the BMP reader: read a stream; when that succeeds, draw the
// picture at its own size and stretched onto a small bitmap, and write it
// back to memory. Every output byte is touched so that the sanitizers see
// any uninitialised read.
#include "fuzz_support.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "core/little_endian.h"
#include "core/streams.h"
#include "raster/bitmap.h"

#include <cstdlib>

namespace {

// A few bytes may declare a picture of 2^28 pixels, which the reader then
// allocates and the harness writes back whole: thousands of times slower
// without reaching other code. Such inputs are skipped, except those over
// the bitmap limit, which are refused before anything is allocated.
constexpr uint64_t MaxDeclaredPixels = uint64_t{1} << 22;

uint64_t DeclaredPixels(const uint8_t* data, size_t size)
{
    const tremalu::TLittleEndianReader file(data, size);
    if (size < 26)
        return 0;
    if (file.U32(14) == 12)
        return uint64_t{file.U16(18)} * file.U16(20);
    return static_cast<uint64_t>(std::llabs(file.I32(18))) * static_cast<uint64_t>(std::llabs(file.I32(22)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    const uint64_t declared = DeclaredPixels(data, size);
    if (declared > MaxDeclaredPixels && declared <= MaxBitmapPixels)
        return 0;
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
