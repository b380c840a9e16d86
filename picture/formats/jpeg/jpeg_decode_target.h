// The bitmap that a decode fills: its pixel memory, made at the codec's
// output size, and the rows the codec writes straight into it.
//
// Rows go from the codec to the bitmap without any pass of our own: colour
// output is asked in the bitmap's byte order (blue, green, red) and written
// into the 24-bit rows themselves; quantised output (gray files, 8-bit
// decoding) writes palette indices into 8-bit rows. Only four-component files
// go through a small band of rows that is converted on its way in.
//
// The memory is made zeroed rather than white: every row is written by the
// first output pass, so a white fill would only cost a pass over the whole
// picture. When a decode stops early, the rows it never reached are made
// white then, as a new bitmap of that size would show them.
#pragma once

#include "formats/jpeg/jpeg_codec.h"
#include "core/palette.h"

#include <cstdint>

namespace tremalu {

class TBitmap;

// Rows handed to the codec per call: one iMCU row of a 4:2:0 file.
inline constexpr int DecodeRowsPerCall = 16;

// The number of colours or gray levels that quantised output is reduced to.
inline constexpr int QuantizedColors = 236;

// Whether the file has four components, which are decoded to RGB here.
bool IsFourComponentFile(const jpeg_decompress_struct& codec);

// The palette of quantised output, from the codec's colour map: gray levels
// for one-component output, otherwise red = component 2, green = 1, blue = 0.
HPALETTE PaletteFromColorMap(const jpeg_decompress_struct& codec);

class TJpegDecodeTarget {
public:
    TJpegDecodeTarget(TBitmap& bitmap, jpeg_decompress_struct& codec, bool gray);

    // After jpeg_start_decompress: makes the bitmap output_width ×
    // output_height, 8 bits per pixel with the palette when eightBit, 24
    // otherwise. Raises EJPEG with the codec's "conversion not implemented"
    // code if the codec's output would not fit those rows.
    void Create(bool eightBit, HPALETTE palette);
    bool Created() const { return IsCreated; }

    // Reads all rows of the current output pass, top row first.
    void ReadPass();
    // Gives the 8-bit bitmap another palette; the pixels are kept as they are
    // (the next output pass rewrites them with indices into it).
    void ReplacePalette(HPALETTE palette);
    // Makes white the rows that no output pass has reached.
    void WhitenUndecodedRows();

private:
    TBitmap& Bitmap;
    jpeg_decompress_struct& Codec;
    const bool Gray;  // four-component files shown in gray
    bool IsCreated = false;
    bool EightBit = false;
    bool FourComponents = false;
    JSAMPARRAY Band = nullptr;  // four-component rows on their way in
    uint32_t RowsReached = 0;   // rows written by the first output pass
};

}  // namespace tremalu
