#include "anaglyph.h"

#include "draw_on_white.h"
#include "jpeg_image.h"

#include <algorithm>

namespace tremalu {

void TAnaglyphSide::PutRed(int32_t y, uint32_t* out)
{
    Row(y, Scratch.data());
    for (int32_t x = 0; x < Width; ++x)
        out[x] = Scratch[static_cast<size_t>(x)] & 0x00FF0000u;
}

void TAnaglyphSide::AddGreenBlue(int32_t y, uint32_t* out)
{
    Row(y, Scratch.data());
    for (int32_t x = 0; x < Width; ++x)
        out[x] |= Scratch[static_cast<size_t>(x)] & 0x0000FFFFu;
}

namespace {

// Rows of a bitmap's own pixels, white where the target reaches past them.
// Drawing such a bitmap at (0, 0) with the copy mode converts each pixel to
// the device format and nothing else, so reading its rows gives the same.
// 24- and 32-bit rows, the common case, have their channels taken straight
// from their bytes (blue, green, red).
class TBitmapSide : public TAnaglyphSide {
public:
    TBitmapSide(const TPixelBuffer& pixels, int32_t width)
        : TAnaglyphSide(width), Pixels(pixels), Step(pixels.IsDeviceFormat() ? 4 : pixels.BitsPerPixel() == 24 ? 3 : 0)
    {
    }

    void Row(int32_t y, uint32_t* out) override
    {
        const int32_t covered = Covered(y);
        if (covered > 0)
            Pixels.ReadRow(y, 0, covered, out);
        std::fill(out + covered, out + Width, DeviceColorBits);
    }

    void PutRed(int32_t y, uint32_t* out) override
    {
        if (Step == 0)
            return TAnaglyphSide::PutRed(y, out);
        const int32_t covered = Covered(y);
        const uint8_t* p = covered > 0 ? Pixels.ScanLine(y) + 2 : nullptr;
        for (int32_t x = 0; x < covered; ++x, p += Step)
            out[x] = uint32_t{*p} << 16;
        std::fill(out + covered, out + Width, 0x00FF0000u);
    }

    void AddGreenBlue(int32_t y, uint32_t* out) override
    {
        if (Step == 0)
            return TAnaglyphSide::AddGreenBlue(y, out);
        const int32_t covered = Covered(y);
        const uint8_t* p = covered > 0 ? Pixels.ScanLine(y) : nullptr;
        for (int32_t x = 0; x < covered; ++x, p += Step)
            out[x] |= uint32_t{p[0]} | (uint32_t{p[1]} << 8);
        for (int32_t x = covered; x < Width; ++x)
            out[x] |= 0x0000FFFFu;
    }

    const uint8_t* DirectRow(int32_t y, int& step) override
    {
        step = Step;
        return Step != 0 && Covered(y) == Width ? Pixels.ScanLine(y) : nullptr;
    }

private:
    int32_t Covered(int32_t y) const { return y < Pixels.Height() ? std::min(Width, Pixels.Width()) : 0; }

    const TPixelBuffer& Pixels;
    const int Step;  // bytes per pixel of the rows read directly; 0 for the other layouts
};

// A picture that must be drawn to be seen: drawn once on white, then read.
class TDrawnSide : public TAnaglyphSide {
public:
    TDrawnSide(TGraphic* graphic, int32_t width, int32_t height)
        : TAnaglyphSide(width), Drawn(DrawOnWhite(graphic, width, height)), Rows(*Drawn->PeekPixels(), width)
    {
    }
    void Row(int32_t y, uint32_t* out) override { Rows.Row(y, out); }
    void PutRed(int32_t y, uint32_t* out) override { Rows.PutRed(y, out); }
    void AddGreenBlue(int32_t y, uint32_t* out) override { Rows.AddGreenBlue(y, out); }

private:
    std::unique_ptr<TBitmap> Drawn;
    TBitmapSide Rows;
};

// Bitmaps whose drawing is a plain copy of their pixels: not transparent,
// and not a monochrome device bitmap (which takes the surface's colours).
// The anaglyph row from two rows of bytes, the red of one and the green and
// blue of the other, in one pass.
template <int LeftStep, int RightStep>
void CombineDirect(const uint8_t* left, const uint8_t* right, uint32_t* out, int32_t width)
{
    for (int32_t x = 0; x < width; ++x, left += LeftStep, right += RightStep)
        out[x] = (uint32_t{left[2]} << 16) | (uint32_t{right[1]} << 8) | right[0];
}

bool CombineDirectRows(const uint8_t* left, int leftStep, const uint8_t* right, int rightStep, uint32_t* out,
                       int32_t width)
{
    if (left == nullptr || right == nullptr)
        return false;
    if (leftStep == 3 && rightStep == 3)
        CombineDirect<3, 3>(left, right, out, width);
    else if (leftStep == 3)
        CombineDirect<3, 4>(left, right, out, width);
    else if (rightStep == 3)
        CombineDirect<4, 3>(left, right, out, width);
    else
        CombineDirect<4, 4>(left, right, out, width);
    return true;
}

const TPixelBuffer* OpaquePixels(TGraphic* graphic)
{
    const auto* bitmap = dynamic_cast<const TBitmap*>(graphic);
    if (bitmap == nullptr || bitmap->Transparent() || bitmap->IsEmpty())
        return nullptr;
    const TPixelBuffer* pixels = bitmap->PeekPixels();
    if (bitmap->Image().DeviceDependent && pixels->IsMonochrome())
        return nullptr;
    return pixels;
}

}  // namespace

std::unique_ptr<TAnaglyphSide> MakeAnaglyphSide(TGraphic* graphic, int32_t width, int32_t height)
{
    // A JPEG picture draws its decoded bitmap with the copy mode at its own
    // size, so its rows are those of that bitmap (decoded now if need be, as
    // the draw would). A picture with nothing to decode draws nothing.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic); jpeg != nullptr && !jpeg->IsEmpty())
        graphic = &jpeg->DecodedBitmap();
    if (const TPixelBuffer* pixels = OpaquePixels(graphic))
        return std::make_unique<TBitmapSide>(*pixels, width);
    return std::make_unique<TDrawnSide>(graphic, width, height);
}

std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height)
{
    auto result = std::make_unique<TBitmap>();
    if (width <= 0 || height <= 0)
        return result;
    std::unique_ptr<TPixelBuffer> pixels = TPixelBuffer::MakeDevice(width, height);
    std::unique_ptr<TAnaglyphSide> leftSide = MakeAnaglyphSide(left, width, height);
    std::unique_ptr<TAnaglyphSide> rightSide = MakeAnaglyphSide(right, width, height);
    for (int32_t y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(pixels->ScanLine(y));
        int leftStep = 0, rightStep = 0;
        const uint8_t* l = leftSide->DirectRow(y, leftStep);
        const uint8_t* r = rightSide->DirectRow(y, rightStep);
        if (CombineDirectRows(l, leftStep, r, rightStep, out, width))
            continue;
        leftSide->PutRed(y, out);
        rightSide->AddGreenBlue(y, out);
    }
    result->AdoptHandle(std::move(pixels), true);
    return result;
}

}  // namespace tremalu
