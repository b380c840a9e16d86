// Small metafile writers of the tests' own: records laid out field by field
// as the published formats describe them, with the header fields filled in
// at the end (sizes, record and object counts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// An enhanced metafile: the header record (frame in hundredths of a
// millimetre, reference device in pixels and millimetres), the records
// added, and the end record.
class EmfWriter {
public:
    struct Frame {
        int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    };
    EmfWriter(Frame frame, int32_t devicePixelsX, int32_t devicePixelsY, int32_t deviceMmX, int32_t deviceMmY,
              uint16_t objectSlots = 8);

    // A record of a type with 32-bit parameters.
    EmfWriter& Record(uint32_t type, const std::vector<uint32_t>& params);
    // A record whose parameters are given as bytes (padded to 4).
    EmfWriter& RawRecord(uint32_t type, const std::vector<uint8_t>& params);

    EmfWriter& CreatePen(uint32_t slot, uint32_t style, int32_t width, uint32_t color);
    EmfWriter& CreateBrush(uint32_t slot, uint32_t style, uint32_t color, uint32_t hatch = 0);
    EmfWriter& Select(uint32_t slot);
    EmfWriter& Rectangle(int32_t l, int32_t t, int32_t r, int32_t b);
    EmfWriter& Ellipse(int32_t l, int32_t t, int32_t r, int32_t b);
    EmfWriter& Polygon16(const std::vector<std::pair<int16_t, int16_t>>& points);
    // A font of a height (negative: character height) in logical units.
    EmfWriter& CreateFont(uint32_t slot, int32_t height, int32_t weight, const std::u16string& face);
    // Text at (x, y), with optional advances.
    EmfWriter& TextOut(int32_t x, int32_t y, const std::u16string& text, const std::vector<int32_t>& advances = {});
    // A 24-bit bitmap (0x00RRGGBB, top row first) drawn into a rectangle
    // with a raster operation (copy by default).
    EmfWriter& StretchDIBits(int32_t x, int32_t y, int32_t w, int32_t h, int32_t bitmapWidth, int32_t bitmapHeight,
                             const std::vector<uint32_t>& pixels, uint32_t rop = 0x00CC0020);

    std::vector<uint8_t> Finish() const;
    size_t RecordCount() const { return Records + 2; }

private:
    std::vector<uint8_t> Bytes;  // the header record, then the others
    uint32_t Records = 0;
};

// A placeable Windows metafile: the 22-byte header (box and units per inch,
// checksum computed), the 18-byte header, the records added and the end
// record. Parameters are 16-bit words in the order the records store them.
class WmfWriter {
public:
    WmfWriter(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t unitsPerInch,
              uint16_t objectSlots = 8);
    WmfWriter& Record(uint16_t function, const std::vector<uint16_t>& params);
    // Breaks the placeable header's checksum.
    WmfWriter& WrongChecksum()
    {
        BadChecksum = true;
        return *this;
    }
    std::vector<uint8_t> Finish() const;

private:
    int16_t Box[4];
    uint16_t Units;
    uint16_t Slots;
    std::vector<uint16_t> Words;
    uint32_t LargestRecord = 3;
    bool BadChecksum = false;
};

// Pictures whose few bytes a record ask for work out of all proportion:
// count operations over the whole of a picture of size x size pixels (one
// logical unit a pixel), then a red square at the top left corner (0, 0 to
// 11, 11, black outline) painted with the pen's copy mode.
enum class WholePictureOperation {
    InvertPatBlt,      // Windows metafile: PATBLT with DSTINVERT
    XorRectangle,      // Windows metafile: rectangles in the XOR mixing mode
    XorStretchDIBits,  // enhanced metafile: a 1 x 1 bitmap stretched with SRCINVERT
};
std::vector<uint8_t> RepeatedWholePicture(WholePictureOperation operation, int16_t size, int count);

// The words of a 32-bit value, low word first.
inline std::vector<uint16_t> Words32(uint32_t v) { return {uint16_t(v & 0xFFFF), uint16_t(v >> 16)}; }

}  // namespace testing_support
