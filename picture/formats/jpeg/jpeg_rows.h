// A JPEG picture's rows one after the other, and an encoder fed one row at
// a time: for work that passes once through a whole picture, top to bottom,
// and need not keep it (the batch composition).
#pragma once

#include "formats/jpeg/jpeg_settings.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tremalu {

class TCodecContext;
class TStream;

class TJpegRowReader {
public:
    ~TJpegRowReader();
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // Checks the size against the bitmap limit and starts the decode (a
    // progressive file is read whole here); done by the first row if not
    // before. Whoever wants these failures early calls it first.
    void Start();
    // The next row, top row first: blue, green, red bytes for each pixel,
    // exactly the bytes that decoding into the picture's bitmap gives. Valid
    // until the next call.
    const uint8_t* NextRow();
    // The same, decoded straight into row (Width() × 3 bytes).
    void NextRowInto(uint8_t* row);
    // Decodes whatever rows are left and completes the decode, so that a
    // fault in the rest of the file fails here as a whole decode would.
    void Finish();

    // The rows of the JPEG file in bytes (from their start), read from them
    // as they are decoded: decoded as a picture freshly read from the same
    // bytes would be. Reads the header, raising the codec's failure as
    // reading the bytes into a picture does; null when that decode does not
    // give plain colour rows in one pass (see TJPEGImage::OpenRowReader).
    static std::unique_ptr<TJpegRowReader> Open(std::unique_ptr<TStream> bytes);

private:
    friend class TJPEGImage;
    TJpegRowReader();
    static std::unique_ptr<TJpegRowReader> Open(std::unique_ptr<TStream> bytes, const JpegSettings& settings);

    std::unique_ptr<TStream> Bytes;
    std::unique_ptr<TCodecContext> Context;
    bool Started = false;
    std::vector<uint8_t> Row;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};

// Encodes rows of 32-bit device pixels (blue, green, red, unused) into a
// stream with a picture's encode settings; the file is byte for byte the one
// a TJPEGImage holding the same pixels as a bitmap writes.
class TJpegRowWriter {
public:
    TJpegRowWriter(TStream& out, int32_t width, int32_t height, const JpegSettings& settings);
    ~TJpegRowWriter();
    TJpegRowWriter(const TJpegRowWriter&) = delete;
    TJpegRowWriter& operator=(const TJpegRowWriter&) = delete;

    void WriteRow(const uint8_t* devicePixels);
    // Completes the file once every row is written.
    void Finish();

private:
    std::unique_ptr<TCodecContext> Context;
};

}  // namespace tremalu
