// The bitmap picture kind.
//
// A TBitmap refers to a shared TBitmapImage holding its pixel memory
// (std::shared_ptr: the last sharer frees it, on whatever thread). CopyFrom
// shares the image; the first change of either sharer gives it a private
// copy (copy-on-write), so drawing on one of two bitmaps that share pixels
// never changes the other. Sharing and the test for it happen under the
// global image lock.
//
// Storage kinds:
//  - empty: no pixel memory, though a width and height may be recorded;
//  - device-dependent: pixels in the display's format (32 bits per pixel,
//    bytes blue, green, red, 0), not addressable from outside until an
//    independent twin is made (for saving, Row, format changes);
//  - device-independent: pixels in a file-like layout (1 to 32 bits per
//    pixel, colour table, channel masks) that are addressable directly.
// On plain memory the twin of a device-dependent bitmap is the same memory
// seen through a 40-byte header, so making it costs nothing.
#pragma once

#include "raster/drawing.h"
#include "core/graphic.h"
#include "raster/pixel_buffer.h"

#include <memory>
#include <mutex>

namespace tremalu {

class TMemoryStream;

// The 40-byte info header of a device-independent bitmap.
struct TBitmapInfoHeader {
    uint32_t Size = 0;  // 0 while only the device part is known
    int32_t Width = 0;
    int32_t Height = 0;  // negative: rows stored top-down
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0;
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    uint32_t ClrUsed = 0;
    uint32_t ClrImportant = 0;
};

// What is known of a bitmap's pixel memory: its device part, its header
// (when it has addressable pixels) and its channel masks.
struct TBitmapDescription {
    struct {
        int32_t Width = 0;
        int32_t Height = 0;
        int32_t WidthBytes = 0;
        uint16_t Planes = 0;
        uint16_t BitsPixel = 0;
        const uint8_t* Bits = nullptr;  // null while the pixels are not addressable
    } Device;
    TBitmapInfoHeader Header;
    uint32_t Masks[3] = {0, 0, 0};
};

// The description of a pixel buffer as the system reports it: the device
// part only for device-dependent memory without a twin, the header too
// otherwise.
TBitmapDescription DescribePixels(const TPixelBuffer& pixels, bool addressable);

// The lock that guards the sharing and the replacement of images.
std::recursive_mutex& GlobalImageLock();

// Picture data that copies of a picture share and replace, never change in
// place, when one of them changes.
class TSharedImage {
public:
    virtual ~TSharedImage() = default;
};

class TBitmapImage : public TSharedImage {
public:
    std::unique_ptr<TPixelBuffer> Handle;  // null: empty
    bool DeviceDependent = true;           // how Handle's pixels are held
    bool HasTwin = false;                  // a device-dependent Handle whose pixels are addressable
    HPALETTE Palette;
    TBitmapDescription Description;
    std::unique_ptr<TMemoryStream> KeptFileData;  // the bytes of a compressed file, until the first change
    bool OS2Format = false;
    bool Halftone = false;
};

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum class TStorageKind { DeviceDependent, DeviceIndependent };
enum class TTransparentMode { Automatic, Fixed };

class TBitmap;

// A bitmap's own surface: drawing on it first gives the bitmap private
// pixels, and announces the change afterwards.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : Owner(bitmap) {}
    TPixelBuffer* Pixels() override;

protected:
    void BeforeChange() override;
    void AfterChange() override;

private:
    TBitmap& Owner;
};

class TBitmap : public TGraphic {
    TREMALU_DECLARE_CLASS()
public:
    TBitmap();
    ~TBitmap() override;

    void CopyFrom(const TPersistent* source) override;
    void DrawOn(TCanvas& canvas, const TRect& rect) override;
    bool IsEmpty() const override;
    int32_t PixelHeight() const override;
    int32_t PixelWidth() const override;
    HPALETTE Palette() const override;
    void SetPalette(HPALETTE palette) override;
    void SetPixelHeight(int32_t height) override;
    void SetPixelWidth(int32_t width) override;
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) override;
    void ReadFromStream(TStream& stream) override;
    void WriteToStream(TStream& stream) override;

    TCanvas& Surface();
    bool HasSurface() const { return FSurface != nullptr; }

    TPixelFormat PixelFormat() const;
    void SetPixelFormat(TPixelFormat format);
    TStorageKind StorageKind() const;
    void SetStorageKind(TStorageKind kind);
    bool Monochrome() const;

    // Address of row i (0 at the top) of the addressable pixels; makes the
    // pixels private and addressable first. EInvalidGraphicOperation "Indice
    // ligne hors limites" outside 0 ≤ i < height.
    uint8_t* Row(int32_t i);

    // Takes ownership of pixel memory (null makes the bitmap empty).
    void AdoptHandle(std::unique_ptr<TPixelBuffer> pixels, bool deviceDependent);
    // Gives up the pixel memory, after making it private.
    std::unique_ptr<TPixelBuffer> DetachHandle();
    HPALETTE DetachPalette();

    TColor TransparentKey() const;
    void SetTransparentKey(TColor key);
    TTransparentMode TransparentMode() const { return FTransparentMode; }

    // What the format readers and writers and fast drawing paths use.
    const TBitmapDescription& Description() const { return FImage->Description; }
    const TBitmapImage& Image() const { return *FImage; }
    // How many bitmaps share the image (this one included).
    long ImageShareCount() const;
    // The pixel memory as it is, without copying or changing anything; null
    // when empty. Readers must not keep it past the next change.
    const TPixelBuffer* PeekPixels() const { return FImage->Handle.get(); }
    // Replaces the image by a new one made by a reader, and announces it.
    void InstallImage(std::unique_ptr<TBitmapImage> image);
    // The step before every change: a shared image becomes private; the
    // twin, the kept file data and the colours-used counts are dropped.
    void Changing();
    // Makes the pixels of a device-dependent image addressable.
    void EnsureTwin();

private:
    friend class TBitmapCanvas;

    void Release();
    // Reads one BMP file of size bytes from the stream's position.
    void ReadBitmapFile(TStream& stream, int64_t size);
    void RecreateImage(const TPixelBuffer* old, HPALETTE palette, const TBitmapDescription& wanted);
    std::unique_ptr<TPixelBuffer> MakePixels(const TPixelBuffer* old, const HPALETTE& palette,
                                             const TBitmapDescription& wanted, bool& converted,
                                             bool& deviceDependent) const;

    void Share(std::shared_ptr<TBitmapImage> image);

    std::shared_ptr<TBitmapImage> FImage;
    std::unique_ptr<TBitmapCanvas> FSurface;
    // Set by the first palette query of a true-colour bitmap, which has no
    // palette to make: later queries need not look again.
    mutable bool FIgnorePalette = false;
    TColor FTransparentKey = clDefault;
    TTransparentMode FTransparentMode = TTransparentMode::Automatic;
};

}  // namespace tremalu
