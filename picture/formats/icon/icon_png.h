// Icon images stored as PNG files (as icon files of 256 × 256 pixels and
// most recent ones do), decoded with libpng.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tremalu {

// Whether the image data starts with the PNG signature.
bool IsPngData(const uint8_t* data, size_t size);

struct TPngPixels {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels;  // top-down, 0xAARRGGBB, alpha not premultiplied
};

// Decodes a PNG image. EInvalidGraphic "Image icône incorrecte" when libpng
// cannot read it or it is larger than an icon image can sensibly be
// (MaxPngIconPixels).
inline constexpr uint64_t MaxPngIconPixels = uint64_t{1} << 24;
TPngPixels DecodePngIcon(const uint8_t* data, size_t size);

}  // namespace tremalu
