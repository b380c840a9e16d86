// The red/cyan anaglyph: for every pixel of the LEFT picture's natural size,
// the red of the LEFT picture and the green and blue of the RIGHT one, each
// picture taken as it is drawn at (0, 0) with the copy mode on a new white
// bitmap of that size (so a smaller RIGHT picture leaves white around it and
// a larger one is cut).
#pragma once

#include "stereo/anaglyph_methods.h"
#include "formats/jpeg/jpeg_rows_ahead.h"
#include "raster/bitmap.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tremalu {

// The warnings of the composition.
inline constexpr const char* MissingPictureText = "Il faut DEUX images pour créer un anaglyphe...";
inline constexpr const char* MissingPictureCaption = "Allons, voyons...";
inline constexpr const char* DifferentSizesText = "Les deux images n'ont pas les même dimensions.";
inline constexpr const char* DifferentSizesCaption = "Résultat imprévisible...";
// A shift that leaves the two pictures nothing in common.
inline constexpr const char* NoOverlapText = "Décalage trop grand : les deux images ne se recouvrent plus.";

// Where the anaglyph takes its pixels: pixel (x, y) of the result, for
// 0 <= x < Width and 0 <= y < Height, comes from pixel (LeftX + x, LeftY + y)
// of the LEFT picture and (RightX + x, RightY + y) of the RIGHT one, each
// picture taken as drawn at (0, 0) on white.
struct TStereoFrame {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t LeftX = 0;
    int32_t LeftY = 0;
    int32_t RightX = 0;
    int32_t RightY = 0;
};

// The program's own frame: both pictures at (0, 0), the LEFT picture's size.
TStereoFrame WholeLeftFrame(int32_t leftWidth, int32_t leftHeight);

// The RIGHT picture moved dx pixels to the left and dy pixels up against the
// LEFT one (negative values move it right and down): the frame is the area
// where both pictures lie, so no blank band remains. Raises
// Exception(NoOverlapText) when they do not overlap at all.
TStereoFrame ShiftedFrame(int32_t leftWidth, int32_t leftHeight, int32_t rightWidth, int32_t rightHeight,
                          int64_t dx, int64_t dy);

// Device pixels of one side as drawn on white, one row at a time.
// Row y of a side is row originY + y of its picture from column originX on.
class TAnaglyphSide {
public:
    TAnaglyphSide(int32_t width, int32_t originX, int32_t originY)
        : Width(width), OriginX(originX), OriginY(originY), Scratch(static_cast<size_t>(width))
    {
    }
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
    const int32_t OriginX;
    const int32_t OriginY;

private:
    std::vector<uint32_t> Scratch;
};

// What one side of a composition is made from: a picture, or the rows of a
// JPEG file decoded as they are composed (TJpegRowReader::Open), which a
// composition reads once, from the top.
struct TAnaglyphSource {
    TAnaglyphSource(TGraphic* graphic) : Graphic(graphic) {}  // NOLINT(google-explicit-constructor): a picture is one
    explicit TAnaglyphSource(TJpegRowReader& rows) : Rows(&rows) {}
    TGraphic* Graphic = nullptr;
    TJpegRowReader* Rows = nullptr;
};

// The side for a source: a picture read straight from its pixels when
// drawing it on white would only copy them (an opaque bitmap, a JPEG
// picture), otherwise from the picture drawn on a white bitmap. Rows are
// asked for from the top down, each once or more, never going back. A JPEG
// picture not decoded yet, or a JPEG file's rows, are decoded a few rows
// ahead of the composition by helper and by the composition's own thread
// (jpeg_rows_ahead.h); the sides of one composition share one helper.
std::unique_ptr<TAnaglyphSide> MakeAnaglyphSide(TAnaglyphSource source, TJpegDecodeHelper& helper, int32_t width,
                                                int32_t height, int32_t originX = 0, int32_t originY = 0);

// The composition itself, one row at a time from the top: red of left,
// green and blue of right, or another mix. Both the windows and the batch
// tool compose through it; the windows keep the rows in a bitmap, the batch
// tool can hand them straight to a file's encoder.
class TAnaglyphRows {
public:
    TAnaglyphRows(TGraphic* left, TGraphic* right, int32_t width, int32_t height);
    TAnaglyphRows(TAnaglyphSource left, TAnaglyphSource right, const TStereoFrame& frame, const TAnaglyphMix& mix);
    ~TAnaglyphRows();
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // The next row as width device pixels.
    void NextRow(uint32_t* out);

private:
    // The program's own mix, from the sides' bytes when it can.
    void CombineRows(int32_t y, uint32_t* out);

    int32_t FWidth;
    int32_t FHeight;
    int32_t Next = 0;
    TJpegDecodeHelper Helper;  // before the sides, which it serves
    std::unique_ptr<TAnaglyphSide> Left;
    std::unique_ptr<TAnaglyphSide> Right;
    std::optional<TAnaglyphMixer> Mixer;  // none for the program's own mix
    std::vector<uint32_t> LeftRow;
    std::vector<uint32_t> RightRow;
};

// The whole anaglyph in a new device-dependent bitmap of width × height.
std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height);
// The same with another method or glasses: what a menu of the windows offers.
std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height,
                                         const TAnaglyphMix& mix);
// Any frame and mix.
std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, const TStereoFrame& frame,
                                         const TAnaglyphMix& mix);


}  // namespace tremalu
