// Bitmaps: a source rectangle of a bitmap carried onto a logical rectangle
// of the page (stretched, mirrored, turned with the page), combined with
// the output by a raster operation, or blended by its alpha.
#include "formats/metafile/player.h"

#include "core/color.h"
#include "core/errors.h"
#include "raster/pixel_buffer.h"

#include <algorithm>

namespace tremalu {

namespace {

uint32_t PixelOf(TColorRef color) { return DevicePixel(static_cast<TColor>(color & 0xFFFFFF)); }

void AddParallelogram(cairo_t* cr, const TPointD c[3])
{
    cairo_new_path(cr);
    cairo_move_to(cr, c[0].X, c[0].Y);
    cairo_line_to(cr, c[1].X, c[1].Y);
    cairo_line_to(cr, c[1].X + c[2].X - c[0].X, c[1].Y + c[2].Y - c[0].Y);
    cairo_line_to(cr, c[2].X, c[2].Y);
    cairo_close_path(cr);
}

// The source rectangle as a cairo image: opaque, or with premultiplied
// alpha.
cairo_surface_t* SourceImage(const TSourceBitmap& source, uint32_t zero, uint32_t one)
{
    const bool alpha = !source.Alpha.empty();
    cairo_surface_t* image =
        cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, source.Width, source.Height);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
        return image;
    const TPixelBuffer& pixels = *source.Pixels;
    const TPixelBuffer::MonochromeColors mono{zero, one};
    const bool colour = source.ColorsFromContext && pixels.IsMonochrome();
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int32_t j = 0; j < source.Height; ++j) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(j) * stride);
        pixels.ReadRow(source.Top + j, source.Left, source.Width, row, colour ? &mono : nullptr);
        if (alpha) {
            const uint8_t* a = source.Alpha.data() + static_cast<size_t>(source.Top + j) * pixels.Width() + source.Left;
            for (int32_t i = 0; i < source.Width; ++i) {
                // Colours above their alpha are not premultiplied values:
                // they are held down to it.
                const uint32_t p = row[i];
                const uint32_t r = std::min<uint32_t>((p >> 16) & 0xFF, a[i]);
                const uint32_t g = std::min<uint32_t>((p >> 8) & 0xFF, a[i]);
                const uint32_t b = std::min<uint32_t>(p & 0xFF, a[i]);
                row[i] = (uint32_t{a[i]} << 24) | (r << 16) | (g << 8) | b;
            }
        }
    }
    cairo_surface_mark_dirty(image);
    return image;
}

}  // namespace

bool TPlayer::CombineBand(const TRect& band, const TPointD corners[3], cairo_pattern_t* pattern, uint8_t function,
                          uint32_t brush)
{
    cairo_surface_t* laid = cairo_image_surface_create(CAIRO_FORMAT_RGB24, band.Width(), band.Height());
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, band.Width(), band.Height());
    if (cairo_surface_status(laid) != CAIRO_STATUS_SUCCESS || cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(laid);
        cairo_surface_destroy(mask);
        return false;
    }
    cairo_t* l = cairo_create(laid);
    cairo_translate(l, -band.Left, -band.Top);
    cairo_set_antialias(l, CAIRO_ANTIALIAS_NONE);
    cairo_t* m = MaskContext(mask, band);
    if (pattern != nullptr) {
        cairo_set_source(l, pattern);
        cairo_paint(l);
    }
    AddParallelogram(m, corners);
    cairo_fill(m);
    cairo_destroy(l);
    cairo_destroy(m);
    cairo_surface_flush(laid);
    cairo_surface_flush(mask);
    cairo_surface_t* target = Output.Surface();
    cairo_surface_flush(target);
    const TRect& out = Output.Area();
    const unsigned char* s = cairo_image_surface_get_data(laid);
    const unsigned char* k = cairo_image_surface_get_data(mask);
    unsigned char* d = cairo_image_surface_get_data(target);
    const int sStride = cairo_image_surface_get_stride(laid), kStride = cairo_image_surface_get_stride(mask);
    const int dStride = cairo_image_surface_get_stride(target);
    for (int j = 0; j < band.Height(); ++j) {
        const auto* src = reinterpret_cast<const uint32_t*>(s + static_cast<size_t>(j) * sStride);
        const unsigned char* cover = k + static_cast<size_t>(j) * kStride;
        auto* dst = reinterpret_cast<uint32_t*>(d + static_cast<size_t>(band.Top - out.Top + j) * dStride) +
                    (band.Left - out.Left);
        for (int i = 0; i < band.Width(); ++i)
            if (cover[i] != 0)
                dst[i] = ApplyRop(function, brush, src[i], dst[i]) & DeviceColorBits;
    }
    cairo_surface_mark_dirty(target);
    cairo_surface_destroy(laid);
    cairo_surface_destroy(mask);
    return true;
}

void TPlayer::StretchBitmap(double x, double y, double width, double height, const TSourceBitmap* source,
                            TRasterOp rop)
{
    const TPointD corners[3] = {ToOutput.Apply({x, y}), ToOutput.Apply({x + width, y}),
                                ToOutput.Apply({x, y + height})};
    Blit(corners, source, rop, 255, false);
}

void TPlayer::AlphaBitmap(double x, double y, double width, double height, const TSourceBitmap& source,
                          uint8_t constantAlpha)
{
    const TPointD corners[3] = {ToOutput.Apply({x, y}), ToOutput.Apply({x + width, y}),
                                ToOutput.Apply({x, y + height})};
    Blit(corners, &source, SRCCOPY, constantAlpha, true);
}

void TPlayer::Blit(const TPointD corners[3], const TSourceBitmap* source, TRasterOp rop, uint8_t constantAlpha,
                   bool blend)
{
    TPath area;
    TShapeBuilder b(area, TAffine{});
    b.Polygon({corners[0], corners[1], {corners[1].X + corners[2].X - corners[0].X,
                                        corners[1].Y + corners[2].Y - corners[0].Y},
               corners[2]});
    const uint8_t function = RopFunction(rop);
    const bool usesSource = RopUsesSource(function);
    if (usesSource && (source == nullptr || !source->Pixels || source->Width <= 0 || source->Height <= 0))
        return;
    const uint64_t sourcePixels =
        usesSource ? static_cast<uint64_t>(source->Width) * static_cast<uint64_t>(source->Height) : 0;
    if (!Affordable(area, 1) || !Budget.Spend(sourcePixels))
        return;
    ApplyClip();

    // Operations without a source work on the brush and the output alone.
    if (!usesSource) {
        const int rop2 = State.Rop2;
        State.Rop2 = R2_COPYPEN;
        if (rop == PATCOPY)
            Paint(area, true, State.Brush.Color, &State.Brush);
        else if (rop == BLACKNESS || rop == WHITENESS)
            Paint(area, true, rop == BLACKNESS ? 0x000000 : 0xFFFFFF, nullptr);
        State.Rop2 = rop2;
        if (rop == PATCOPY || rop == BLACKNESS || rop == WHITENESS || !RopUsesDestination(function))
            return;
    }

    // The source's pixel (u, v) lands at corner 0 + u/w × (corner 1 − corner
    // 0) + v/h × (corner 2 − corner 0); cairo wants the inverse.
    cairo_pattern_t* pattern = nullptr;
    cairo_surface_t* image = nullptr;
    if (usesSource) {
        TAffine toOutput;
        toOutput.M11 = (corners[1].X - corners[0].X) / source->Width;
        toOutput.M12 = (corners[1].Y - corners[0].Y) / source->Width;
        toOutput.M21 = (corners[2].X - corners[0].X) / source->Height;
        toOutput.M22 = (corners[2].Y - corners[0].Y) / source->Height;
        toOutput.Dx = corners[0].X;
        toOutput.Dy = corners[0].Y;
        TAffine toSource;
        if (!toOutput.Invert(toSource))
            return;
        image = SourceImage(*source, PixelOf(State.TextColor), PixelOf(State.BkColor));
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(image);
            return;
        }
        pattern = cairo_pattern_create_for_surface(image);
        cairo_matrix_t m;
        cairo_matrix_init(&m, toSource.M11, toSource.M12, toSource.M21, toSource.M22, toSource.Dx, toSource.Dy);
        cairo_pattern_set_matrix(pattern, &m);
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    }

    if (usesSource && (rop == SRCCOPY || blend)) {
        cairo_save(Cairo);
        AddParallelogram(Cairo, corners);
        cairo_clip(Cairo);
        cairo_set_source(Cairo, pattern);
        cairo_paint_with_alpha(Cairo, constantAlpha / 255.0);
        cairo_restore(Cairo);
    } else {
        // Any other operation: the source (if any) is laid out on the
        // output's grid first, then combined pixel by pixel under the
        // parallelogram with the brush colour as the pattern, a band of
        // rows at a time.
        double x1, y1, x2, y2;
        AddParallelogram(Cairo, corners);
        cairo_fill_extents(Cairo, &x1, &y1, &x2, &y2);
        cairo_new_path(Cairo);
        const TRect box = ReachedArea(x1, y1, x2, y2, 0);
        if (!box.IsEmpty() && AffordRaster(box)) {
            const uint32_t brush = PixelOf(State.Brush.Color);
            const int32_t rows = RasterBandRows(box.Width());
            for (int32_t top = box.Top; top < box.Bottom; top += rows) {
                const TRect band{box.Left, top, box.Right, std::min(box.Bottom, top + rows)};
                if (!CombineBand(band, corners, pattern, function, brush)) {
                    cairo_pattern_destroy(pattern);
                    cairo_surface_destroy(image);
                    throw EOutOfMemory(texts::OutOfMemory);
                }
            }
        }
    }
    if (pattern != nullptr)
        cairo_pattern_destroy(pattern);
    if (image != nullptr)
        cairo_surface_destroy(image);
}

}  // namespace tremalu
