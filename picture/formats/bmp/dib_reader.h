// The device-independent bitmap (DIB): an info header, channel masks, a
// colour table and pixel rows, as BMP files, icon images and metafile bitmap
// records all store it. Each step reads one part from a stream, so a caller
// can take the parts from wherever its container keeps them:
//
//   info header   12 bytes (OS/2 layout: size, u16 width, u16 height, planes,
//                 bits per pixel; rows always bottom-up) or 40, 52, 56, 108 or
//                 124 bytes (Windows layouts: size, i32 width, i32 height
//                 (negative: rows top-down), planes, bits per pixel,
//                 compression, image size, two resolutions, colours used,
//                 colours important; from 52 bytes on the red, green and blue
//                 masks at offsets 40, 44 and 48)
//   masks         three u32 after a 40-byte header with BI_BITFIELDS
//   colour table  4-byte entries (blue, green, red, 0); 3-byte in OS/2 files
//   pixels        rows padded to 32 bits, or RLE8/RLE4 codes
//   AND mask      (icon images only) 1 bit per pixel, rows padded to 32 bits,
//                 bottom-up, after the colour pixels
//
// All fields are little-endian. A header that no bitmap of ours can hold is
// refused with EInvalidGraphic "Image bitmap incorrecte" before anything is
// allocated; too few bytes for a header or table give EReadError.
#pragma once

#include "core/palette.h"
#include "raster/bitmap.h"
#include "raster/pixel_buffer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tremalu {

class TStream;

// How many colour-table entries follow the header.
enum class TColorTableRule {
    FromHeader,    // the colours-used field, or 2^bits when it is 0 (files)
    FullForDepth,  // 2, 16 or 256 for 1, 4 or 8 bits, whatever the header says (icons)
};

struct TDibHeader {
    uint32_t HeaderSize = 0;  // as stored (12 for OS/2)
    bool OS2 = false;
    TBitmapInfoHeader Info;   // the OS/2 core header is widened into this
    uint32_t Masks[3] = {0, 0, 0};  // as stored; all zero when none were given
    std::vector<TRGBQuad> ColorTable;
    std::vector<uint8_t> RawInfoHeader;  // the info header's bytes as read (not OS/2)

    bool Compressed() const { return Info.Compression == BI_RLE8 || Info.Compression == BI_RLE4; }
    int32_t Rows() const { return Info.Height < 0 ? -Info.Height : Info.Height; }
    // The bytes of uncompressed pixel rows, or of the RLE codes as the
    // header's image size gives them.
    uint64_t PixelBytes() const;
    // The bytes that the masks and the colour table take after the header.
    uint32_t TableBytes() const;
};

struct TDibReadOptions {
    TColorTableRule TableRule = TColorTableRule::FromHeader;
    int HeightScale = 1;       // icon images store twice their height (colour rows, then mask rows)
    bool WithAndMask = false;  // icon images
};

// Reads the info header and checks it (the stored height divided by the
// options' height scale).
TDibHeader ReadDibInfoHeader(TStream& stream, const TDibReadOptions& options = {});
// Reads the masks (a 40-byte BI_BITFIELDS header) and the colour table.
void ReadDibTables(TStream& stream, TDibHeader& header, const TDibReadOptions& options = {});
// Reads the pixels: at most available bytes (what the container holds) of
// them; rows the data does not reach stay 0. Uncompressed pixels keep the
// file's layout (a device-independent buffer with the colour table and
// masks); RLE pixels are decoded into a device-format buffer, where pixels no
// code sets take colour-table entry 0.
std::unique_ptr<TPixelBuffer> ReadDibPixels(TStream& stream, const TDibHeader& header, uint64_t available);
// Reads the 1-bit AND mask of width × height pixels after an icon's colour
// pixels (black for 0, white for 1); rows the data does not reach stay 0.
std::unique_ptr<TPixelBuffer> ReadDibAndMask(TStream& stream, int32_t width, int32_t height, uint64_t available);

// A whole DIB read in one go, for containers that store it in one piece.
struct TDib {
    TDibHeader Header;
    std::unique_ptr<TPixelBuffer> Pixels;
    std::unique_ptr<TPixelBuffer> AndMask;  // null unless asked for
};
// Reads header, tables, pixels and (if asked) the AND mask from the stream's
// position; available is the number of bytes the DIB may take from there.
TDib ReadDib(TStream& stream, uint64_t available, const TDibReadOptions& options = {});

}  // namespace tremalu
