// Fuzz target of the JPEG row path, the one the batch composition takes: a
// JPEG side is read row by row as the codec decodes it (no bitmap, no
// progress listener) and composed against a small fixed bitmap, as LEFT or
// as RIGHT, from a picture's bytes or straight from a stream read a buffer
// at a time as a file is, depending on the input's length. Every composed
// row is touched.
#include "fuzz_support.h"

#include "stereo/anaglyph.h"
#include "core/errors.h"
#include "core/streams.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_rows.h"
#include "raster/bitmap.h"

#include <vector>

namespace {

// Larger pictures cost the fuzzer time without reaching other code.
constexpr uint64_t MaxComposedPixels = uint64_t{1} << 20;

// Bytes in memory that the codec's source copies out a buffer at a time, as
// it does from a file (it reads plain memory streams where they lie).
class TCopiedStream final : public tremalu::TReadOnlyMemoryStream {
public:
    using TReadOnlyMemoryStream::TReadOnlyMemoryStream;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    TJPEGImage jpeg;
    try {
        TReadOnlyMemoryStream input(data, size);
        jpeg.ReadFromStream(input);
    } catch (const Exception&) {
        return 0;  // refused with the reader's own failure: fine
    }
    const int32_t width = jpeg.PixelWidth(), height = jpeg.PixelHeight();
    if (width <= 0 || height <= 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > MaxComposedPixels)
        return 0;

    TBitmap other;
    other.SetPixelWidth(7);
    other.SetPixelHeight(5);
    other.Surface().Brush().SetColor(clAqua);
    other.Surface().FillRectangle({0, 0, 3, 5});
    const bool jpegIsLeft = size % 2 == 0;
    try {
        std::unique_ptr<TJpegRowReader> fileRows;
        if (size % 4 >= 2)
            fileRows = TJpegRowReader::Open(std::make_unique<TCopiedStream>(data, size));
        const TAnaglyphSource side = fileRows ? TAnaglyphSource(*fileRows) : TAnaglyphSource(&jpeg);
        TAnaglyphRows rows(jpegIsLeft ? side : &other, jpegIsLeft ? &other : side, WholeLeftFrame(width, height),
                           TAnaglyphMix{});
        std::vector<uint32_t> row(static_cast<size_t>(width));
        for (int32_t y = 0; y < height; ++y) {
            rows.NextRow(row.data());
            fuzz_support::Touch(reinterpret_cast<const uint8_t*>(row.data()), row.size() * 4);
        }
    } catch (const Exception&) {
        // The codec's failure text, or "Mémoire insuffisante": fine.
    }
    return 0;
}
