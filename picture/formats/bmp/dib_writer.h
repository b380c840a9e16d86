// Writing bitmaps as BMP files: a 14-byte file header ("BM", file size, two
// reserved words, pixel offset), the info header (40 bytes, or the 12-byte
// OS/2 core header for pictures read from OS/2 files), the masks of a
// BI_BITFIELDS picture, the colour table (4-byte entries; 3-byte in the OS/2
// layout) and the pixel rows as the pixel buffer stores them.
#pragma once

#include "core/palette.h"
#include "raster/bitmap.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <vector>

namespace tremalu {

class TStream;

inline constexpr uint32_t BmpFileHeaderSize = 14;

// Everything a BMP file holds before its pixel rows.
struct TBmpFileHead {
    std::vector<uint8_t> Bytes;  // file header, info header, masks, colour table
    uint32_t ImageSize = 0;      // the pixel bytes that follow
};

// The head of the BMP file of pixels of this layout. Fills in what the file
// records of the description: BI_BITFIELDS masks that were never given take
// their defaults, and the colours used become the number of colour entries
// written.
TBmpFileHead MakeBmpFileHead(const TPixelLayout& layout, TBitmapDescription& description, const HPALETTE& palette,
                             bool os2, bool halftone);

// A 32-bit BMP file of device pixels (blue, green, red, 0), written a row at
// a time from the top into a stream that can seek: the file stores its rows
// bottom-up, so each row goes straight to its own place and the picture is
// never held whole. The bytes are those of a new device bitmap of the same
// pixels written with TBitmap::WriteToStream.
class TBmpRowWriter {
public:
    TBmpRowWriter(TStream& out, int32_t width, int32_t height);
    void WriteRow(const uint8_t* devicePixels);
    // Leaves the stream after the last byte of the file, every row written.
    void Finish();

private:
    TStream& Out;
    int64_t PixelStart;
    uint64_t Stride;
    int32_t Height;
    int32_t Next = 0;
};

// A 14-byte file header followed by a DIB kept as it was read (a compressed
// file written back unchanged).
void WriteBmpFileAround(TStream& stream, const uint8_t* dib, uint32_t size);

}  // namespace tremalu
