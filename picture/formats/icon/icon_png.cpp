#include "formats/icon/icon_png.h"

#include "core/errors.h"

#include <png.h>

#include <cstring>

namespace tremalu {

namespace {

[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(texts::InvalidIcon); }

// Frees libpng's decoder state on every way out.
struct TPngImage {
    png_image Image;
    TPngImage()
    {
        std::memset(&Image, 0, sizeof Image);
        Image.version = PNG_IMAGE_VERSION;
    }
    ~TPngImage() { png_image_free(&Image); }
    TPngImage(const TPngImage&) = delete;
    TPngImage& operator=(const TPngImage&) = delete;
};

}  // namespace

bool IsPngData(const uint8_t* data, size_t size)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof signature && std::memcmp(data, signature, sizeof signature) == 0;
}

TPngPixels DecodePngIcon(const uint8_t* data, size_t size)
{
    // The simplified interface catches libpng's errors itself and reports
    // them by its return value: no jump crosses our frames.
    TPngImage png;
    if (png_image_begin_read_from_memory(&png.Image, data, size) == 0)
        InvalidIcon();
    const uint64_t pixels = uint64_t{png.Image.width} * png.Image.height;
    if (png.Image.width == 0 || png.Image.height == 0 || pixels > MaxPngIconPixels)
        InvalidIcon();
    // Blue, green, red, alpha in memory: a little-endian 0xAARRGGBB.
    png.Image.format = PNG_FORMAT_BGRA;
    TPngPixels out;
    out.Width = static_cast<int32_t>(png.Image.width);
    out.Height = static_cast<int32_t>(png.Image.height);
    out.Pixels.resize(static_cast<size_t>(pixels));
    if (png_image_finish_read(&png.Image, nullptr, out.Pixels.data(), 0, nullptr) == 0)
        InvalidIcon();
    return out;
}

}  // namespace tremalu
