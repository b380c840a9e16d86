// What the two metafile fuzz targets (wmf and emf, one per form and corpus)
// do with an input: read it; when that succeeds, play the records onto a
// small bitmap at the picture's own size and into a rectangle, and write it
// back.
#pragma once

#include "fuzz_support.h"

#include "core/errors.h"
#include "core/streams.h"
#include "formats/metafile/metafile.h"

namespace fuzz_support {

// Pictures that declare more pixels than this are read but not drawn: the
// output is small whatever they declare, so they reach no other code.
inline constexpr uint64_t MaxDeclaredMetafilePixels = uint64_t{1} << 22;

inline int ReadAndDrawMetafile(const uint8_t* data, size_t size)
{
    using namespace tremalu;
    TMetafile metafile;
    try {
        TReadOnlyMemoryStream input(data, size);
        metafile.ReadFromStream(input);
    } catch (const Exception&) {
        return 0;  // refused with the reader's own failure: fine
    }
    const int64_t w = metafile.PixelWidth(), h = metafile.PixelHeight();
    if (w > 0 && h > 0 && static_cast<uint64_t>(w) * static_cast<uint64_t>(h) <= MaxDeclaredMetafilePixels)
        DrawAndTouch(metafile);
    TMemoryStream output;
    metafile.WriteToStream(output);
    Touch(output.Memory(), static_cast<size_t>(output.Size()));
    return 0;
}

}  // namespace fuzz_support
