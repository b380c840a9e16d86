#include "stereo/block_disparities.h"

#include <algorithm>
#include <cmath>

namespace tremalu {

namespace {

// What a block needs to be worth matching: a spread of grey values (in
// levels of 255) and, on average, this much change from one column to the
// next, so that it has something to hold on to sideways.
constexpr double MinContrast = 2.0;
constexpr double MinColumnChange = 0.75;
// What a match needs: a score this high, and no other peak of the score
// along the row within this much of it.
constexpr float MinScore = 0.85f;
constexpr float PeakMargin = 0.08f;

// Sums over the columns of a band of rows [y, y + height) of a plane, for
// the mean and spread of any block of the band in constant time: the sum of
// columns [0, x) at index x.
struct TBandSums {
    std::vector<double> Sum;
    std::vector<double> Squares;
};

TBandSums SumBand(const TGreyPlane& plane, int32_t y, int32_t height)
{
    std::vector<double> column(static_cast<size_t>(plane.Width), 0.0), squares(column.size(), 0.0);
    for (int32_t j = 0; j < height; ++j) {
        const float* row = plane.Row(y + j);
        for (int32_t x = 0; x < plane.Width; ++x) {
            column[static_cast<size_t>(x)] += row[x];
            squares[static_cast<size_t>(x)] += static_cast<double>(row[x]) * row[x];
        }
    }
    TBandSums sums{std::vector<double>(column.size() + 1, 0.0), std::vector<double>(column.size() + 1, 0.0)};
    for (size_t x = 0; x < column.size(); ++x) {
        sums.Sum[x + 1] = sums.Sum[x] + column[x];
        sums.Squares[x + 1] = sums.Squares[x] + squares[x];
    }
    return sums;
}

bool Textured(const TGreyPlane& plane, int32_t x, int32_t y, int32_t width, int32_t height)
{
    double sum = 0, squares = 0, change = 0;
    for (int32_t j = 0; j < height; ++j) {
        const float* row = plane.Row(y + j) + x;
        for (int32_t i = 0; i < width; ++i) {
            sum += row[i];
            squares += static_cast<double>(row[i]) * row[i];
            if (i > 0)
                change += std::abs(row[i] - row[i - 1]);
        }
    }
    const double n = static_cast<double>(width) * height;
    const double variance = squares / n - (sum / n) * (sum / n);
    return variance >= MinContrast * MinContrast && change / (static_cast<double>(width - 1) * height) >= MinColumnChange;
}

// The score of the block (ax, ay, width × height) of `a` against the block
// of `b` at each column of [first, last] on rows [by, by + height), whose
// band sums are `band`: score k is for column first + k. Empty when the
// block of `a` is flat.
std::vector<float> ScoreCurve(const TGreyPlane& a, int32_t ax, int32_t ay, int32_t width, int32_t height,
                              const TGreyPlane& b, const TBandSums& band, int32_t by, int32_t first, int32_t last)
{
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<float> centred(n);
    double mean = 0;
    for (int32_t j = 0; j < height; ++j)
        for (int32_t i = 0; i < width; ++i)
            mean += a.Row(ay + j)[ax + i];
    mean /= static_cast<double>(n);
    double norm = 0;
    for (int32_t j = 0; j < height; ++j)
        for (int32_t i = 0; i < width; ++i) {
            const float v = static_cast<float>(a.Row(ay + j)[ax + i] - mean);
            centred[static_cast<size_t>(j) * width + i] = v;
            norm += static_cast<double>(v) * v;
        }
    if (norm <= 0 || last < first)
        return {};

    // The cross sums for every position at once: each value of the block
    // times a run of the row, which the compiler vectorises. The block being
    // centred, the mean of b's block drops out of the cross sum.
    const size_t positions = static_cast<size_t>(last - first + 1);
    std::vector<float> cross(positions, 0.0f);
    for (int32_t j = 0; j < height; ++j) {
        const float* row = b.Row(by + j) + first;
        for (int32_t i = 0; i < width; ++i) {
            const float v = centred[static_cast<size_t>(j) * width + i];
            const float* run = row + i;
            for (size_t k = 0; k < positions; ++k)
                cross[k] += v * run[k];
        }
    }
    std::vector<float> scores(positions, 0.0f);
    for (size_t k = 0; k < positions; ++k) {
        const size_t x = static_cast<size_t>(first) + k;
        const double sum = band.Sum[x + width] - band.Sum[x];
        const double variance = band.Squares[x + width] - band.Squares[x] - sum * sum / static_cast<double>(n);
        // Below a hundredth of a level of spread per pixel the block of b is
        // flat: no score.
        if (variance > 1e-4 * static_cast<double>(n))
            scores[k] = static_cast<float>(cross[k] / std::sqrt(norm * variance));
    }
    return scores;
}

// The position of the curve's peak, to a fraction of a column (a parabola
// through the peak and its neighbours); none when the peak is low, lies at
// an end of the curve (the true one may be beyond it), or another peak comes
// close to it. Two equal peaks apart are therefore refused whatever their
// order, and two equal neighbours give the point halfway between them.
std::optional<double> FindPeak(const std::vector<float>& scores)
{
    if (scores.size() < 3)
        return std::nullopt;
    const size_t best = static_cast<size_t>(std::max_element(scores.begin(), scores.end()) - scores.begin());
    const float top = scores[best];
    if (top < MinScore || best == 0 || best + 1 == scores.size())
        return std::nullopt;
    for (size_t k = 0; k < scores.size(); ++k) {
        if (k + 1 >= best && k <= best + 1)
            continue;
        const bool peak = (k == 0 || scores[k] >= scores[k - 1]) && (k + 1 == scores.size() || scores[k] >= scores[k + 1]);
        if (peak && scores[k] > top - PeakMargin)
            return std::nullopt;
    }
    const double before = scores[best - 1], after = scores[best + 1];
    const double bend = before - 2.0 * top + after;
    const double fraction = bend < 0 ? std::clamp(0.5 * (before - after) / bend, -0.5, 0.5) : 0.0;
    return static_cast<double>(best) + fraction;
}

}  // namespace

TGreyPlane ReduceToGrey(const TPixelView& view, int32_t x, int32_t y, int32_t width, int32_t height, int32_t factor)
{
    TGreyPlane plane;
    plane.Factor = factor;
    plane.Width = width / factor;
    plane.Height = height / factor;
    plane.Values.assign(static_cast<size_t>(plane.Width) * static_cast<size_t>(plane.Height), 0.0f);
    if (plane.Width == 0 || plane.Height == 0)
        return plane;
    const TPixelBuffer& pixels = *view.Pixels;
    const int step = pixels.IsDeviceFormat() ? 4 : pixels.BitsPerPixel() == 24 ? 3 : 0;
    const int32_t used = plane.Width * factor;
    std::vector<uint32_t> scratch(step == 0 ? static_cast<size_t>(used) : 0);
    std::vector<double> sums(static_cast<size_t>(plane.Width));
    // From a factor of 4 on, every other row of a cell is read: the mean of
    // factor × factor / 2 pixels is as smooth for matching blocks, at half
    // the reading of a large picture.
    const int32_t rowStep = factor >= 4 ? 2 : 1;
    const int32_t rowsRead = (factor + rowStep - 1) / rowStep;
    const double scale = 1.0 / (3.0 * factor * rowsRead);
    for (int32_t py = 0; py < plane.Height; ++py) {
        std::fill(sums.begin(), sums.end(), 0.0);
        for (int32_t k = 0; k < factor; k += rowStep) {
            const int32_t row = view.Y + y + py * factor + k;
            // One row's sum over a factor's columns fits in 32 bits: a plane
            // row needs factor rows, so factor² pixels at most 2^28 keep
            // 3 × factor × 255 far below 2^32.
            if (step == 3) {
                const uint8_t* p = pixels.ScanLine(row) + static_cast<size_t>(view.X + x) * 3;
                for (int32_t i = 0; i < plane.Width; ++i, p += 3 * factor) {
                    uint32_t sum = 0;
                    for (int32_t b = 0; b < 3 * factor; ++b)
                        sum += p[b];
                    sums[static_cast<size_t>(i)] += sum;
                }
            } else if (step == 4) {
                const uint8_t* p = pixels.ScanLine(row) + static_cast<size_t>(view.X + x) * 4;
                for (int32_t i = 0; i < plane.Width; ++i) {
                    uint32_t sum = 0;
                    for (int32_t b = 0; b < factor; ++b, p += 4)
                        sum += uint32_t{p[0]} + p[1] + p[2];
                    sums[static_cast<size_t>(i)] += sum;
                }
            } else {
                pixels.ReadRow(row, view.X + x, used, scratch.data());
                const uint32_t* p = scratch.data();
                for (int32_t i = 0; i < plane.Width; ++i) {
                    uint32_t sum = 0;
                    for (int32_t b = 0; b < factor; ++b, ++p)
                        sum += (*p & 0xFF) + (*p >> 8 & 0xFF) + (*p >> 16 & 0xFF);
                    sums[static_cast<size_t>(i)] += sum;
                }
            }
        }
        float* out = plane.Values.data() + static_cast<size_t>(py) * static_cast<size_t>(plane.Width);
        for (int32_t i = 0; i < plane.Width; ++i)
            out[i] = static_cast<float>(sums[static_cast<size_t>(i)] * scale);
    }
    return plane;
}

TBlockMatches MatchBlocks(const TGreyPlane& left, const TGreyPlane& right, int32_t reach)
{
    constexpr int32_t B = MatchBlockSize;
    TBlockMatches result;
    const int32_t rows = std::min(left.Height, right.Height);
    if (left.Width < B || right.Width < B || rows < B)
        return result;
    for (int32_t by = 0; by + B <= rows; by += MatchBlockStep) {
        const TBandSums leftBand = SumBand(left, by, B);
        const TBandSums rightBand = SumBand(right, by, B);
        for (int32_t bx = 0; bx + B <= left.Width; bx += MatchBlockStep) {
            if (!Textured(left, bx, by, B, B))
                continue;
            ++result.TexturedBlocks;
            // RIGHT column bx - d for d within ±reach.
            const int32_t first = std::max(0, bx - reach);
            const int32_t last = std::min(right.Width - B, bx + reach);
            const std::optional<double> found = FindPeak(ScoreCurve(left, bx, by, B, B, right, rightBand, by, first, last));
            if (!found)
                continue;
            const double position = first + *found;
            // And back: the RIGHT block there, looked for in the LEFT plane,
            // must lead to this block within a column.
            const int32_t rx = static_cast<int32_t>(std::floor(position + 0.5));
            const int32_t backFirst = std::max(0, rx - reach);
            const int32_t backLast = std::min(left.Width - B, rx + reach);
            const std::optional<double> back =
                FindPeak(ScoreCurve(right, rx, by, B, B, left, leftBand, by, backFirst, backLast));
            if (!back || std::abs(backFirst + *back - bx) > 1.0)
                continue;
            result.Matches.push_back({bx, by, bx - position});
        }
    }
    return result;
}

std::optional<double> MatchAreaFullSize(const TPixelView& left, const TPixelView& right, int32_t x, int32_t y,
                                        int32_t width, int32_t height, int32_t centre, int32_t radius)
{
    if (x < 0 || y < 0 || width < 2 || height < 1 || x + width > left.Width || y + height > left.Height ||
        y + height > right.Height)
        return std::nullopt;
    const TGreyPlane area = ReduceToGrey(left, x, y, width, height, 1);
    if (!Textured(area, 0, 0, width, height))
        return std::nullopt;
    // The RIGHT columns that the disparities within reach can show.
    const int64_t from = std::max<int64_t>(0, int64_t{x} - centre - radius);
    const int64_t to = std::min<int64_t>(right.Width, int64_t{x} - centre + radius + width);
    if (to - from < width + 2)
        return std::nullopt;
    const TGreyPlane strip =
        ReduceToGrey(right, static_cast<int32_t>(from), y, static_cast<int32_t>(to - from), height, 1);
    const TBandSums band = SumBand(strip, 0, height);
    const std::optional<double> found = FindPeak(ScoreCurve(area, 0, 0, width, height, strip, band, 0, 0, strip.Width - width));
    if (!found)
        return std::nullopt;
    return x - (static_cast<double>(from) + *found);
}

}  // namespace tremalu
