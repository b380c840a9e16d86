#include "formats/metafile/metafile_headers.h"

#include "core/little_endian.h"

namespace tremalu {

bool LooksEnhanced(const uint8_t* bytes)
{
    const TLittleEndianReader f(bytes, EnhancedLookAhead);
    return f.U32(0) == 1 && f.U32(40) == EnhancedSignature;
}

TEnhancedHeader ReadEnhancedHeader(const uint8_t* bytes, size_t size)
{
    const TLittleEndianReader f(bytes, size);
    TEnhancedHeader h;
    h.RecordSize = f.U32(4);
    for (int k = 0; k < 4; ++k)
        h.Frame[k] = f.I32(24 + 4 * k);
    h.TotalSize = f.U32(48);
    h.ObjectSlots = f.U16(56);
    h.DevicePixels[0] = f.I32(72);
    h.DevicePixels[1] = f.I32(76);
    h.DeviceMillimetres[0] = f.I32(80);
    h.DeviceMillimetres[1] = f.I32(84);
    return h;
}

bool ReadPlaceableHeader(const uint8_t* bytes, TPlaceableHeader& header)
{
    const TLittleEndianReader f(bytes, PlaceableHeaderSize);
    uint16_t sum = 0;
    for (size_t at = 0; at < 20; at += 2)
        sum ^= f.U16(at);
    if (f.U32(0) != PlaceableKey || sum != f.U16(20))
        return false;
    header.Left = f.I16(6);
    header.Top = f.I16(8);
    header.Right = f.I16(10);
    header.Bottom = f.I16(12);
    header.UnitsPerInch = f.U16(14);
    return true;
}

}  // namespace tremalu
