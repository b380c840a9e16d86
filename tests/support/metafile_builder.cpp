#include "metafile_builder.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<uint8_t>(v >> (8 * k)));
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        out[at + k] = static_cast<uint8_t>(v >> (8 * k));
}

}  // namespace

EmfWriter::EmfWriter(Frame frame, int32_t devicePixelsX, int32_t devicePixelsY, int32_t deviceMmX, int32_t deviceMmY,
                     uint16_t objectSlots)
{
    Put32(Bytes, 1);    // type
    Put32(Bytes, 108);  // size of this header record
    for (int32_t v : {0, 0, devicePixelsX, devicePixelsY})  // bounds
        Put32(Bytes, static_cast<uint32_t>(v));
    for (int32_t v : {frame.Left, frame.Top, frame.Right, frame.Bottom})
        Put32(Bytes, static_cast<uint32_t>(v));
    Put32(Bytes, 0x464D4520);  // " EMF"
    Put32(Bytes, 0x10000);     // version
    Put32(Bytes, 0);           // total size, at the end
    Put32(Bytes, 0);           // record count, at the end
    Put16(Bytes, objectSlots);
    Put16(Bytes, 0);
    Put32(Bytes, 0);  // description
    Put32(Bytes, 0);
    Put32(Bytes, 0);  // palette entries
    for (int32_t v : {devicePixelsX, devicePixelsY, deviceMmX, deviceMmY})
        Put32(Bytes, static_cast<uint32_t>(v));
    while (Bytes.size() < 108)
        Bytes.push_back(0);
}

EmfWriter& EmfWriter::RawRecord(uint32_t type, const std::vector<uint8_t>& params)
{
    const size_t padded = (params.size() + 3) / 4 * 4;
    Put32(Bytes, type);
    Put32(Bytes, static_cast<uint32_t>(8 + padded));
    Bytes.insert(Bytes.end(), params.begin(), params.end());
    Bytes.resize(Bytes.size() + padded - params.size(), 0);
    ++Records;
    return *this;
}

EmfWriter& EmfWriter::Record(uint32_t type, const std::vector<uint32_t>& params)
{
    std::vector<uint8_t> bytes;
    for (uint32_t p : params)
        Put32(bytes, p);
    return RawRecord(type, bytes);
}

EmfWriter& EmfWriter::CreatePen(uint32_t slot, uint32_t style, int32_t width, uint32_t color)
{
    return Record(38, {slot, style, static_cast<uint32_t>(width), 0, color});
}

EmfWriter& EmfWriter::CreateBrush(uint32_t slot, uint32_t style, uint32_t color, uint32_t hatch)
{
    return Record(39, {slot, style, color, hatch});
}

EmfWriter& EmfWriter::Select(uint32_t slot) { return Record(37, {slot}); }

EmfWriter& EmfWriter::Rectangle(int32_t l, int32_t t, int32_t r, int32_t b)
{
    return Record(43, {uint32_t(l), uint32_t(t), uint32_t(r), uint32_t(b)});
}

EmfWriter& EmfWriter::Ellipse(int32_t l, int32_t t, int32_t r, int32_t b)
{
    return Record(42, {uint32_t(l), uint32_t(t), uint32_t(r), uint32_t(b)});
}

EmfWriter& EmfWriter::Polygon16(const std::vector<std::pair<int16_t, int16_t>>& points)
{
    std::vector<uint8_t> bytes(16, 0);  // bounds, not read
    Put32(bytes, static_cast<uint32_t>(points.size()));
    for (const auto& [x, y] : points) {
        Put16(bytes, static_cast<uint16_t>(x));
        Put16(bytes, static_cast<uint16_t>(y));
    }
    return RawRecord(86, bytes);
}

EmfWriter& EmfWriter::CreateFont(uint32_t slot, int32_t height, int32_t weight, const std::u16string& face)
{
    std::vector<uint8_t> bytes;
    Put32(bytes, slot);
    Put32(bytes, static_cast<uint32_t>(height));
    Put32(bytes, 0);  // width
    Put32(bytes, 0);  // escapement
    Put32(bytes, 0);  // orientation
    Put32(bytes, static_cast<uint32_t>(weight));
    for (int k = 0; k < 8; ++k)
        bytes.push_back(0);  // italic ... pitch and family
    for (size_t i = 0; i < 32; ++i)
        Put16(bytes, i < face.size() ? face[i] : 0);
    return RawRecord(82, bytes);
}

EmfWriter& EmfWriter::TextOut(int32_t x, int32_t y, const std::u16string& text, const std::vector<int32_t>& advances)
{
    // Fixed part: bounds, graphics mode, scales, then the text's reference,
    // count, offsets, options and rectangle; the string and the advances
    // follow at offsets from the record's start.
    const uint32_t fixed = 8 + 68;
    const uint32_t stringBytes = static_cast<uint32_t>((text.size() * 2 + 3) / 4 * 4);
    std::vector<uint8_t> bytes(16, 0);
    Put32(bytes, 1);  // compatible graphics mode
    Put32(bytes, 0);
    Put32(bytes, 0);
    Put32(bytes, static_cast<uint32_t>(x));
    Put32(bytes, static_cast<uint32_t>(y));
    Put32(bytes, static_cast<uint32_t>(text.size()));
    Put32(bytes, fixed);
    Put32(bytes, 0);  // options
    for (int k = 0; k < 4; ++k)
        Put32(bytes, 0);  // rectangle
    Put32(bytes, advances.empty() ? 0 : fixed + stringBytes);
    for (char16_t c : text)
        Put16(bytes, c);
    while (bytes.size() % 4 != 0)
        bytes.push_back(0);
    for (int32_t a : advances)
        Put32(bytes, static_cast<uint32_t>(a));
    return RawRecord(84, bytes);
}

EmfWriter& EmfWriter::StretchDIBits(int32_t x, int32_t y, int32_t w, int32_t h, int32_t bitmapWidth,
                                    int32_t bitmapHeight, const std::vector<uint32_t>& pixels, uint32_t rop)
{
    std::vector<uint8_t> header;
    Put32(header, 40);
    Put32(header, static_cast<uint32_t>(bitmapWidth));
    Put32(header, static_cast<uint32_t>(bitmapHeight));
    Put16(header, 1);
    Put16(header, 24);
    for (int k = 0; k < 6; ++k)
        Put32(header, 0);
    std::vector<uint8_t> bits;
    for (int32_t row = bitmapHeight - 1; row >= 0; --row) {
        const size_t start = bits.size();
        for (int32_t col = 0; col < bitmapWidth; ++col) {
            const uint32_t p = pixels[static_cast<size_t>(row * bitmapWidth + col)];
            bits.push_back(static_cast<uint8_t>(p));
            bits.push_back(static_cast<uint8_t>(p >> 8));
            bits.push_back(static_cast<uint8_t>(p >> 16));
        }
        while ((bits.size() - start) % 4 != 0)
            bits.push_back(0);
    }
    const uint32_t fixed = 80;
    std::vector<uint8_t> bytes(16, 0);
    for (int32_t v : {x, y, 0, 0, bitmapWidth, bitmapHeight})
        Put32(bytes, static_cast<uint32_t>(v));
    Put32(bytes, fixed);
    Put32(bytes, static_cast<uint32_t>(header.size()));
    Put32(bytes, fixed + static_cast<uint32_t>(header.size()));
    Put32(bytes, static_cast<uint32_t>(bits.size()));
    Put32(bytes, 0);           // colours in the table
    Put32(bytes, rop);
    Put32(bytes, static_cast<uint32_t>(w));
    Put32(bytes, static_cast<uint32_t>(h));
    bytes.insert(bytes.end(), header.begin(), header.end());
    bytes.insert(bytes.end(), bits.begin(), bits.end());
    return RawRecord(81, bytes);
}

std::vector<uint8_t> EmfWriter::Finish() const
{
    std::vector<uint8_t> out = Bytes;
    Put32(out, 14);  // end record: no palette
    Put32(out, 20);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 20);
    Set32(out, 48, static_cast<uint32_t>(out.size()));
    Set32(out, 52, Records + 2);
    return out;
}

WmfWriter::WmfWriter(int16_t left, int16_t top, int16_t right, int16_t bottom, uint16_t unitsPerInch,
                     uint16_t objectSlots)
    : Box{left, top, right, bottom}, Units(unitsPerInch), Slots(objectSlots)
{
}

WmfWriter& WmfWriter::Record(uint16_t function, const std::vector<uint16_t>& params)
{
    const uint32_t size = static_cast<uint32_t>(3 + params.size());
    Words.push_back(static_cast<uint16_t>(size & 0xFFFF));
    Words.push_back(static_cast<uint16_t>(size >> 16));
    Words.push_back(function);
    Words.insert(Words.end(), params.begin(), params.end());
    LargestRecord = std::max(LargestRecord, size);
    return *this;
}

std::vector<uint8_t> WmfWriter::Finish() const
{
    std::vector<uint8_t> out;
    Put32(out, 0x9AC6CDD7);
    Put16(out, 0);
    for (int16_t v : Box)
        Put16(out, static_cast<uint16_t>(v));
    Put16(out, Units);
    Put32(out, 0);
    uint16_t sum = 0;
    for (size_t at = 0; at < 20; at += 2)
        sum ^= static_cast<uint16_t>(out[at] | (out[at + 1] << 8));
    Put16(out, static_cast<uint16_t>(BadChecksum ? sum ^ 1 : sum));
    const uint32_t totalWords = static_cast<uint32_t>(9 + Words.size() + 3);
    Put16(out, 1);  // in memory
    Put16(out, 9);  // header words
    Put16(out, 0x300);
    Put32(out, totalWords);
    Put16(out, Slots);
    Put32(out, LargestRecord);
    Put16(out, 0);
    for (uint16_t w : Words)
        Put16(out, w);
    Put32(out, 3);  // end record
    Put16(out, 0);
    return out;
}

std::vector<uint8_t> RepeatedWholePicture(WholePictureOperation operation, int16_t size, int count)
{
    constexpr uint32_t RedRef = 0x0000FF;  // COLORREF 0x00BBGGRR
    const auto n = static_cast<uint16_t>(size);
    if (operation == WholePictureOperation::XorStretchDIBits) {
        // 1000 reference pixels over 254 mm: a pixel is 25.4 hundredths.
        const auto frame = static_cast<int32_t>((size - 1) * 254 / 10);
        EmfWriter emf({0, 0, frame, frame}, 1000, 1000, 254, 254);
        for (int i = 0; i < count; ++i)
            emf.StretchDIBits(0, 0, size, size, 1, 1, {0xFFFFFF}, 0x00660046);
        return emf.CreateBrush(1, 0, RedRef).Select(1).Rectangle(0, 0, 11, 11).Finish();
    }
    WmfWriter wmf(0, 0, size, size, 96);
    wmf.Record(0x020B, {0, 0}).Record(0x020C, {n, n});  // window origin and extent
    if (operation == WholePictureOperation::XorRectangle)
        wmf.Record(0x0104, {7});  // SETROP2: R2_XORPEN, with the white stock brush
    for (int i = 0; i < count; ++i) {
        if (operation == WholePictureOperation::InvertPatBlt)
            wmf.Record(0x061D, {0x0009, 0x0055, n, n, 0, 0});  // PATBLT DSTINVERT: height, width, y, x
        else
            wmf.Record(0x041B, {n, n, 0, 0});  // RECTANGLE: bottom, right, top, left
    }
    return wmf.Record(0x0104, {13})  // R2_COPYPEN
        .Record(0x02FC, {0, uint16_t(RedRef & 0xFFFF), uint16_t(RedRef >> 16), 0})  // a red brush (slot 0)
        .Record(0x012D, {0})
        .Record(0x041B, {11, 11, 0, 0})
        .Finish();
}

}  // namespace testing_support
