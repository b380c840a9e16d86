// Artwork carried by the program: BMP files stored in Qt's resource system
// (or any file Qt can open), read through the picture subsystem's own BMP
// reader.
#pragma once

#include "raster/bitmap.h"

#include <QString>

#include <memory>

namespace tremalu {

// Reads the BMP file at path (":/..." for a resource). EFOpenError "Impossible
// d'ouvrir le fichier %s" when it cannot be opened; the BMP reader's own
// failures for bad contents.
std::unique_ptr<TBitmap> LoadResourceBitmap(const QString& path);

}  // namespace tremalu
