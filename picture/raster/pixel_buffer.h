// Pixel memory: the stand-in for a platform bitmap.
//
// A buffer holds width × height pixels in the layout of a device-independent
// bitmap: rows padded to 32 bits, stored bottom-up (the last row first) or
// top-down, 1, 4, 8, 16, 24 or 32 bits per pixel, a colour table for the
// indexed depths and channel masks for 16 and 32 bits. The display's own
// format ("device format") is 32 bits per pixel, bytes blue, green, red and an
// unused byte that is kept 0.
//
// Every buffer converts its rows to and from device pixels, which is how
// drawing treats all formats alike.
#pragma once

#include "core/palette.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tremalu {

inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_RLE8 = 1;
inline constexpr uint32_t BI_RLE4 = 2;
inline constexpr uint32_t BI_BITFIELDS = 3;

// The unused byte of a device pixel is cleared by every conversion and every
// drawing operation.
inline constexpr uint32_t DeviceColorBits = 0x00FFFFFF;

// The display as the picture kinds that adapt to it see it: bits per pixel
// and colour planes of the device format.
inline constexpr int DisplayBitsPerPixel = 32;
inline constexpr int DisplayPlanes = 1;
// Its logical pixels per inch, and the size of its standard icons.
inline constexpr int DisplayPixelsPerInch = 96;
inline constexpr int DisplayIconSize = 32;

struct TPixelLayout {
    int32_t Width = 0;
    int32_t Height = 0;  // always positive; TopDown tells the row order
    int BitsPerPixel = 32;
    bool TopDown = false;
    uint32_t Compression = BI_RGB;  // BI_RGB or BI_BITFIELDS
    uint32_t Masks[3] = {0, 0, 0};  // red, green, blue, with BI_BITFIELDS
    std::vector<TRGBQuad> ColorTable;
};

class TPixelBuffer {
public:
    // Allocates zeroed pixel memory; raises EOutOfMemory "Mémoire
    // insuffisante" past 2^28 pixels, on size overflow or when the memory
    // cannot be had.
    explicit TPixelBuffer(TPixelLayout layout);
    // Wraps memory owned by someone else (a window's backing image).
    TPixelBuffer(TPixelLayout layout, uint8_t* bits, size_t stride);
    ~TPixelBuffer();
    TPixelBuffer(const TPixelBuffer&) = delete;
    TPixelBuffer& operator=(const TPixelBuffer&) = delete;

    // A device-format buffer (32 bits, bottom-up) of the given size.
    static std::unique_ptr<TPixelBuffer> MakeDevice(int32_t width, int32_t height);
    // A monochrome buffer (1 bit, black then white).
    static std::unique_ptr<TPixelBuffer> MakeMonochrome(int32_t width, int32_t height);
    std::unique_ptr<TPixelBuffer> Clone() const;

    int32_t Width() const { return Layout.Width; }
    int32_t Height() const { return Layout.Height; }
    int BitsPerPixel() const { return Layout.BitsPerPixel; }
    bool TopDown() const { return Layout.TopDown; }
    uint32_t Compression() const { return Layout.Compression; }
    const uint32_t* Masks() const { return Layout.Masks; }
    const TPixelLayout& GetLayout() const { return Layout; }
    const std::vector<TRGBQuad>& ColorTable() const { return Layout.ColorTable; }
    void SetColorTable(std::vector<TRGBQuad> table);
    size_t Stride() const { return RowBytes; }
    size_t ByteSize() const { return RowBytes * static_cast<size_t>(Layout.Height); }
    uint8_t* Bits() { return Data; }
    const uint8_t* Bits() const { return Data; }
    bool IsDeviceFormat() const { return Layout.BitsPerPixel == 32 && Layout.Compression == BI_RGB; }
    bool IsMonochrome() const { return Layout.BitsPerPixel == 1; }

    // Row y counted from the top of the picture.
    uint8_t* ScanLine(int32_t y) { return Data + StoredRow(y) * RowBytes; }
    const uint8_t* ScanLine(int32_t y) const { return Data + StoredRow(y) * RowBytes; }
    size_t StoredRow(int32_t y) const
    {
        return static_cast<size_t>(Layout.TopDown ? y : Layout.Height - 1 - y);
    }

    // Colours that a monochrome buffer's 0 and 1 bits take when drawn onto
    // a colour surface: the surface's text and background colours.
    struct MonochromeColors {
        uint32_t Zero;
        uint32_t One;
    };

    // Device pixels of count pixels of row y, starting at column x0.
    void ReadRow(int32_t y, int32_t x0, int32_t count, uint32_t* out,
                 const MonochromeColors* mono = nullptr) const;
    // Device pixels of row y at the given columns (for scaled drawing).
    void ReadRowSampled(int32_t y, const int32_t* columns, int32_t count, uint32_t* out,
                        const MonochromeColors* mono = nullptr) const;
    // Stores device pixels into count pixels of row y from column x0,
    // converting to this buffer's format (nearest colour-table entry for
    // the indexed depths).
    void WriteRow(int32_t y, int32_t x0, int32_t count, const uint32_t* in);

    uint32_t PixelAt(int32_t x, int32_t y) const
    {
        uint32_t p;
        ReadRow(y, x, 1, &p);
        return p;
    }
    void SetPixelAt(int32_t x, int32_t y, uint32_t devicePixel) { WriteRow(y, x, 1, &devicePixel); }

private:
    static uint8_t* AllocateZeroed(size_t bytes, size_t& mapped);

    struct Channel {
        uint32_t Mask = 0;
        int Shift = 0;
        int Width = 0;
        uint8_t Widen[256] = {};  // for widths below 8: raw value to 8 bits
    };
    void PrepareFormat();
    uint32_t PixelFromRaw(uint32_t raw) const;
    uint32_t RawFromPixel(uint32_t devicePixel) const;

    uint32_t NearestIndex(uint32_t devicePixel) const;
    uint32_t RawAt(const uint8_t* row, int32_t x) const;
    uint32_t ConvertRaw(uint32_t raw, const MonochromeColors* mono) const;
    void StoreRaw(uint8_t* row, int32_t x, uint32_t raw);

    TPixelLayout Layout;
    size_t RowBytes = 0;
    uint8_t* Data = nullptr;
    bool Owned = true;
    size_t Mapped = 0;  // the length of a buffer mapped on its own, 0 otherwise
    uint32_t Table32[256] = {};  // the colour table as device pixels
    Channel Channels[3];         // red, green, blue of 16- and 32-bit layouts
    mutable uint32_t LastNearestPixel = 0xFFFFFFFF;
    mutable uint32_t LastNearestIndex = 0;
};

// Whether a depth, compression and mask set describes a layout we hold.
bool IsSupportedLayout(int bitsPerPixel, uint32_t compression);

// The masks that BI_BITFIELDS stands for when a header gives none (all
// three zero): 5-6-5 at 16 bits per pixel, 8-8-8 at 32.
void DefaultBitfieldsMasks(int bitsPerPixel, uint32_t masks[3]);
// Whether a header gave no masks.
inline bool MasksAreZero(const uint32_t masks[3]) { return masks[0] == 0 && masks[1] == 0 && masks[2] == 0; }

// The channel masks that a 16- or 32-bit layout uses: its own with
// BI_BITFIELDS, 5-5-5 or 8-8-8 without.
void EffectiveMasks(const TPixelLayout& layout, uint32_t masks[3]);

}  // namespace tremalu
