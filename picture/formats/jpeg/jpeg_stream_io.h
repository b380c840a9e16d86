// The codec's source and destination managers over our byte streams.
//
// Source: the codec reads through a 4096-byte buffer taken from its memory
// pool. Data that ends before the end-of-image marker is completed with one
// (0xFF 0xD9) after a warning, which the error manager ignores, so a truncated
// file decodes as far as it goes and the codec fills in the rest. Empty data
// is a failure at the first read (the codec's "empty input" code).
//
// Destination: the codec writes through a 4096-byte buffer, also from its
// pool; every full buffer and the rest at the end are appended to the
// stream. A stream that takes fewer bytes than it is given fails with the
// codec's write-failure code.
#pragma once

#include "formats/jpeg/jpeg_codec.h"

#include <cstddef>

namespace tremalu {

class TStream;

inline constexpr size_t CodecBufferSize = 4096;

// The codec reads the stream from its current position. The stream must
// outlive the codec object's use of it.
void SetStreamSource(j_decompress_ptr codec, TStream& stream);

// The codec appends the file to the stream.
void SetStreamDestination(j_compress_ptr codec, TStream& stream);

}  // namespace tremalu
