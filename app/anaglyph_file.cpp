#include "anaglyph_file.h"

#include "anaglyph.h"
#include "core/errors.h"
#include "formats/jpeg/jpeg_rows.h"
#include "core/safe_file.h"
#include "save_rules.h"
#include "core/streams.h"

#include <vector>

namespace tremalu {

void SaveAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height, const std::string& fileName)
{
    switch (SaveKindOf(fileName)) {
    case TSaveKind::Jpeg: {
        TAnaglyphRows rows(left, right, width, height);
        // The file is written as it is encoded, still safely: into a new
        // file that takes the target's place only once complete.
        TSafeFileStream file(fileName);
        TJpegRowWriter writer(file, width, height, SavedJpegSettings());
        std::vector<uint32_t> row(static_cast<size_t>(width));
        for (int32_t y = 0; y < height; ++y) {
            rows.NextRow(row.data());
            writer.WriteRow(reinterpret_cast<const uint8_t*>(row.data()));
        }
        writer.Finish();
        file.Commit();
        return;
    }
    case TSaveKind::Bitmap:
        // A BMP file stores its rows from the bottom up: the picture is
        // composed whole first, then saved as the save button saves it.
        SaveBitmapByName(*ComposeAnaglyph(left, right, width, height), fileName);
        return;
    default:
        throw Exception(NothingSavedText);
    }
}

}  // namespace tremalu
