// The two pictures of a stereo pair as the batch tool loads them: from two
// files, from a stereo camera's file (MPO: the first two images of its
// index; JPS: a side-by-side JPEG whose left half is the RIGHT eye's
// picture, the cross-eyed convention of the format), or from any picture
// taken as side by side with the LEFT eye's picture on the left.
#pragma once

#include "stereo/anaglyph.h"
#include "core/graphic.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tremalu {

// One eye's picture: a rectangle of a loaded picture, or of a JPEG file
// whose rows are read as they are composed.
struct TStereoView {
    TGraphic* Graphic = nullptr;  // the picture; none for rows
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    TJpegRowReader* Rows = nullptr;  // the rows

    TAnaglyphSource Source() const { return Rows != nullptr ? TAnaglyphSource(*Rows) : TAnaglyphSource(Graphic); }
};

class TStereoPair {
public:
    TStereoPair();
    ~TStereoPair();
    TStereoPair(TStereoPair&&) noexcept;
    TStereoPair& operator=(TStereoPair&&) noexcept;

    TStereoView Left;
    TStereoView Right;
    // The parallax the camera recorded, in percent of the width (MPO files
    // of Fujifilm's twin-lens cameras); none when there is none or it is
    // unreadable.
    std::optional<double> ParallaxPercent;

    // Keeps what the views show alive as long as the pair.
    void Hold(std::unique_ptr<TPicture> picture);
    void Hold(std::unique_ptr<TGraphic> graphic);
    void Hold(std::unique_ptr<TJpegRowReader> rows);

private:
    std::vector<std::unique_ptr<TPicture>> Pictures;
    std::vector<std::unique_ptr<TGraphic>> Graphics;
    std::vector<std::unique_ptr<TJpegRowReader>> Rows;
};

enum class TStereoFileKind { Mpo, Jps, None };

// By the extension, in any case: .mpo or .jps.
TStereoFileKind StereoFileKindOf(const std::string& fileName);

// How a pair of files is read. A pair that is only composed reads a JPEG
// file (by its name, as the program would load it) as rows decoded from the
// file while the composition goes, never whole in memory, and never on the
// caller's thread alone; its views then have no picture. A pair whose pixels
// are needed otherwise (the alignment) reads pictures.
enum class TPairReading { Pictures, ComposedRows };

// Two files, each loaded as a side of the program is (LoadSidePicture), with
// the same failures in the same order.
TStereoPair LoadPicturePair(const std::string& left, const std::string& right,
                            TPairReading reading = TPairReading::Pictures);

// One file: an MPO or JPS file by its extension, or with sideBySide any
// picture the registry reads, its left half the LEFT eye's. Halves are the
// floor of half the width, from the left edge; the last column of an odd
// width belongs to neither. A picture less than two pixels wide has no
// halves and is refused as LoadSidePicture refuses an empty picture.
TStereoPair LoadStereoFile(const std::string& fileName, bool sideBySide);

}  // namespace tremalu
