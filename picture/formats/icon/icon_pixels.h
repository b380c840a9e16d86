// The drawable form of one icon image, made from its data in the file, and
// how it is drawn.
//
// An image stored as a device-independent bitmap holds its colour (XOR)
// pixels and a 1-bit AND mask; it is drawn by the standard rule: the mask is
// ANDed onto the surface (a 1 keeps the surface's pixel, a 0 clears it),
// then the colour pixels are XORed. A 32-bit image in which some pixel has
// an alpha value, and an image stored as PNG, are drawn with their alpha
// over the surface instead, and the mask plays no part.
#pragma once

#include "formats/icon/icon_directory.h"

#include <cstdint>
#include <vector>

namespace tremalu {

class TPixelBuffer;

struct TIconPixels {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Color;  // top-down, 0x00RRGGBB, or 0xAARRGGBB with Alpha
    std::vector<uint8_t> Mask;    // top-down, 1 where the AND mask keeps the surface
    bool Alpha = false;
};

// Decodes the image data of an entry and brings it to the entry's size
// (nearest pixel, when the data's own size differs). EInvalidGraphic "Image
// icône incorrecte" when the entry lies outside the file or its data is not
// a usable image.
TIconPixels DecodeIconImage(const std::vector<uint8_t>& file, const TIconEntry& entry);

// Draws the image at its own size with its top-left corner at (x, y);
// what falls outside the target is dropped.
void DrawIconPixels(const TIconPixels& image, TPixelBuffer& target, int32_t x, int32_t y);

}  // namespace tremalu
