// Encoding: the bitmap of a JPEG picture into the bytes of a JPEG file, at
// the first write after a bitmap was copied in.
//
// With the settings the program saves with (quality 100, gray mode and
// progressive off) the file is a baseline JFIF 1.01 file: SOI; APP0 "JFIF"
// version 1.01, aspect ratio 1:1 and no thumbnail; one DQT segment for each
// of the two quantisation tables (all entries 1 at quality 100); SOF0 with
// Y sampled 2 × 2 on table 0 and Cb, Cr sampled 1 × 1 on table 1 (4:2:0);
// the standard Huffman tables (DC 0, AC 0, DC 1, AC 1); one interleaved
// scan, without restart markers; EOI. These are the codec's defaults once
// jpeg_set_defaults and jpeg_set_quality (force baseline) have run. Gray
// mode writes one component with table 0 of each kind; progressive mode the
// codec's standard progression of scans under SOF2.
#include "raster/bitmap.h"
#include "core/errors.h"
#include "formats/jpeg/jpeg_codec_glue.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_stream_io.h"

#include <algorithm>

namespace tremalu {

namespace {

constexpr int EncodeRowsPerCall = 16;

// Where the codec takes the rows from. 24- and 32-bit bitmaps give their own
// rows: blue, green, red (and an unused byte, which the codec skips) are
// exactly the codec's extended input orders, so the codec reads the bitmap's
// memory and the file is the same as from a 24-bit copy. Any other layout is
// first copied to 24 bits; the bitmap itself is never changed.
class TEncodeSource {
public:
    explicit TEncodeSource(const TBitmap& bitmap)
    {
        const TPixelBuffer* pixels = bitmap.PeekPixels();
        if (pixels->IsDeviceFormat() || (pixels->BitsPerPixel() == 24 && pixels->Compression() == BI_RGB)) {
            Pixels = pixels;
        } else {
            WorkingCopy = std::make_unique<TBitmap>();
            WorkingCopy->CopyFrom(&bitmap);
            WorkingCopy->SetPixelFormat(TPixelFormat::pf24bit);
            Pixels = WorkingCopy->PeekPixels();
        }
    }

    int Components() const { return Pixels->BitsPerPixel() == 32 ? 4 : 3; }
    J_COLOR_SPACE ColorSpace() const { return Pixels->BitsPerPixel() == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR; }
    // The codec only reads its input rows; its interface just lacks const.
    JSAMPROW Row(JDIMENSION y) const { return const_cast<JSAMPROW>(Pixels->ScanLine(static_cast<int32_t>(y))); }

private:
    std::unique_ptr<TBitmap> WorkingCopy;
    const TPixelBuffer* Pixels = nullptr;
};

}  // namespace

void ConfigureCompressor(jpeg_compress_struct& codec, int32_t width, int32_t height, int components,
                         J_COLOR_SPACE colorSpace, const JpegSettings& settings)
{
    codec.image_width = static_cast<JDIMENSION>(width);
    codec.image_height = static_cast<JDIMENSION>(height);
    codec.input_components = components;
    codec.in_color_space = colorSpace;
    jpeg_set_defaults(&codec);
    jpeg_set_quality(&codec, settings.EncodeQuality, TRUE);
    if (settings.GrayMode)
        jpeg_set_colorspace(&codec, JCS_GRAYSCALE);
    if (settings.WriteProgressive)
        jpeg_simple_progression(&codec);
}

void TJPEGImage::Encode()
{
    TCodecContext context;
    context.CreateCompressor(this);
    jpeg_compress_struct& codec = context.Compress;
    if (Shared->Encoded)
        ResetData();  // shared bytes are never overwritten
    Shared->Encoded = std::make_unique<TMemoryStream>();
    SetStreamDestination(&codec, *Shared->Encoded);
    if (!Decoded || Decoded->IsEmpty() || Decoded->PixelWidth() == 0 || Decoded->PixelHeight() == 0)
        return;  // nothing to encode: the picture writes 0 bytes

    const TEncodeSource source(*Decoded);
    Shared->HeaderWidth = Decoded->PixelWidth();
    Shared->HeaderHeight = Decoded->PixelHeight();
    ConfigureCompressor(codec, Decoded->PixelWidth(), Decoded->PixelHeight(), source.Components(),
                        source.ColorSpace(), FSettings);

    try {
        Progress(TProgressStage::StageStarting, 0, false, TRect{}, std::string());
        try {
            jpeg_start_compress(&codec, TRUE);
            JSAMPROW rows[EncodeRowsPerCall];
            while (codec.next_scanline < codec.image_height) {
                const JDIMENSION first = codec.next_scanline;
                const JDIMENSION count = std::min<JDIMENSION>(EncodeRowsPerCall, codec.image_height - first);
                for (JDIMENSION i = 0; i < count; ++i)
                    rows[i] = source.Row(first + i);
                if (jpeg_write_scanlines(&codec, rows, count) == 0)
                    break;  // taken nothing: finishing the file says why
            }
            jpeg_finish_compress(&codec);
        } catch (...) {
            Progress(TProgressStage::StageEnding, 0, false, TRect{}, std::string());
            throw;
        }
        Progress(TProgressStage::StageEnding, 100, false, TRect{}, std::string());
    } catch (const EAbort&) {
        // Cancelled by the listener: the partial file is dropped, and the
        // next write encodes again.
        context.Close();
        ResetData();
    }
}

}  // namespace tremalu
