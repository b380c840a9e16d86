// Decoding: the bytes of a JPEG picture into its bitmap, at the first need
// for pixels.
#include "raster/bitmap.h"
#include "core/checked_math.h"
#include "core/errors.h"
#include "formats/jpeg/jpeg_codec_glue.h"
#include "formats/jpeg/jpeg_decode_target.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_stream_io.h"

namespace tremalu {

namespace {

// The codec's colour map made from a palette given from outside: component 0
// blue, 1 green, 2 red, in the bitmap's pixel order.
void GiveColorMap(jpeg_decompress_struct& codec, const TLogPalette& palette)
{
    const auto count = static_cast<JDIMENSION>(std::min<size_t>(palette.Entries.size(), 256));
    JSAMPARRAY map = (*codec.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&codec), JPOOL_IMAGE, count, 3);
    for (JDIMENSION i = 0; i < count; ++i) {
        map[0][i] = palette.Entries[i].Blue;
        map[1][i] = palette.Entries[i].Green;
        map[2][i] = palette.Entries[i].Red;
    }
    codec.colormap = map;
    codec.actual_number_of_colors = static_cast<int>(count);
}

}  // namespace

void TJPEGImage::OpenDecoder(TCodecContext& context, bool reportProgress)
{
    OpenDecoder(context, reportProgress, *Shared->Encoded);
}

void OpenConfiguredDecoder(TCodecContext& context, TCodecProgressListener* listener, TStream& bytes,
                           const JpegSettings& settings)
{
    context.CreateDecompressor(listener);
    jpeg_decompress_struct& codec = context.Decompress;
    bytes.SetPosition(0);
    SetStreamSource(&codec, bytes);
    jpeg_read_header(&codec, TRUE);

    // The codec's defaults for the file are now in place: RGB output for a
    // colour file, gray for a gray one, the accurate integer DCT, fancy
    // upsampling, no quantisation.
    static constexpr unsigned Denominators[] = {1, 2, 4, 8};
    codec.scale_num = 1;
    codec.scale_denom = Denominators[static_cast<unsigned>(settings.ReduceBy) & 3];
    codec.do_block_smoothing = settings.BlockSmoothing ? TRUE : FALSE;

    if (IsFourComponentFile(codec)) {
        // The bitmap has no room for four samples a pixel: the codec gives
        // C, M, Y, K and the rows are converted as they come (24 bits).
        codec.out_color_space = JCS_CMYK;
    } else {
        if (settings.GrayMode)
            codec.out_color_space = JCS_GRAYSCALE;
        else if (codec.out_color_space != JCS_GRAYSCALE)
            codec.out_color_space = JCS_EXT_BGR;  // the bitmap's own byte order
        if (settings.BitmapDepth == TJPEGBitmapDepth::Depth8 || codec.out_color_space == JCS_GRAYSCALE) {
            codec.quantize_colors = TRUE;
            codec.desired_number_of_colors = QuantizedColors;
        }
    }
    if (settings.DecodeSpeed == TJPEGDecodeSpeed::FavourSpeed) {
        codec.dct_method = JDCT_IFAST;
        codec.two_pass_quantize = FALSE;
        codec.dither_mode = JDITHER_ORDERED;
    }
    context.FinalPass = {codec.dct_method, codec.two_pass_quantize != 0, codec.dither_mode};
    if (settings.ScanByScanDisplay && jpeg_has_multiple_scans(&codec)) {
        // Early passes show each scan quickly; the final pass uses the
        // settings kept above.
        codec.enable_2pass_quant = codec.two_pass_quantize;
        codec.dct_method = JDCT_IFAST;
        codec.two_pass_quantize = FALSE;
        codec.dither_mode = JDITHER_ORDERED;
        codec.buffered_image = TRUE;
    }
}

void TJPEGImage::OpenDecoder(TCodecContext& context, bool reportProgress, TStream& bytes)
{
    OpenConfiguredDecoder(context, reportProgress ? this : nullptr, bytes, FSettings);
}

TBitmap& TJPEGImage::DecodedBitmap()
{
    if (Decoded)
        return *Decoded;
    Decoded = std::make_unique<TBitmap>();
    DropScaled();  // the full bitmap is drawn from now on
    if (!Shared->Encoded)
        return *Decoded;  // a new picture: nothing to show
    TCodecContext context;
    OpenDecoder(context, true);
    TJpegDecodeTarget target(*Decoded, context.Decompress, FSettings.GrayMode);
    try {
        RunDecode(context, target);
    } catch (const EAbort&) {
        // Cancelled by the listener: what was decoded stays, silently.
        target.WhitenUndecodedRows();
        EndDecode(false);
        return *Decoded;
    } catch (...) {
        target.WhitenUndecodedRows();
        EndDecode(false);
        throw;
    }
    EndDecode(true);
    return *Decoded;
}

void TJPEGImage::RunDecode(TCodecContext& context, TJpegDecodeTarget& target)
{
    jpeg_decompress_struct& codec = context.Decompress;
    const bool eightBit = codec.quantize_colors != 0;
    Progress(TProgressStage::StageStarting, 0, false, TRect{}, std::string());
    // The output size and components; a size the bitmap cannot have is
    // refused before the codec allocates anything for the image.
    jpeg_calc_output_dimensions(&codec);
    CheckedBitmapBytes(codec.output_width, codec.output_height, eightBit ? 8 : 24);

    // A palette given from outside is the colour map of 8-bit decoding; a
    // 24-bit decode has no use for it.
    HPALETTE palette;
    if (HeldPalette && eightBit && codec.out_color_components == 3) {
        GiveColorMap(codec, *HeldPalette);
        palette = HeldPalette;
    } else if (HeldPalette && FSettings.BitmapDepth == TJPEGBitmapDepth::Depth24) {
        HeldPalette.reset();
    }
    const bool paletteFromOutside = palette != nullptr;

    jpeg_start_decompress(&codec);
    if (eightBit && !paletteFromOutside && codec.colormap != nullptr) {
        palette = PaletteFromColorMap(codec);
        SetPaletteModified(true);
    }
    target.Create(eightBit, palette);

    if (!codec.buffered_image) {
        target.ReadPass();
    } else {
        // One output pass per scan as the scans come in, then a final pass
        // with the quality settings.
        while (jpeg_consume_input(&codec) != JPEG_REACHED_EOI) {
            jpeg_start_output(&codec, codec.input_scan_number);
            target.ReadPass();
            jpeg_finish_output(&codec);
        }
        codec.dct_method = context.FinalPass.DctMethod;
        codec.dither_mode = context.FinalPass.DitherMode;
        // A colour map given from outside stays: the bitmap's palette is made of it.
        if (context.FinalPass.TwoPassQuantize && !paletteFromOutside) {
            codec.two_pass_quantize = TRUE;
            codec.colormap = nullptr;
        }
        jpeg_start_output(&codec, codec.input_scan_number);
        // Two-pass quantisation chose new colours for the final pass; its
        // indices mean nothing in the palette of the early passes.
        if (context.FinalPass.TwoPassQuantize && codec.colormap != nullptr && !paletteFromOutside) {
            target.ReplacePalette(PaletteFromColorMap(codec));
            SetPaletteModified(true);
        }
        target.ReadPass();
        jpeg_finish_output(&codec);
    }
    jpeg_finish_decompress(&codec);
}

void TJPEGImage::EndDecode(bool succeeded)
{
    Progress(TProgressStage::StageEnding, succeeded ? 100 : 0, PaletteModified(), TRect{}, std::string());
    if (PaletteModified())
        NotifyChanged();
}

}  // namespace tremalu
