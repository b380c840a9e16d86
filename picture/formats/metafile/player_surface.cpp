#include "formats/metafile/player_surface.h"

#include "core/errors.h"
#include "raster/pixel_buffer.h"

#include <algorithm>

namespace tremalu {

TPlayerSurface::TPlayerSurface(TPixelBuffer& target, const TRect& area) : Target(target), Covered(area)
{
    Image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, area.Width(), area.Height());
    if (cairo_surface_status(Image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(Image);
        throw EOutOfMemory(texts::OutOfMemory);
    }
    // Cairo's RGB24 pixel is a native 32-bit 0x00RRGGBB, the device pixel.
    unsigned char* data = cairo_image_surface_get_data(Image);
    const int stride = cairo_image_surface_get_stride(Image);
    for (int32_t y = 0; y < area.Height(); ++y)
        Target.ReadRow(area.Top + y, area.Left, area.Width(),
                       reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride));
    cairo_surface_mark_dirty(Image);
    Cairo = cairo_create(Image);
    cairo_translate(Cairo, -area.Left, -area.Top);
}

TPlayerSurface::~TPlayerSurface()
{
    cairo_destroy(Cairo);
    cairo_surface_destroy(Image);
}

void TPlayerSurface::Finish()
{
    cairo_surface_flush(Image);
    const unsigned char* data = cairo_image_surface_get_data(Image);
    const int stride = cairo_image_surface_get_stride(Image);
    for (int32_t y = 0; y < Covered.Height(); ++y)
        Target.WriteRow(Covered.Top + y, Covered.Left, Covered.Width(),
                        reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride));
}

namespace {

constexpr uint64_t PaintingsAllowed = 256;
constexpr uint64_t MinimumBudget = uint64_t{1} << 26;
// A few whole-picture operations, and room for the small pictures' own.
constexpr uint64_t RasterPaintingsAllowed = 4;
constexpr uint64_t MinimumRasterBudget = uint64_t{1} << 24;

}  // namespace

TPlayerBudget TPlayerBudget::Work(uint64_t outputPixels)
{
    return TPlayerBudget(outputPixels, PaintingsAllowed, MinimumBudget);
}

TPlayerBudget TPlayerBudget::Raster(uint64_t outputPixels)
{
    return TPlayerBudget(outputPixels, RasterPaintingsAllowed, MinimumRasterBudget);
}

TPlayerBudget::TPlayerBudget(uint64_t outputPixels, uint64_t paintings, uint64_t minimum)
    : Granted(std::max(outputPixels * paintings, minimum)), Left(Granted)
{
}

bool TPlayerBudget::Spend(uint64_t cost)
{
    if (cost >= Left) {
        Left = 0;
        return false;
    }
    Left -= cost;
    return true;
}

}  // namespace tremalu
