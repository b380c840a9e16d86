#include "stereo/anaglyph.h"

#include "stereo/draw_on_white.h"
#include "core/errors.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/jpeg/jpeg_rows.h"
#include "formats/jpeg/jpeg_rows_ahead.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
    TBitmapSide(const TPixelBuffer& pixels, int32_t width, int32_t originX, int32_t originY)
        : TAnaglyphSide(width, originX, originY), Pixels(pixels),
          Step(pixels.IsDeviceFormat() ? 4 : pixels.BitsPerPixel() == 24 ? 3 : 0)
    {
    }

    void Row(int32_t y, uint32_t* out) override
    {
        const int32_t covered = Covered(y);
        if (covered > 0)
            Pixels.ReadRow(OriginY + y, OriginX, covered, out);
        std::fill(out + covered, out + Width, DeviceColorBits);
    }

    void PutRed(int32_t y, uint32_t* out) override
    {
        if (Step == 0)
            return TAnaglyphSide::PutRed(y, out);
        const int32_t covered = Covered(y);
        const uint8_t* p = covered > 0 ? Start(y) + 2 : nullptr;
        for (int32_t x = 0; x < covered; ++x, p += Step)
            out[x] = uint32_t{*p} << 16;
        std::fill(out + covered, out + Width, 0x00FF0000u);
    }

    void AddGreenBlue(int32_t y, uint32_t* out) override
    {
        if (Step == 0)
            return TAnaglyphSide::AddGreenBlue(y, out);
        const int32_t covered = Covered(y);
        const uint8_t* p = covered > 0 ? Start(y) : nullptr;
        for (int32_t x = 0; x < covered; ++x, p += Step)
            out[x] |= uint32_t{p[0]} | (uint32_t{p[1]} << 8);
        for (int32_t x = covered; x < Width; ++x)
            out[x] |= 0x0000FFFFu;
    }

    const uint8_t* DirectRow(int32_t y, int& step) override
    {
        step = Step;
        return Step != 0 && Covered(y) == Width ? Start(y) : nullptr;
    }

private:
    // The pixels of row y that the picture has; white beyond them.
    int32_t Covered(int32_t y) const
    {
        return OriginY + y < Pixels.Height() ? std::clamp(Pixels.Width() - OriginX, 0, Width) : 0;
    }
    const uint8_t* Start(int32_t y) const { return Pixels.ScanLine(OriginY + y) + OriginX * Step; }

    const TPixelBuffer& Pixels;
    const int Step;  // bytes per pixel of the rows read directly; 0 for the other layouts
};

// A picture that must be drawn to be seen: drawn once on white, then read.
class TDrawnSide : public TAnaglyphSide {
public:
    TDrawnSide(TGraphic* graphic, int32_t width, int32_t height, int32_t originX, int32_t originY)
        : TAnaglyphSide(width, originX, originY), Drawn(DrawOnWhite(graphic, originX + width, originY + height)),
          Rows(*Drawn->PeekPixels(), width, originX, originY)
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

// Two rows of blue, green, red triplets: the red of left pixel k is byte
// 3k + 2, the green and blue of right pixel k bytes 3k + 1 and 3k.
void CombineTripletsScalar(const uint8_t* left, const uint8_t* right, uint32_t* out, int32_t from, int32_t width)
{
    left += 3 * static_cast<size_t>(from);
    right += 3 * static_cast<size_t>(from);
    for (int32_t x = from; x < width; ++x, left += 3, right += 3)
        out[x] = (uint32_t{left[2]} << 16) | (uint32_t{right[1]} << 8) | right[0];
}

#if defined(__x86_64__)
// The same, four pixels per step with byte shuffles (SSSE3, which every
// x86-64 processor of the last fifteen years has; checked at run time).
// Each step reads 16 bytes from 3x, so the loop stops while 16 bytes remain
// in the row (x + 6 ≤ width) and the rest goes pixel by pixel.
__attribute__((target("ssse3"))) int32_t CombineTripletsShuffled(const uint8_t* left, const uint8_t* right,
                                                                 uint32_t* out, int32_t width)
{
    const __m128i redOfLeft = _mm_setr_epi8(-1, -1, 2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1);
    const __m128i greenBlueOfRight = _mm_setr_epi8(0, 1, -1, -1, 3, 4, -1, -1, 6, 7, -1, -1, 9, 10, -1, -1);
    int32_t x = 0;
    for (; x + 6 <= width; x += 4) {
        const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(left + 3 * static_cast<size_t>(x)));
        const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(right + 3 * static_cast<size_t>(x)));
        const __m128i pixels = _mm_or_si128(_mm_shuffle_epi8(l, redOfLeft), _mm_shuffle_epi8(r, greenBlueOfRight));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), pixels);
    }
    return x;
}
#endif

template <>
void CombineDirect<3, 3>(const uint8_t* left, const uint8_t* right, uint32_t* out, int32_t width)
{
    int32_t done = 0;
#if defined(__x86_64__)
    static const bool shuffles = __builtin_cpu_supports("ssse3");
    if (shuffles)
        done = CombineTripletsShuffled(left, right, out, width);
#endif
    CombineTripletsScalar(left, right, out, done, width);
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

// A JPEG picture not decoded yet, or a JPEG file read as it is composed:
// its rows come from the codec one after the other, the same bytes that
// decoding into a bitmap would give, and no bitmap of the whole picture is
// made. The rows are decoded ahead of the composition by the composition's
// helper thread, and by the composing thread when the helper is elsewhere,
// so that the two sides decode at once.
class TJpegStreamSide : public TAnaglyphSide {
public:
    // owned: rows, when they are the side's own.
    TJpegStreamSide(TJpegDecodeHelper& helper, TJpegRowReader& rows, std::unique_ptr<TJpegRowReader> owned,
                    int32_t width, int32_t originX, int32_t originY)
        : TAnaglyphSide(width, originX, originY), Owned(std::move(owned)),
          Reader(std::make_unique<TJpegRowsAhead>(helper, Started(rows))),
          Covered(std::clamp(Reader->Width() - originX, 0, width))
    {
    }

    void Row(int32_t y, uint32_t* out) override
    {
        const uint8_t* row = Fetch(y);
        const int32_t covered = row != nullptr ? Covered : 0;
        for (int32_t x = 0; x < covered; ++x, row += 3)
            out[x] = uint32_t{row[0]} | (uint32_t{row[1]} << 8) | (uint32_t{row[2]} << 16);
        std::fill(out + covered, out + Width, DeviceColorBits);
    }

    const uint8_t* DirectRow(int32_t y, int& step) override
    {
        step = 3;
        return Covered == Width ? Fetch(y) : nullptr;
    }

    void Finish() override { Reader->Finish(); }

private:
    // The decode's own failures (a picture over the bitmap limit, a
    // progressive file's scans) come here, before the first row is asked for.
    static TJpegRowReader& Started(TJpegRowReader& rows)
    {
        rows.Start();
        return rows;
    }

    // Row y of the side from its first covered pixel, or null below the
    // picture's last row.
    const uint8_t* Fetch(int32_t y)
    {
        y += OriginY;
        if (y >= Reader->Height())
            return nullptr;
        while (Fetched <= y) {
            Current = Reader->NextRow();
            ++Fetched;
        }
        return Current + 3 * static_cast<size_t>(OriginX);
    }

    std::unique_ptr<TJpegRowReader> Owned;  // before Reader, which reads it
    std::unique_ptr<TJpegRowsAhead> Reader;
    const int32_t Covered;
    int32_t Fetched = 0;
    const uint8_t* Current = nullptr;
};

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

std::unique_ptr<TAnaglyphSide> MakeAnaglyphSide(TAnaglyphSource source, TJpegDecodeHelper& helper, int32_t width,
                                                int32_t height, int32_t originX, int32_t originY)
{
    if (source.Rows != nullptr)
        return std::make_unique<TJpegStreamSide>(helper, *source.Rows, nullptr, width, originX, originY);
    TGraphic* graphic = source.Graphic;
    // A JPEG picture draws its decoded bitmap with the copy mode at its own
    // size, so its rows are those of that bitmap: streamed from the codec
    // when no bitmap exists yet and the decode allows it, otherwise decoded
    // now, as the draw would. A picture with nothing to decode draws nothing.
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic); jpeg != nullptr && !jpeg->IsEmpty()) {
        if (std::unique_ptr<TJpegRowReader> reader = jpeg->OpenRowReader()) {
            TJpegRowReader& rows = *reader;
            return std::make_unique<TJpegStreamSide>(helper, rows, std::move(reader), width, originX, originY);
        }
        graphic = &jpeg->DecodedBitmap();
    }
    if (const TPixelBuffer* pixels = OpaquePixels(graphic))
        return std::make_unique<TBitmapSide>(*pixels, width, originX, originY);
    return std::make_unique<TDrawnSide>(graphic, width, height, originX, originY);
}

TStereoFrame WholeLeftFrame(int32_t leftWidth, int32_t leftHeight) { return {leftWidth, leftHeight}; }

TStereoFrame ShiftedFrame(int32_t leftWidth, int32_t leftHeight, int32_t rightWidth, int32_t rightHeight, int64_t dx,
                          int64_t dy)
{
    // RIGHT pixel (u, v) lands on LEFT pixel (u - dx, v - dy): in LEFT
    // coordinates the overlap runs from max(0, -d) to min(left, right - d).
    const auto overlap = [](int64_t left, int64_t right, int64_t d) {
        return std::pair{std::max<int64_t>(0, -d), std::min<int64_t>(left, right - d)};
    };
    const auto [x0, x1] = overlap(leftWidth, rightWidth, dx);
    const auto [y0, y1] = overlap(leftHeight, rightHeight, dy);
    if (x1 <= x0 || y1 <= y0)
        throw Exception(NoOverlapText);
    TStereoFrame frame;
    frame.Width = static_cast<int32_t>(x1 - x0);
    frame.Height = static_cast<int32_t>(y1 - y0);
    frame.LeftX = static_cast<int32_t>(x0);
    frame.LeftY = static_cast<int32_t>(y0);
    frame.RightX = static_cast<int32_t>(x0 + dx);
    frame.RightY = static_cast<int32_t>(y0 + dy);
    return frame;
}

TAnaglyphRows::TAnaglyphRows(TGraphic* left, TGraphic* right, int32_t width, int32_t height)
    : TAnaglyphRows(left, right, WholeLeftFrame(width, height), TAnaglyphMix{})
{
}

TAnaglyphRows::TAnaglyphRows(TAnaglyphSource left, TAnaglyphSource right, const TStereoFrame& frame,
                             const TAnaglyphMix& mix)
    : FWidth(frame.Width), FHeight(frame.Height),
      Left(MakeAnaglyphSide(left, Helper, frame.Width, frame.Height, frame.LeftX, frame.LeftY)),
      Right(MakeAnaglyphSide(right, Helper, frame.Width, frame.Height, frame.RightX, frame.RightY))
{
    if (!mix.IsDefault()) {
        Mixer.emplace(mix);
        LeftRow.resize(static_cast<size_t>(FWidth));
        RightRow.resize(static_cast<size_t>(FWidth));
    }
}

TAnaglyphRows::~TAnaglyphRows() = default;

void TAnaglyphRows::NextRow(uint32_t* out)
{
    const int32_t y = Next++;
    if (Mixer) {
        Left->Row(y, LeftRow.data());
        Right->Row(y, RightRow.data());
        Mixer->MixRow(LeftRow.data(), RightRow.data(), out, FWidth);
    } else {
        CombineRows(y, out);
    }
    if (Next == FHeight) {
        Left->Finish();
        Right->Finish();
    }
}

void TAnaglyphRows::CombineRows(int32_t y, uint32_t* out)
{
    int leftStep = 0, rightStep = 0;
    const uint8_t* l = Left->DirectRow(y, leftStep);
    const uint8_t* r = Right->DirectRow(y, rightStep);
    if (!CombineDirectRows(l, leftStep, r, rightStep, out, FWidth)) {
        Left->PutRed(y, out);
        Right->AddGreenBlue(y, out);
    }
}

std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, const TStereoFrame& frame,
                                         const TAnaglyphMix& mix)
{
    auto result = std::make_unique<TBitmap>();
    if (frame.Width <= 0 || frame.Height <= 0)
        return result;
    std::unique_ptr<TPixelBuffer> pixels = TPixelBuffer::MakeDevice(frame.Width, frame.Height);
    TAnaglyphRows rows(left, right, frame, mix);
    for (int32_t y = 0; y < frame.Height; ++y)
        rows.NextRow(reinterpret_cast<uint32_t*>(pixels->ScanLine(y)));
    result->AdoptHandle(std::move(pixels), true);
    return result;
}

std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height,
                                         const TAnaglyphMix& mix)
{
    return ComposeAnaglyph(left, right, WholeLeftFrame(width, height), mix);
}

std::unique_ptr<TBitmap> ComposeAnaglyph(TGraphic* left, TGraphic* right, int32_t width, int32_t height)
{
    return ComposeAnaglyph(left, right, WholeLeftFrame(width, height), TAnaglyphMix{});
}

}  // namespace tremalu
