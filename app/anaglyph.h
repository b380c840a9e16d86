// The red/cyan anaglyph: for every pixel of the LEFT picture's natural size,
// the red of the LEFT picture and the green and blue of the RIGHT one, each
// picture taken as it is drawn at (0, 0) with the copy mode on a new white
// bitmap of that size (so a smaller RIGHT picture leaves white around it and
// a larger one is cut).
#pragma once

#include "raster/bitmap.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tremalu {

// The warnings of the composition.
inline constexpr const char* MissingPictureText = "Il faut DEUX images pour créer un anaglyphe...";
inline constexpr const char* MissingPictureCaption = "Allons, voyons...";
inline constexpr const char* DifferentSizesText = "Les deux images n'ont pas les même dimensions.";
inline constexpr const char* DifferentSizesCaption = "Résultat imprévisible...";

// Device pixels of one side as drawn on white, one row at a time.
class TAnaglyphSide {
public:
    explicit TAnaglyphSide(int32_t width) : Width(width), Scratch(static_cast<size_t>(width)) {}
    virtual ~TAnaglyphSide() = default;
    // The width pixels of row y (0 at the top), as 0x00RRGGBB.
    virtual void Row(int32_t y, uint32_t* out) = 0;
    // out[x] := the red of pixel x of row y, in its place.
    virtual void PutRed(int32_t y, uint32_t* out);
    // out[x] |= the green and blue of pixel x of row y.
    virtual void AddGreenBlue(int32_t y, uint32_t* out);
    // The bytes of row y when the whole row is held as blue, green, red
    // triplets (step 3) or quadruplets (step 4); null otherwise.
    virtual const uint8_t* DirectRow(int32_t /*y*/, int& /*step*/) { return nullptr; }
    // After the last row: a side that reads its picture as it goes reads
    // the rest, so that the picture fails as drawing it whole would.
    virtual void Finish() {}

protected:
    const int32_t Width;

private:
    std::vector<uint32_t> Scratch;
};

// The side for a picture: read straight from its pixels when drawing it on
// white would only copy them (an opaque bitmap, a JPEG picture), otherwise
// from the picture drawn on a white bitmap. Rows are asked for from the top
// down, each once or more, never going back.
std::unique_ptr<TAnaglyphSide> MakeAnaglyphSide(TGraphic* graphic, int32_t width, int32_t height);

// The composition itself, one row at a time from the top: red of left,
// green and blue of right. Both the windows and the batch tool compose
// through it; the windows keep the rows in a bitmap, the batch tool can
// hand them straight to a file's encoder.
class TAnaglyphRows {
public:
    TAnaglyphRows(TGraphic* left, TGraphic* right, int32_t width, int32_t height);
    ~TAnaglyphRows();
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // The next row as width device pixels.
    void NextRow(uint32_t* out);

private:
    int32_t FWidth;
    int32_t FHeight;
    int32_t Next = 0;
    std::unique_ptr<TAnaglyphSide> Left;
    std::unique_ptr<TAnaglyphSide> Right;
};

// The whole anaglyph in a new device-dependent bitmap of width × height.
std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height);


}  // namespace tremalu
