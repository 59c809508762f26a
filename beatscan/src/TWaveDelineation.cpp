// T-wave peak, polarity and end on the averaged beat (R peak at 125, 4 ms per
// sample). The peak is the extreme of the smoothed beat between 140 and 400 ms
// after R (kept before the next beat's QRS) that is a local extreme over
// +-20 ms and stands out from its shoulders 48..100 ms away; the end is the
// farthest point within 124 ms of the peak where the wave still returns and
// the curve bends toward the baseline. TWaveDelineationTest checks upright and
// inverted waves, the failure cases and the span limits.
#include "Delineation.h"

#include <algorithm>
#include <cstdlib>

namespace beatscan {
namespace {

constexpr int TSpanFirst = 35; // samples after R, 140 ms
constexpr int TSpanAfterQrsEnd = 100;
constexpr int TSpanLast = 100;        // samples after R, 400 ms
constexpr int TSpanBeforeNextQb = 15; // samples, 60 ms
constexpr int PeakHalfWidth = 5;      // samples, 20 ms
constexpr int ShoulderNear = 12;      // samples, 48 ms
constexpr int ShoulderFar = 25;       // samples, 100 ms
constexpr int ClearDepth = 3;         // recorder units
constexpr int TEndReach = 31;         // samples, 124 ms
constexpr int TEndLastStart = 241;    // keeps the samples read for z inside the beat
constexpr int EdgeSmoothing = 2;      // GaussTable half-width
constexpr int EdgeLength = 4;         // EdgeTable kernel

struct Extreme {
    int32_t index;
    bool failed;
    int32_t depth;
};

// sign +1 judges a maximum, -1 a minimum.
Extreme judgeExtreme(const TemplateMeasures& m, int32_t index, int sign) {
    const int64_t centre = sign * static_cast<int64_t>(m.Smooth3(index));
    bool failed = false;
    for (int j = 1; j <= PeakHalfWidth; ++j) {
        failed = failed || sign * static_cast<int64_t>(m.Smooth3(index + j)) > centre ||
                 sign * static_cast<int64_t>(m.Smooth3(index - j)) > centre;
    }
    const int64_t peak = m.value(index);
    const int64_t before = m.Mean(index - ShoulderFar, index - ShoulderNear);
    const int64_t after = m.Mean(index + ShoulderNear, index + ShoulderFar);
    failed = failed || sign * before > sign * peak || sign * after > sign * peak;
    const int64_t depth = std::min(std::abs(after - peak), std::abs(before - peak));
    return {index, failed, static_cast<int32_t>(std::min<int64_t>(depth, INT32_MAX))};
}

WavePeak decide(const Extreme& high, const Extreme& low, int32_t fallback) {
    if (high.failed && low.failed) {
        return {fallback, 0};
    }
    if (low.failed) {
        return {high.index, 0};
    }
    if (high.failed) {
        return {low.index, 1};
    }
    if (high.depth > ClearDepth || low.depth > ClearDepth) {
        return high.depth >= low.depth ? WavePeak{high.index, 0} : WavePeak{low.index, 1};
    }
    return high.index < low.index ? WavePeak{high.index, 0} : WavePeak{low.index, 1};
}

} // namespace

WavePeak findTPeak(const TemplateMeasures& m, int32_t QB, int32_t SE, int32_t RR, int32_t HR) {
    int32_t lo = std::max(TSpanFirst, SE - TSpanAfterQrsEnd);
    // A single beat has no neighbour to bound the span.
    const int32_t hi = HR == NoRate
                           ? TSpanLast
                           : std::min(TSpanLast, RR - (TemplateCentre - QB) - TSpanBeforeNextQb);
    lo = std::min(lo, hi - 1);
    const int32_t first = TemplateCentre + lo;
    int32_t imax = first;
    int32_t imin = first;
    int32_t vmax = m.Smooth3(first);
    int32_t vmin = vmax;
    for (int k = lo; k < hi; ++k) {
        const int32_t v = m.Smooth3(TemplateCentre + k);
        if (v > vmax) {
            vmax = v;
            imax = TemplateCentre + k;
        }
        if (v < vmin) {
            vmin = v;
            imin = TemplateCentre + k;
        }
    }
    return decide(judgeExtreme(m, imax, +1), judgeExtreme(m, imin, -1), first);
}

int32_t findTEnd(const TemplateMeasures& m, WavePeak t, int32_t QB, int32_t RR) {
    const int32_t reach = std::min({TEndReach, TemplateLength - t.index, RR + QB - t.index});
    const int32_t from = std::min(t.index + reach, TEndLastStart);
    for (int i = from; i >= t.index + 2; --i) {
        const double u = m.OffsetEdge(i - 2, i - 3, EdgeSmoothing, EdgeLength);
        const double v = m.SmoothedEdge(i, EdgeSmoothing, EdgeLength);
        const double z = m.OffsetEdge(i + 2, i + 3, EdgeSmoothing, EdgeLength);
        const bool qualifies = t.polarity == 0 ? (u - z >= 1 && u + z - 2 * v >= 2)
                                               : (z - u >= 1 && 2 * v - u - z >= 2);
        if (qualifies) {
            return i;
        }
    }
    return t.index + 1;
}

} // namespace beatscan
