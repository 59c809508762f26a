// Template measures: filtered values, level changes, curvature, means and the
// bend of three points, all on the averaged beat in recorder units. Sums of
// products with table weights accumulate in double in the order written here
// (right neighbour before left, outermost first, the centre last) and are
// truncated toward zero; a different order can change the last bit of a sum
// and so a truncated value. TemplateMeasuresTest checks each measure on
// hand-built templates.
#include "TemplateMeasures.h"

#include "FilterTables.h"
#include "Truncation.h"
#include "VectorClones.h"

#include <cassert>
#include <cmath>

namespace beatscan {
namespace {

int64_t magnitude(int64_t v) {
    return v < 0 ? -v : v;
}

// The sums of computeSharpen and computeRightEdge with the kernel fixed, over
// every position whose samples lie inside the beat; the same operations in the
// same order for each position.
template <int H> BEATSCAN_VECTOR_CLONES void sharpenAll(const int32_t* A, int32_t* out) {
    const double* s = SharpTable[H];
    for (int x = H; x < TemplateLength - H; ++x) {
        double acc = 0.0;
        for (int k = 1; k <= H; ++k) {
            acc += A[x + k] * s[H - k];
            acc += A[x - k] * s[H - k];
        }
        acc += A[x] * s[H];
        out[x] = truncateToInt(acc);
    }
}

template <int H> BEATSCAN_VECTOR_CLONES void rightEdgeAll(const int32_t* A, int32_t* out) {
    const double* e = EdgeTable[H];
    for (int x = 0; x < TemplateLength - H; ++x) {
        double acc = 0.0;
        for (int k = 1; k <= H; ++k) {
            acc += A[x + k] * e[H - k];
        }
        acc += A[x] * e[H];
        out[x] = truncateToInt(acc);
    }
}

} // namespace

TemplateMeasures::TemplateMeasures(const AveragedBeat& beat) : A(beat) {
    static_assert(DelineationSharpen == 4 && DelineationEdges[0] == 4 && DelineationEdges[1] == 5);
    sharpenAll<4>(A.data(), sharpened.data());
    rightEdgeAll<4>(A.data(), edges[0].data());
    rightEdgeAll<5>(A.data(), edges[1].data());
}

template <typename Compute> int32_t TemplateMeasures::Memo::get(int x, Compute compute) {
    assert(x >= 0 && x < TemplateLength);
    if (!known[x]) {
        values[x] = compute();
        known[x] = true;
    }
    return values[x];
}

int32_t TemplateMeasures::sharpenOther(int x, int h) const {
    return sharpenMemo[h].get(x, [&] { return computeSharpen(x, h); });
}

int32_t TemplateMeasures::rightEdgeOther(int x, int h) const {
    return rightEdgeMemo[h].get(x, [&] { return computeRightEdge(x, h); });
}

int32_t TemplateMeasures::computeSharpen(int x, int h) const {
    const double* s = SharpTable[h];
    double acc = 0.0;
    for (int k = 1; k <= h; ++k) {
        acc += value(x + k) * s[h - k];
        acc += value(x - k) * s[h - k];
    }
    acc += value(x) * s[h];
    return truncateToInt(acc);
}

int32_t TemplateMeasures::Smooth3(int x) const {
    const int64_t sum =
        2 * static_cast<int64_t>(Sharpen(x, 4)) + Sharpen(x + 2, 4) + Sharpen(x - 2, 4);
    return static_cast<int32_t>(sum / 4);
}

int32_t TemplateMeasures::computeRightEdge(int x, int h) const {
    const double* e = EdgeTable[h];
    double acc = 0.0;
    for (int k = 1; k <= h; ++k) {
        acc += value(x + k) * e[h - k];
    }
    acc += value(x) * e[h];
    return truncateToInt(acc);
}

int64_t TemplateMeasures::Level(int x, int h) const {
    int64_t level = 2 * static_cast<int64_t>(value(x));
    for (int k = 1; k <= h; ++k) {
        // Each pair sum is divided on its own, truncating toward zero.
        level += (static_cast<int64_t>(value(x + k)) + value(x - k)) / k;
    }
    return level;
}

int64_t TemplateMeasures::ForwardChange(int i, int h) const {
    return magnitude(Level(i + h, h) - Level(i + 3 * h, h));
}

int64_t TemplateMeasures::BackwardChange(int i, int h) const {
    return magnitude(Level(i - h, h) - Level(i - 3 * h, h));
}

int64_t TemplateMeasures::Curv(int i, int h) const {
    int64_t sum = 0;
    for (int k = 1; k <= h; ++k) {
        sum += 2 * static_cast<int64_t>(value(i)) - value(i + k) - value(i - k);
    }
    return sum;
}

int32_t TemplateMeasures::Mean(int s, int e) const {
    assert(e > s);
    int64_t sum = 0;
    for (int x = s; x < e; ++x) {
        sum += value(x);
    }
    return static_cast<int32_t>(sum / (e - s));
}

double BendCosine(double x1, double y1, double x2, double y2, double x3, double y3) {
    const double d12 = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    const double d23 = std::sqrt((x3 - x2) * (x3 - x2) + (y3 - y2) * (y3 - y2));
    const double d13 = std::sqrt((x3 - x1) * (x3 - x1) + (y3 - y1) * (y3 - y1));
    return (d12 * d12 + d23 * d23 - d13 * d13) / (2 * d12 * d23);
}

} // namespace beatscan
