#include "stereo/side_picture.h"

#include "core/errors.h"

namespace tremalu {

std::unique_ptr<TPicture> LoadSidePicture(const std::string& fileName)
{
    auto picture = std::make_unique<TPicture>();
    picture->ReadFromFile(fileName);
    if (picture->PixelWidth() <= 0 || picture->PixelHeight() <= 0)
        throw EInvalidOp(texts::InvalidFloatOp);
    return picture;
}

}  // namespace tremalu
