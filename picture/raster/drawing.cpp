#include "raster/drawing.h"

#include "core/errors.h"
#include "core/graphic.h"

#include <algorithm>
#include <vector>

namespace tremalu {

// ---------------------------------------------------------------- tools

void TBrush::SetColor(TColor color)
{
    const TBrushStyle style = FStyle == TBrushStyle::bsClear ? TBrushStyle::bsSolid : FStyle;
    if (color == FColor && style == FStyle)
        return;
    FColor = color;
    FStyle = style;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    const TColor color = style == TBrushStyle::bsClear ? clWhite : FColor;
    if (color == FColor && style == FStyle)
        return;
    FColor = color;
    FStyle = style;
    Changed();
}

void TFont::SetColor(TColor color)
{
    if (color == FColor)
        return;
    FColor = color;
    Changed();
}

// ---------------------------------------------------------------- surface

bool OnHatchLine(TBrushStyle style, int32_t x, int32_t y)
{
    const int32_t cx = x & 7, cy = y & 7;
    const bool horizontal = cy == 3;
    const bool vertical = cx == 3;
    const bool forward = cx == cy;        // top-left to bottom-right
    const bool backward = cx + cy == 7;   // bottom-left to top-right
    switch (style) {
    case TBrushStyle::bsHorizontal:
        return horizontal;
    case TBrushStyle::bsVertical:
        return vertical;
    case TBrushStyle::bsFDiagonal:
        return forward;
    case TBrushStyle::bsBDiagonal:
        return backward;
    case TBrushStyle::bsCross:
        return horizontal || vertical;
    case TBrushStyle::bsDiagCross:
        return forward || backward;
    default:
        return false;
    }
}

namespace {

// Guards the lock counts of all surfaces.
std::mutex& CounterLock()
{
    static std::mutex lock;
    return lock;
}

// Maps destination offsets 0 ≤ i < destSize onto source offsets
// sourceStart + ⌊i × sourceSize ÷ destSize⌋, keeping only those that land
// inside [0, sourceLimit). Returns the first and one past the last offset
// kept; the mapping grows with i, so the kept offsets are contiguous.
struct Span {
    int32_t First = 0;
    int32_t End = 0;
};

int32_t MapOffset(int32_t i, int32_t sourceStart, int32_t sourceSize, int32_t destSize)
{
    return sourceStart + static_cast<int32_t>(static_cast<int64_t>(i) * sourceSize / destSize);
}

Span KeptSpan(int32_t clipFirst, int32_t clipEnd, int32_t sourceStart, int32_t sourceSize, int32_t destSize,
              int32_t sourceLimit)
{
    Span s{clipFirst, clipFirst};
    int32_t i = clipFirst;
    while (i < clipEnd && MapOffset(i, sourceStart, sourceSize, destSize) < 0)
        ++i;
    s.First = i;
    while (i < clipEnd && MapOffset(i, sourceStart, sourceSize, destSize) < sourceLimit)
        ++i;
    s.End = i;
    return s;
}

// Which source pixel each drawn pixel takes, for a source rectangle drawn
// into a destination rectangle of a target: destination offsets outside the
// target or mapping outside the source are left out.
struct StretchMapping {
    int32_t X0 = 0;        // first target column drawn
    int32_t Count = 0;     // target columns drawn
    int32_t FirstRow = 0;  // destination row offsets drawn: [FirstRow, EndRow)
    int32_t EndRow = 0;
    int32_t DestTop = 0;
    int32_t SourceTop = 0, SourceHeight = 0, DestHeight = 0;
    int32_t FirstColumn = 0;       // with Contiguous: the source column of X0
    bool Contiguous = false;       // same width: columns follow each other
    std::vector<int32_t> Columns;  // otherwise: the source column of each

    bool Plan(const TPixelBuffer& target, const TRect& dest, const TPixelBuffer& source, const TRect& sourceRect)
    {
        if (dest.IsEmpty() || sourceRect.IsEmpty())
            return false;
        const TRect clip = Intersect(dest, {0, 0, target.Width(), target.Height()});
        if (clip.IsEmpty())
            return false;
        const int32_t rw = dest.Width(), sw = sourceRect.Width();
        DestTop = dest.Top;
        SourceTop = sourceRect.Top;
        SourceHeight = sourceRect.Height();
        DestHeight = dest.Height();
        const Span cols = KeptSpan(clip.Left - dest.Left, clip.Right - dest.Left, sourceRect.Left, sw, rw, source.Width());
        const Span rows =
            KeptSpan(clip.Top - dest.Top, clip.Bottom - dest.Top, SourceTop, SourceHeight, DestHeight, source.Height());
        Count = cols.End - cols.First;
        FirstRow = rows.First;
        EndRow = rows.End;
        if (Count <= 0 || EndRow <= FirstRow)
            return false;
        X0 = dest.Left + cols.First;
        Contiguous = rw == sw;
        FirstColumn = MapOffset(cols.First, sourceRect.Left, sw, rw);
        if (!Contiguous) {
            Columns.resize(static_cast<size_t>(Count));
            for (int32_t i = 0; i < Count; ++i)
                Columns[static_cast<size_t>(i)] = MapOffset(cols.First + i, sourceRect.Left, sw, rw);
        }
        return true;
    }

    int32_t TargetRow(int32_t j) const { return DestTop + j; }

    void ReadSourceRow(const TPixelBuffer& source, int32_t j, uint32_t* out,
                       const TPixelBuffer::MonochromeColors* mono) const
    {
        const int32_t sy = MapOffset(j, SourceTop, SourceHeight, DestHeight);
        if (Contiguous)
            source.ReadRow(sy, FirstColumn, Count, out, mono);
        else
            source.ReadRowSampled(sy, Columns.data(), Count, out, mono);
    }
};

}  // namespace

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::LockSurface()
{
    {
        std::lock_guard<std::mutex> guard(CounterLock());
        ++LockCount;
    }
    Lock.lock();
}

void TCanvas::UnlockSurface()
{
    Lock.unlock();
    std::lock_guard<std::mutex> guard(CounterLock());
    --LockCount;
}

bool TCanvas::TryLockSurface()
{
    {
        std::lock_guard<std::mutex> guard(CounterLock());
        if (LockCount != 0)
            return false;
        ++LockCount;
    }
    Lock.lock();
    return true;
}

TRect TCanvas::ClipBounds()
{
    TPixelBuffer* target = Pixels();
    if (target == nullptr)
        return {};
    return {0, 0, target->Width(), target->Height()};
}

void TCanvas::DrawAt(int32_t x, int32_t y, TGraphic* graphic)
{
    if (graphic == nullptr || graphic->IsEmpty())
        return;
    BeforeChange();
    Pixels();
    TextColor = ResolveColor(FFont.Color());
    BackgroundColor = ResolveColor(FBrush.Color());
    graphic->DrawOn(*this, Rect(x, y, x + graphic->PixelWidth(), y + graphic->PixelHeight()));
    AfterChange();
}

void TCanvas::DrawStretched(const TRect& rect, TGraphic* graphic)
{
    if (graphic == nullptr)
        return;
    BeforeChange();
    Pixels();
    TextColor = ResolveColor(FFont.Color());
    BackgroundColor = ResolveColor(FBrush.Color());
    graphic->DrawOn(*this, rect);
    AfterChange();
}

void TCanvas::FillRectangle(const TRect& rect)
{
    BeforeChange();
    FillWithPattern(rect);
    AfterChange();
}

void TCanvas::FillWithPattern(const TRect& rect)
{
    TPixelBuffer* target = Pixels();
    if (target == nullptr || FBrush.Style() == TBrushStyle::bsClear)
        return;
    const TRect area = Intersect(rect, {0, 0, target->Width(), target->Height()});
    if (area.IsEmpty())
        return;
    const uint32_t color = DevicePixel(ResolveColor(FBrush.Color()));
    const int32_t n = area.Width();
    std::vector<uint32_t> row(static_cast<size_t>(n));
    for (int32_t y = area.Top; y < area.Bottom; ++y) {
        if (FBrush.Style() == TBrushStyle::bsSolid) {
            std::fill(row.begin(), row.end(), color);
        } else {
            // Between the hatch lines the background shows through.
            target->ReadRow(y, area.Left, n, row.data());
            for (int32_t i = 0; i < n; ++i)
                if (OnHatchLine(FBrush.Style(), area.Left + i, y))
                    row[static_cast<size_t>(i)] = color;
        }
        target->WriteRow(y, area.Left, n, row.data());
    }
}

void TCanvas::CopyRectangle(const TRect& destRect, TCanvas& source, const TRect& sourceRect)
{
    BeforeChange();
    TPixelBuffer* from = source.Pixels();
    if (from != nullptr)
        StretchPixels(destRect, *from, sourceRect, CopyMode);
    AfterChange();
}

void TCanvas::StretchPixels(const TRect& dest, const TPixelBuffer& source, const TRect& sourceRect, TRasterOp rop,
                            bool colourMonochrome)
{
    TPixelBuffer* target = Pixels();
    StretchMapping map;
    if (target == nullptr || !map.Plan(*target, dest, source, sourceRect))
        return;
    const int32_t n = map.Count;
    const uint8_t function = RopFunction(rop);
    const bool usesPattern = RopUsesPattern(function);
    const bool usesSource = RopUsesSource(function);
    const TPixelBuffer::MonochromeColors mono{DevicePixel(TextColor), DevicePixel(BackgroundColor)};
    const TPixelBuffer::MonochromeColors* monoColors =
        colourMonochrome && source.IsMonochrome() && !target->IsMonochrome() ? &mono : nullptr;

    std::vector<uint32_t> src(static_cast<size_t>(n));
    std::vector<uint32_t> dst;
    std::vector<uint32_t> pattern;
    const bool directTarget = target->IsDeviceFormat();
    if (!directTarget)
        dst.resize(static_cast<size_t>(n));
    if (usesPattern)
        pattern.resize(static_cast<size_t>(n));

    for (int32_t j = map.FirstRow; j < map.EndRow; ++j) {
        const int32_t y = map.TargetRow(j);
        uint32_t* out = directTarget ? reinterpret_cast<uint32_t*>(target->ScanLine(y)) + map.X0 : dst.data();
        if (usesSource) {
            // A plain copy onto device pixels reads the source straight into place.
            uint32_t* into = (directTarget && function == RopFunction(SRCCOPY)) ? out : src.data();
            map.ReadSourceRow(source, j, into, monoColors);
            if (into == out)
                continue;
        }
        if (!directTarget)
            target->ReadRow(y, map.X0, n, out);
        if (usesPattern)
            BrushPattern(y, map.X0, n, pattern.data());
        CombineRow(function, usesPattern ? pattern.data() : nullptr, src.data(), out, n);
        if (!directTarget)
            target->WriteRow(y, map.X0, n, out);
    }
}

void TCanvas::StretchPixelsTransparent(const TRect& dest, const TPixelBuffer& source, const TRect& sourceRect,
                                       uint32_t keyPixel)
{
    TPixelBuffer* target = Pixels();
    StretchMapping map;
    if (target == nullptr || !map.Plan(*target, dest, source, sourceRect))
        return;
    const size_t n = static_cast<size_t>(map.Count);
    std::vector<uint32_t> src(n), dst(n);
    const uint32_t key = keyPixel & DeviceColorBits;
    for (int32_t j = map.FirstRow; j < map.EndRow; ++j) {
        const int32_t y = map.TargetRow(j);
        map.ReadSourceRow(source, j, src.data(), nullptr);
        target->ReadRow(y, map.X0, map.Count, dst.data());
        for (size_t i = 0; i < n; ++i)
            if (src[i] != key)
                dst[i] = src[i];
        target->WriteRow(y, map.X0, map.Count, dst.data());
    }
}

void TCanvas::BrushPattern(int32_t y, int32_t x0, int32_t count, uint32_t* out) const
{
    const TColor resolved = ResolveColor(FBrush.Color());
    const uint32_t color = DevicePixel(resolved);
    switch (FBrush.Style()) {
    case TBrushStyle::bsSolid:
        std::fill(out, out + count, color);
        return;
    case TBrushStyle::bsClear:
        std::fill(out, out + count, 0u);
        return;
    default: {
        // Between its lines a hatched brush shows the background colour,
        // which is the inverse of the brush colour.
        const uint32_t gap = ~color & DeviceColorBits;
        for (int32_t i = 0; i < count; ++i)
            out[i] = OnHatchLine(FBrush.Style(), x0 + i, y) ? color : gap;
        return;
    }
    }
}

}  // namespace tremalu
