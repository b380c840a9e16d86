// TJPEGImage: the picture kind of JPEG files.
//
// A JPEG picture keeps two forms of one image, each made from the other only
// when it is needed:
//  - the compressed bytes of a JPEG file (TJPEGData, shared by copies);
//  - a bitmap (Decoded).
// Reading a file stores its exact bytes and parses only the header, so the
// size is known at once. The first need for pixels (a draw, a copy into a
// bitmap) decodes the bytes into the bitmap, which is kept. Copying a bitmap
// in stores only the bitmap; the first write encodes it. A picture read and
// written back unchanged gives back exactly the bytes that were read,
// anything after the end-of-image marker included.
//
// The states, by what the two forms hold:
//   new           no bytes, no bitmap
//   read          bytes, no bitmap   (reading; copying a picture without bitmap)
//   decoded       bytes and bitmap   (the first need for pixels after reading)
//   from bitmap   bitmap only        (copying a bitmap in)
//   encoded       bytes and bitmap   (the first write from the previous state)
// Changing the gray mode, or a palette change that drops the bitmap, takes
// the bitmap away again.
//
// Beside the two forms, a drawing cache: a picture without a bitmap that is
// drawn into a rectangle much smaller than itself (a preview) is drawn from a
// decode at 1/2, 1/4 or 1/8 of its size (jpeg_scaled_decode.h), kept so that
// a repaint does not decode again. It is never the picture's pixels: the
// size, the settings, a copy into a bitmap, the composition and saving all
// see the full-size picture, decoded as before.
#pragma once

#include "core/graphic.h"
#include "formats/jpeg/jpeg_data.h"
#include "formats/jpeg/jpeg_progress.h"
#include "formats/jpeg/jpeg_settings.h"

#include <exception>
#include <memory>

namespace tremalu {

class TBitmap;
class TCodecContext;
class TJpegDecodeTarget;
class TJpegRowReader;
struct TScaledDecode;
class TStream;

class TJPEGImage : public TGraphic, private TCodecProgressListener {
    TREMALU_DECLARE_CLASS()
public:
    TJPEGImage();
    ~TJPEGImage() override;

    // A bitmap destination gets the decoded bitmap (decoding if needed).
    void CopyTo(TPersistent& dest) const override;
    // From a JPEG picture: share its data and its bitmap, not its settings.
    // From a bitmap: keep it for a later encode. No change notification.
    void CopyFrom(const TPersistent* source) override;
    // Draws the decoded bitmap into rect with the canvas's copy mode; a
    // picture without a bitmap draws its ScaledBitmap instead when it has one
    // for rect.
    void DrawOn(TCanvas& canvas, const TRect& rect) override;
    // Byte for byte when both hold bytes; otherwise whether both share one
    // TJPEGData.
    bool SameAs(TGraphic* other) override;
    bool IsEmpty() const override;
    int32_t PixelHeight() const override;
    HPALETTE Palette() const override;
    int32_t PixelWidth() const override;
    // Stored form: a 32-bit little-endian byte count, then the bytes.
    void ReadData(TStream& stream) override;
    // Size changes are refused: EInvalidGraphicOperation "Impossible de
    // modifier la taille d'une image JPEG".
    void SetPixelHeight(int32_t height) override;
    void SetPalette(HPALETTE palette) override;
    void SetPixelWidth(int32_t width) override;
    // Writes the byte count and the bytes held; nothing is encoded here.
    void WriteData(TStream& stream) override;
    // Stores the rest of the stream and parses its header.
    void ReadFromStream(TStream& stream) override;
    // Encodes the bitmap if no bytes are held, then writes the bytes.
    void WriteToStream(TStream& stream) override;

    const JpegSettings& Settings() const { return FSettings; }
    uint8_t EncodeQuality() const { return FSettings.EncodeQuality; }
    void SetEncodeQuality(uint8_t quality) { FSettings.EncodeQuality = quality; }
    bool GrayMode() const { return FSettings.GrayMode; }
    // A new value drops the bitmap and announces the change.
    void SetGrayMode(bool gray);
    bool WriteProgressive() const { return FSettings.WriteProgressive; }
    void SetWriteProgressive(bool progressive) { FSettings.WriteProgressive = progressive; }
    // The decode settings take effect at the next decode.
    TJPEGDecodeSpeed DecodeSpeed() const { return FSettings.DecodeSpeed; }
    void SetDecodeSpeed(TJPEGDecodeSpeed speed) { FSettings.DecodeSpeed = speed; }
    TJPEGBitmapDepth BitmapDepth() const { return FSettings.BitmapDepth; }
    void SetBitmapDepth(TJPEGBitmapDepth depth) { FSettings.BitmapDepth = depth; }
    bool ScanByScanDisplay() const { return FSettings.ScanByScanDisplay; }
    void SetScanByScanDisplay(bool scanByScan) { FSettings.ScanByScanDisplay = scanByScan; }
    bool BlockSmoothing() const { return FSettings.BlockSmoothing; }
    void SetBlockSmoothing(bool smoothing) { FSettings.BlockSmoothing = smoothing; }
    TJPEGReduction ReduceBy() const { return FSettings.ReduceBy; }
    // Also computes the reduced size that PixelWidth and PixelHeight give
    // before the next decode.
    void SetReduceBy(TJPEGReduction reduction);

    // The bitmap, decoded from the bytes at the first call. A picture that
    // holds neither gives an empty bitmap.
    TBitmap& DecodedBitmap();
    // The decoded rows one after the other, without a bitmap, when no bitmap
    // exists yet and the decode would give 24-bit rows in one pass (see
    // jpeg_rows.h); null otherwise.
    std::unique_ptr<TJpegRowReader> OpenRowReader();
    // The reduced copy that a draw into a width × height rectangle uses: the
    // picture decoded at the smallest DCT scale whose result still covers the
    // rectangle, made at the first call and kept with the picture (a later
    // call reuses it while it covers the rectangle asked). Null when such a
    // draw needs the full decode: the bitmap exists, only the full size covers
    // the rectangle, there are no bytes, or the settings ask for what only the
    // full decode gives (a reduction, a palette given from outside). Raises
    // the decode's failure, as the full decode would at the same draw; the
    // rows decoded before it are kept, the others white. The bitmap is the
    // picture's, valid until the picture changes.
    TBitmap* ScaledBitmap(int32_t width, int32_t height);
    // Makes that reduced copy now, without raising: a failure is kept and
    // raised by the next ScaledBitmap (the picture's first draw), on the
    // thread that draws. Touches this picture's drawing cache only and reads
    // its bytes and settings, so it may run on a second thread while nothing
    // else uses this picture.
    void DecodeScaledAhead(int32_t width, int32_t height);
    // Whether the drawing cache holds a reduced copy.
    bool HasScaledBitmap() const { return Scaled != nullptr; }
    // Whether the bitmap form exists (decoded, or copied in).
    bool HasBitmap() const { return Decoded != nullptr; }
    // The compressed data, shared with copies.
    const TJPEGData& Data() const { return *Shared; }
    // How many pictures share that data (this one included).
    long DataShareCount() const { return Shared.use_count(); }

private:
    void CodecProgress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r) override;

    void ResetData();
    void ResetBitmap();
    void DropBitmap();
    void DropScaled();
    // Shares the other picture's drawing cache (it was made from the same
    // bytes), its held failure included.
    void CopyScaledFrom(const TJPEGImage& other);
    // The reduction a draw into width × height uses, ReduceNone for the full
    // decode.
    TJPEGReduction DrawReduction(int32_t width, int32_t height) const;
    void EnsureEncoded();
    void ReadEncoded(TStream& stream, int64_t count);
    void ComputeReducedSize();
    // Opens the codec on the bytes and sets its parameters from the settings.
    void OpenDecoder(TCodecContext& context, bool reportProgress);
    void OpenDecoder(TCodecContext& context, bool reportProgress, TStream& bytes);
    // The decode once the codec is open: output passes into the bitmap.
    void RunDecode(TCodecContext& context, TJpegDecodeTarget& target);
    // The end report of a decode, and the change notification after a new
    // palette.
    void EndDecode(bool succeeded);
    void Encode();

    std::shared_ptr<TJPEGData> Shared;
    std::unique_ptr<TBitmap> Decoded;
    std::unique_ptr<TScaledDecode> Scaled;  // the drawing cache
    std::exception_ptr ScaledFailure;       // of a decode made ahead, raised at the next draw
    int32_t ReducedWidth = 0;
    int32_t ReducedHeight = 0;
    mutable HPALETTE HeldPalette;  // given from outside, or the halftone palette of a palette screen
    JpegSettings FSettings;
};

}  // namespace tremalu
