// Which kind of file a name saves as: the extension taken after the last
// "/", "\" or ":" and compared upper-cased with ".JPG" and ".BMP".
#pragma once

#include <string>

namespace tremalu {

enum class TSaveKind { Jpeg, Bitmap, None };

TSaveKind SaveKindOf(const std::string& fileName);

class TBitmap;
struct JpegSettings;

// The settings a saved JPEG file is encoded with: those of a new JPEG picture,
// with quality 100 and gray mode off.
JpegSettings SavedJpegSettings();

// Saves a bitmap by its name, as the result window's save button does: a
// baseline colour JPEG file of quality 100 for .jpg, a 32-bit BMP file for
// .bmp. Raises Exception(NothingSavedText) for any other
// name, writing nothing.
void SaveBitmapByName(TBitmap& bitmap, const std::string& fileName);

// Shown when a name ends neither in .jpg nor in .bmp: nothing is written.
inline constexpr const char* NothingSavedText =
    "Rien n'a été enregistré : choisissez un nom de fichier se terminant par .jpg ou .bmp.";

}  // namespace tremalu
