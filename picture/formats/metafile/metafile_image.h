// The data of a metafile picture, shared by the copies of the picture.
#pragma once

#include "formats/metafile/metafile_headers.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tremalu {

struct TMetafileImage {
    // The metafile: an enhanced metafile whole, header record first, or the
    // Windows metafile that follows a placeable header. Null when there is
    // none (a new picture); the bytes never change once read.
    std::shared_ptr<const std::vector<uint8_t>> Records;
    bool Windows = false;
    TEnhancedHeader Header;       // of an enhanced metafile
    TPlaceableHeader Placeable;   // of a Windows metafile
    int32_t Width = 0;            // hundredths of a millimetre
    int32_t Height = 0;
    uint16_t UnitsPerInch = 0;    // of a Windows metafile; 0 for enhanced ones
    int32_t PendingWidth = 0;     // pixel sizes set while there is no metafile
    int32_t PendingHeight = 0;
};

}  // namespace tremalu
