#include "stereo/anaglyph_file.h"

#include "stereo/anaglyph.h"
#include "core/errors.h"
#include "formats/bmp/dib_writer.h"
#include "formats/jpeg/jpeg_rows.h"
#include "core/safe_file.h"
#include "stereo/save_rules.h"
#include "core/streams.h"

#include <vector>

namespace tremalu {

void SaveAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height, const std::string& fileName)
{
    SaveAnaglyph(left, right, WholeLeftFrame(width, height), TAnaglyphMix{}, fileName);
}

void SaveAnaglyph(TAnaglyphSource left, TAnaglyphSource right, const TStereoFrame& frame, const TAnaglyphMix& mix,
                  const std::string& fileName)
{
    const TSaveKind kind = SaveKindOf(fileName);
    if (kind == TSaveKind::None)
        throw Exception(NothingSavedText);
    const int32_t width = frame.Width, height = frame.Height;
    // The file is written as it is composed, a row at a time, still safely:
    // into a new file that takes the target's place only once complete.
    TAnaglyphRows rows(left, right, frame, mix);
    TSafeFileStream file(fileName);
    std::vector<uint32_t> row(static_cast<size_t>(width));
    const auto compose = [&](auto& writer) {
        for (int32_t y = 0; y < height; ++y) {
            rows.NextRow(row.data());
            writer.WriteRow(reinterpret_cast<const uint8_t*>(row.data()));
        }
        writer.Finish();
    };
    if (kind == TSaveKind::Jpeg) {
        TJpegRowWriter writer(file, width, height, SavedJpegSettings());
        compose(writer);
    } else {
        TBmpRowWriter writer(file, width, height);
        compose(writer);
    }
    file.Commit();
}

}  // namespace tremalu
