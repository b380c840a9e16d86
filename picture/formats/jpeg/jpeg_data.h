// The compressed form of a JPEG picture, shared between copies.
//
// A TJPEGData holds the exact bytes of one JPEG file and the image size that
// its frame header gives (or that of the bitmap it was encoded from). It is
// reference-counted: a new one has a count of 0, every picture that uses it
// holds one reference, and it is freed with its last reference. Shared data
// is never changed: a picture that needs other data takes a new, empty one.
// Counts change only on the user-interface thread, without a lock.
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

    void TakeReference() { ++ShareCount; }
    // Frees the data when this was its last reference.
    void DropReference()
    {
        if (--ShareCount == 0)
            delete this;
    }
};

}  // namespace tremalu
