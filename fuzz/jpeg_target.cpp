// Fuzz target of the JPEG reader: read a stream; when that succeeds, write it
// back (the bytes must be exactly those read), then draw the picture, which
// is where decoding happens (first the reduced copy a preview draws from,
// then at full size), and encode the decoded bitmap again. The decode
// settings are picked from the input's length so that every decode path is
// reached (scan by scan, 8-bit, gray, fast, reduced).
#include "fuzz_support.h"

#include "raster/bitmap.h"
#include "core/checked_math.h"
#include "core/errors.h"
#include "formats/jpeg/jpeg_image.h"
#include "core/streams.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Larger pictures cost the fuzzer time and memory without reaching other
// code; sizes above the bitmap limit are still drawn, since they are refused
// before anything is allocated.
constexpr uint64_t MaxDecodedPixels = uint64_t{1} << 20;
constexpr uint64_t MaxReencodedPixels = uint64_t{1} << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    TJPEGImage jpeg;
    const unsigned variant = static_cast<unsigned>(size % 32);
    jpeg.SetScanByScanDisplay((variant & 1) != 0);
    jpeg.SetBitmapDepth((variant & 2) != 0 ? TJPEGBitmapDepth::Depth8 : TJPEGBitmapDepth::Depth24);
    jpeg.SetGrayMode((variant & 4) != 0);
    jpeg.SetDecodeSpeed((variant & 8) != 0 ? TJPEGDecodeSpeed::FavourSpeed : TJPEGDecodeSpeed::FavourQuality);
    jpeg.SetReduceBy((variant & 16) != 0 ? TJPEGReduction::ReduceHalf : TJPEGReduction::ReduceNone);
    try {
        TReadOnlyMemoryStream input(data, size);
        jpeg.ReadFromStream(input);
    } catch (const Exception&) {
        return 0;  // refused with the reader's own failure: fine
    }

    TMemoryStream again;
    jpeg.WriteToStream(again);
    if (again.ByteCount() != size || (size > 0 && std::memcmp(again.Memory(), data, size) != 0))
        std::abort();  // a picture read and written unchanged must give its bytes back

    const uint64_t pixels = static_cast<uint64_t>(jpeg.PixelWidth()) * static_cast<uint64_t>(jpeg.PixelHeight());
    if (pixels > MaxDecodedPixels && pixels <= MaxBitmapPixels)
        return 0;
    // The reduced copy that a preview draws from: the same bytes decoded at
    // a DCT scale (1/8 of the size here), its failures the codec's own.
    try {
        if (TBitmap* scaled = jpeg.ScaledBitmap(std::max(1, jpeg.PixelWidth() / 8), std::max(1, jpeg.PixelHeight() / 8));
            scaled != nullptr && !scaled->IsEmpty())
            fuzz_support::Touch(scaled->PeekPixels()->Bits(), scaled->PeekPixels()->ByteSize());
    } catch (const Exception&) {
        // Refused as the full decode below refuses it: fine.
    }
    try {
        fuzz_support::DrawAndTouch(jpeg);
    } catch (const Exception&) {
        // The codec's failure text, or "Mémoire insuffisante": fine. What was
        // decoded stays and is drawn again without a new attempt.
        fuzz_support::DrawAndTouch(jpeg);
    }
    const TBitmap& decoded = jpeg.DecodedBitmap();
    if (decoded.IsEmpty())
        return 0;
    const TPixelBuffer* rows = decoded.PeekPixels();
    fuzz_support::Touch(rows->Bits(), rows->ByteSize());
    if (pixels > MaxReencodedPixels)
        return 0;
    TJPEGImage copy;
    copy.SetGrayMode(jpeg.GrayMode());
    copy.CopyFrom(&decoded);
    TMemoryStream encoded;
    copy.WriteToStream(encoded);
    fuzz_support::Touch(encoded.Memory(), encoded.ByteCount());
    return 0;
}
