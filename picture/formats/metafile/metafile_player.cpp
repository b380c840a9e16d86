#include "formats/metafile/metafile_player.h"

#include "formats/metafile/emf_records.h"
#include "formats/metafile/player.h"
#include "formats/metafile/player_surface.h"
#include "formats/metafile/wmf_records.h"
#include "raster/pixel_buffer.h"

namespace tremalu {

namespace {

// An enhanced metafile's frame is given in hundredths of a millimetre and
// counts its right and bottom edges in; on the reference device it spans
// the pixels up to and including the one under its right and bottom edges.
TFramePlacement EnhancedPlacement(const TEnhancedHeader& h, const TRect& rect)
{
    TFramePlacement p;
    p.Output = rect;
    if (h.DevicePixels[0] > 0 && h.DeviceMillimetres[0] > 0)
        p.PixelsPerMmX = double(h.DevicePixels[0]) / h.DeviceMillimetres[0];
    if (h.DevicePixels[1] > 0 && h.DeviceMillimetres[1] > 0)
        p.PixelsPerMmY = double(h.DevicePixels[1]) / h.DeviceMillimetres[1];
    p.Left = h.Frame[0] / 100.0 * p.PixelsPerMmX;
    p.Top = h.Frame[1] / 100.0 * p.PixelsPerMmY;
    p.Right = h.Frame[2] / 100.0 * p.PixelsPerMmX + 1;
    p.Bottom = h.Frame[3] / 100.0 * p.PixelsPerMmY + 1;
    return p;
}

}  // namespace

TPlaybackWork PlayMetafile(const TMetafileImage& image, TPixelBuffer& target, const TRect& rect)
{
    if (!image.Records)
        return {};
    const TRect area = Intersect(rect, {0, 0, target.Width(), target.Height()});
    if (area.IsEmpty())
        return {};
    TPlaybackWork work;
    const std::vector<uint8_t>& records = *image.Records;
    TPlayerSurface surface(target, area);
    if (image.Windows) {
        // The placeable header's box is the picture: its window is mapped
        // onto the rectangle, as the metafile's own window records then say.
        const TPlaceableHeader& box = image.Placeable;
        const int32_t width = box.Right - box.Left, height = box.Bottom - box.Top;
        TFramePlacement placement;
        placement.Output = rect;
        placement.Right = width;
        placement.Bottom = height;
        TPlayer player(surface, placement, WindowsObjectCount(records.data(), records.size()));
        player.SetMapMode(MM_ANISOTROPIC);
        player.SetWindowOrg(box.Left, box.Top);
        player.SetWindowExt(width, height);
        player.SetViewportExt(width, height);
        player.FixPageMapping();
        PlayWindowsRecords(player, records.data(), records.size());
        work = player.Work();
    } else {
        TPlayer player(surface, EnhancedPlacement(image.Header, rect), image.Header.ObjectSlots);
        PlayEnhancedRecords(player, records.data(), records.size());
        work = player.Work();
    }
    surface.Finish();
    return work;
}

}  // namespace tremalu
