// The compressed form of a JPEG picture, shared between copies.
//
// A TJPEGData holds the exact bytes of one JPEG file and the image size that
// its frame header gives (or that of the bitmap it was encoded from). The
// pictures that use it share it (std::shared_ptr), and it is freed with the
// last of them, whichever thread that is on. Bytes once held are never
// changed: a picture that needs other bytes takes a new, empty data. Copies
// made from one bitmap before it was encoded share a data without bytes, and
// the first of them to be written encodes them for all.
#pragma once

#include "raster/bitmap.h"
#include "core/streams.h"

#include <cstdint>
#include <memory>

namespace tremalu {

class TJPEGData : public TSharedImage {
public:
    // The complete bytes of one JPEG file; none until the picture is read or
    // encoded.
    std::unique_ptr<TMemoryStream> Encoded;
    int32_t HeaderWidth = 0;
    int32_t HeaderHeight = 0;
};

}  // namespace tremalu
