#include "formats/jpeg/jpeg_rows.h"

#include "core/checked_math.h"
#include "core/errors.h"
#include "formats/jpeg/jpeg_codec_glue.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_stream_io.h"
#include "core/streams.h"

namespace tremalu {

TJpegRowReader::TJpegRowReader() = default;
TJpegRowReader::~TJpegRowReader() = default;

std::unique_ptr<TJpegRowReader> TJPEGImage::OpenRowReader()
{
    // Only a decode that gives plain colour rows in one pass reads the same
    // row by row: no bitmap yet, no palette, no scan-by-scan showing (nor a
    // reduction, which Open refuses).
    if (Decoded || !Shared->Encoded || Shared->Encoded->ByteCount() == 0 || HeldPalette ||
        FSettings.ScanByScanDisplay)
        return nullptr;
    // A stream of the reader's own over the shared bytes: another reader of
    // the same data keeps its own position.
    return TJpegRowReader::Open(
        std::make_unique<TReadOnlyMemoryStream>(Shared->Encoded->Memory(), Shared->Encoded->ByteCount()), FSettings);
}

std::unique_ptr<TJpegRowReader> TJpegRowReader::Open(std::unique_ptr<TStream> bytes)
{
    // What a picture read from a file starts with.
    return Open(std::move(bytes), DefaultJpegSettings());
}

std::unique_ptr<TJpegRowReader> TJpegRowReader::Open(std::unique_ptr<TStream> bytes, const JpegSettings& settings)
{
    if (settings.ReduceBy != TJPEGReduction::ReduceNone)
        return nullptr;
    std::unique_ptr<TJpegRowReader> reader(new TJpegRowReader);
    reader->Bytes = std::move(bytes);
    reader->Context = std::make_unique<TCodecContext>();
    OpenConfiguredDecoder(*reader->Context, nullptr, *reader->Bytes, settings);
    jpeg_decompress_struct& codec = reader->Context->Decompress;
    if (codec.quantize_colors || codec.buffered_image || codec.out_color_space != JCS_EXT_BGR)
        return nullptr;
    jpeg_calc_output_dimensions(&codec);
    reader->FWidth = static_cast<int32_t>(codec.output_width);
    reader->FHeight = static_cast<int32_t>(codec.output_height);
    return reader;
}

void TJpegRowReader::Start()
{
    if (Started)
        return;
    jpeg_decompress_struct& codec = Context->Decompress;
    CheckedBitmapBytes(codec.output_width, codec.output_height, 24);
    jpeg_start_decompress(&codec);
    Row.resize(static_cast<size_t>(codec.output_width) * 3);
    Started = true;
}

const uint8_t* TJpegRowReader::NextRow()
{
    Start();
    NextRowInto(Row.data());
    return Row.data();
}

void TJpegRowReader::NextRowInto(uint8_t* row)
{
    Start();
    jpeg_decompress_struct& codec = Context->Decompress;
    if (codec.output_scanline >= codec.output_height)
        throw EInvalidGraphicOperation(texts::RowOutOfRange);
    jpeg_read_scanlines(&codec, &row, 1);
}

void TJpegRowReader::Finish()
{
    Start();
    jpeg_decompress_struct& codec = Context->Decompress;
    JSAMPROW row = Row.data();
    while (codec.output_scanline < codec.output_height)
        jpeg_read_scanlines(&codec, &row, 1);
    jpeg_finish_decompress(&codec);
}

TJpegRowWriter::TJpegRowWriter(TStream& out, int32_t width, int32_t height, const JpegSettings& settings)
    : Context(std::make_unique<TCodecContext>())
{
    Context->CreateCompressor(nullptr);
    jpeg_compress_struct& codec = Context->Compress;
    SetStreamDestination(&codec, out);
    ConfigureCompressor(codec, width, height, 4, JCS_EXT_BGRX, settings);
    jpeg_start_compress(&codec, TRUE);
}

TJpegRowWriter::~TJpegRowWriter() = default;

void TJpegRowWriter::WriteRow(const uint8_t* devicePixels)
{
    // The codec only reads its input rows; its interface just lacks const.
    JSAMPROW row = const_cast<JSAMPROW>(devicePixels);
    jpeg_write_scanlines(&Context->Compress, &row, 1);
}

void TJpegRowWriter::Finish() { jpeg_finish_compress(&Context->Compress); }

}  // namespace tremalu
