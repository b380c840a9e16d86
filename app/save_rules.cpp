#include "save_rules.h"

#include "graphic.h"

namespace tremalu {

TSaveKind SaveKindOf(const std::string& fileName)
{
    const std::string extension = AsciiUpperCase(ExtractPictureExtension(fileName));
    if (extension == "JPG")
        return TSaveKind::Jpeg;
    if (extension == "BMP")
        return TSaveKind::Bitmap;
    return TSaveKind::None;
}

}  // namespace tremalu
