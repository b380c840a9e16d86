// LZW encoding of a frame's colour indices, for writing GIF files: the
// minimum code size, then the codes in data sub-blocks of 255 bytes, the
// end code and the 0-length terminator. The table starts with a clear code
// and is cleared again whenever its 4096 entries are used.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tremalu {

class TStream;

void EncodeGIFPixels(TStream& stream, const uint8_t* pixels, size_t count);

}  // namespace tremalu
