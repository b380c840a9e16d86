#include "stereo/vertical_alignment.h"

#include "core/second_thread.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tremalu {

namespace {

// The reduced copy's size: about this many columns; for the coarse search,
// about this many rows.
constexpr int32_t ReducedColumns = 384;
constexpr int32_t CoarseRows = 256;
// How far the search reaches: vertically a share of the height, sideways
// (the parallax a strip may have) a share of the width.
constexpr double VerticalReach = 0.06;
constexpr double SidewaysReach = 0.08;
constexpr int32_t Strips = 8;

// A picture reduced to Columns × Rows mean brightness values, row by row.
struct TReduced {
    int32_t Columns = 0;
    int32_t Rows = 0;
    std::vector<float> Values;
    const float* Row(int32_t y) const { return Values.data() + static_cast<size_t>(y) * static_cast<size_t>(Columns); }
};

// Each value the mean of blue + green + red over `factor` neighbouring pixels
// of one row (all rows kept).
TReduced ReduceColumns(const TPixelView& view, int32_t columns, int32_t factor)
{
    TReduced reduced{columns, view.Height, std::vector<float>(static_cast<size_t>(columns) * view.Height)};
    const TPixelBuffer& pixels = *view.Pixels;
    const int step = pixels.IsDeviceFormat() ? 4 : pixels.BitsPerPixel() == 24 ? 3 : 0;
    std::vector<uint32_t> scratch(step == 0 ? static_cast<size_t>(columns) * factor : 0);
    const float scale = 1.0f / static_cast<float>(3 * factor);
    for (int32_t y = 0; y < view.Height; ++y) {
        float* out = reduced.Values.data() + static_cast<size_t>(y) * columns;
        if (step == 3) {
            // The blue, green and red bytes of `factor` pixels lie side by
            // side: one plain sum of bytes, which the compiler vectorises.
            const uint8_t* p = pixels.ScanLine(view.Y + y) + static_cast<size_t>(view.X) * 3;
            const int32_t span = 3 * factor;
            for (int32_t i = 0; i < columns; ++i, p += span) {
                uint32_t sum = 0;
                for (int32_t k = 0; k < span; ++k)
                    sum += p[k];
                out[i] = static_cast<float>(sum) * scale;
            }
        } else if (step == 4) {
            const uint8_t* p = pixels.ScanLine(view.Y + y) + static_cast<size_t>(view.X) * 4;
            for (int32_t i = 0; i < columns; ++i) {
                uint32_t sum = 0;
                for (int32_t k = 0; k < factor; ++k, p += 4)
                    sum += uint32_t{p[0]} + p[1] + p[2];
                out[i] = static_cast<float>(sum) * scale;
            }
        } else {
            pixels.ReadRow(view.Y + y, view.X, columns * factor, scratch.data());
            const uint32_t* p = scratch.data();
            for (int32_t i = 0; i < columns; ++i) {
                uint32_t sum = 0;
                for (int32_t k = 0; k < factor; ++k, ++p)
                    sum += (*p & 0xFF) + (*p >> 8 & 0xFF) + (*p >> 16 & 0xFF);
                out[i] = static_cast<float>(sum) * scale;
            }
        }
    }
    return reduced;
}

// Rows averaged in groups of `factor`.
TReduced ReduceRows(const TReduced& full, int32_t factor)
{
    TReduced reduced{full.Columns, full.Rows / factor, {}};
    reduced.Values.assign(static_cast<size_t>(reduced.Columns) * reduced.Rows, 0.0f);
    for (int32_t y = 0; y < reduced.Rows * factor; ++y) {
        float* out = reduced.Values.data() + static_cast<size_t>(y / factor) * reduced.Columns;
        const float* in = full.Row(y);
        for (int32_t i = 0; i < full.Columns; ++i)
            out[i] += in[i] / static_cast<float>(factor);
    }
    return reduced;
}

// The change from row to row of the mean over columns [from, from + width).
std::vector<double> Profile(const TReduced& picture, int32_t from, int32_t width)
{
    std::vector<double> sums(static_cast<size_t>(picture.Rows));
    for (int32_t y = 0; y < picture.Rows; ++y) {
        const float* row = picture.Row(y) + from;
        double sum = 0;
        for (int32_t i = 0; i < width; ++i)
            sum += row[i];
        sums[static_cast<size_t>(y)] = sum / width;
    }
    std::vector<double> changes(sums.size() > 1 ? sums.size() - 1 : 0);
    for (size_t y = 0; y < changes.size(); ++y)
        changes[y] = sums[y + 1] - sums[y];
    return changes;
}

// Normalised correlation of a[y] with b[y + offset] over the rows both have;
// 0 when fewer than half of a's rows overlap or either side is flat.
double Correlation(const std::vector<double>& a, const std::vector<double>& b, int32_t offset)
{
    const int64_t first = std::max<int64_t>(0, -offset);
    const int64_t last = std::min<int64_t>(static_cast<int64_t>(a.size()), static_cast<int64_t>(b.size()) - offset);
    const int64_t n = last - first;
    if (n < 2 || 2 * n < static_cast<int64_t>(a.size()))
        return 0;
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (int64_t y = first; y < last; ++y) {
        const double x = a[static_cast<size_t>(y)], z = b[static_cast<size_t>(y + offset)];
        sa += x;
        sb += z;
        saa += x * x;
        sbb += z * z;
        sab += x * z;
    }
    const double va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    if (va <= 0 || vb <= 0)
        return 0;
    return (sab - sa * sb / n) / std::sqrt(va * vb);
}

// Whether a candidate at `at` scoring `score` beats the best so far. Equal
// scores (pictures without vertical structure correlate equally, or not at
// all, at every offset) go to the candidate nearer to 0, and between -n and
// n to -n, so that the answer never depends on the order of the search.
bool Beats(double score, int32_t at, double bestScore, int32_t bestAt)
{
    if (score != bestScore)
        return score > bestScore;
    const int64_t distance = std::abs(int64_t{at}), bestDistance = std::abs(int64_t{bestAt});
    return distance != bestDistance ? distance < bestDistance : at < bestAt;
}

// The strips of the LEFT picture, clear of the sideways reach on both sides.
struct TStrip {
    int32_t From = 0;
    int32_t Width = 0;
    int32_t Sideways = 0;  // the best sideways position of the RIGHT strip
};

std::vector<TStrip> MakeStrips(int32_t columns, int32_t reach)
{
    const int32_t inner = columns - 2 * reach;
    const int32_t count = std::clamp(inner / 4, 1, Strips);
    std::vector<TStrip> strips;
    for (int32_t s = 0; s < count; ++s) {
        const int32_t from = reach + s * inner / count;
        const int32_t to = reach + (s + 1) * inner / count;
        strips.push_back({from, to - from, 0});
    }
    return strips;
}

// The offset in [from, to] whose strips, each at its best sideways position
// among `sideways`, correlate best in total; each strip's best position is
// kept.
int32_t BestOffset(const TReduced& left, const TReduced& right, std::vector<TStrip>& strips, int32_t from, int32_t to,
                   const std::vector<std::vector<int32_t>>& sideways)
{
    std::vector<std::vector<double>> leftProfiles, rightProfiles;
    for (size_t s = 0; s < strips.size(); ++s)
        leftProfiles.push_back(Profile(left, strips[s].From, strips[s].Width));
    std::vector<std::vector<std::vector<double>>> candidates(strips.size());
    for (size_t s = 0; s < strips.size(); ++s)
        for (const int32_t h : sideways[s])
            candidates[s].push_back(Profile(right, strips[s].From + h, strips[s].Width));

    int32_t best = 0;
    double bestScore = -std::numeric_limits<double>::infinity();
    std::vector<int32_t> bestSideways(strips.size(), 0);
    std::vector<int32_t> chosen(strips.size(), 0);
    for (int32_t offset = from; offset <= to; ++offset) {
        double score = 0;
        for (size_t s = 0; s < strips.size(); ++s) {
            double top = -std::numeric_limits<double>::infinity();
            for (size_t k = 0; k < candidates[s].size(); ++k) {
                const double c = Correlation(leftProfiles[s], candidates[s][k], offset);
                if (Beats(c, sideways[s][k], top, chosen[s])) {
                    top = c;
                    chosen[s] = sideways[s][k];
                }
            }
            score += top;
        }
        if (Beats(score, offset, bestScore, best)) {
            bestScore = score;
            best = offset;
            bestSideways = chosen;
        }
    }
    for (size_t s = 0; s < strips.size(); ++s)
        strips[s].Sideways = bestSideways[s];
    return best;
}

}  // namespace

int32_t EstimateVerticalOffset(const TPixelView& left, const TPixelView& right)
{
    const int32_t width = std::min(left.Width, right.Width);
    const int32_t height = std::min(left.Height, right.Height);
    if (width < 8 || height < 8)
        return 0;

    // The reduced copies: columns averaged on both pictures at once.
    const int32_t factor = (width + ReducedColumns - 1) / ReducedColumns;
    const int32_t columns = width / factor;
    TReduced leftFull, rightFull;
    RunOnTwoThreads([&] { rightFull = ReduceColumns(right, columns, factor); },
                    [&] { leftFull = ReduceColumns(left, columns, factor); });

    // Coarse: rows averaged too; every sideways position within reach.
    const int32_t rowFactor = std::max(1, height / CoarseRows);
    const TReduced leftCoarse = ReduceRows(leftFull, rowFactor);
    const TReduced rightCoarse = ReduceRows(rightFull, rowFactor);
    const int32_t sidewaysReach =
        std::min(static_cast<int32_t>(std::ceil(SidewaysReach * columns)), (columns - 4) / 2);
    std::vector<TStrip> strips = MakeStrips(columns, sidewaysReach);
    std::vector<int32_t> everyPosition;
    for (int32_t h = -sidewaysReach; h <= sidewaysReach; ++h)
        everyPosition.push_back(h);
    const int32_t reach = static_cast<int32_t>(std::ceil(VerticalReach * height)) + 1;
    const int32_t coarseReach = (reach + rowFactor - 1) / rowFactor;
    const int32_t coarse = BestOffset(leftCoarse, rightCoarse, strips, -coarseReach, coarseReach,
                                      std::vector<std::vector<int32_t>>(strips.size(), everyPosition));
    if (rowFactor == 1)
        return coarse;

    // Fine: full vertical resolution around the coarse answer, each strip
    // near its sideways position.
    std::vector<std::vector<int32_t>> near(strips.size());
    for (size_t s = 0; s < strips.size(); ++s)
        for (int32_t h = strips[s].Sideways - 1; h <= strips[s].Sideways + 1; ++h)
            if (h >= -sidewaysReach && h <= sidewaysReach)
                near[s].push_back(h);
    // The coarse answer's rows, and one more on each side, but never beyond
    // the reach the coarse search was held to.
    const int32_t centre = coarse * rowFactor;
    return BestOffset(leftFull, rightFull, strips, std::max(centre - rowFactor - 1, -reach),
                      std::min(centre + rowFactor + 1, reach), near);
}

}  // namespace tremalu
