// P-wave peak, polarity and onset on the averaged beat (R peak at 125, 4 ms
// per sample), run only at rates up to 150 beats/min. The peak is the largest
// departure of an 80 ms moving mean from the baseline just before the QRS,
// between 100..248 ms before R and after the previous beat's T end; the onset
// is the sharpest corner on the wave's leading side within 80 ms before the
// peak. PWaveDelineationTest checks upright and inverted waves, the fixed
// guess and the span limits.
#include "Delineation.h"

#include "Truncation.h"

#include <algorithm>
#include <cstdlib>

namespace beatscan {
namespace {

constexpr int PSpanFar = 62;         // samples before R, 248 ms
constexpr int PSpanAfterTEnd = 12;   // samples, 48 ms
constexpr int PSpanNear = 25;        // samples before R, 100 ms
constexpr int PSpanBeforeQb = 7;     // samples, 28 ms
constexpr int MeanWindowBefore = 10; // samples: the 80 ms window is x-10..x+9
constexpr int MeanWindowAfter = 9;
constexpr int MeanWindowLength = 20;
constexpr int PeakSnap = 5;     // samples, 20 ms
constexpr int GuessOffset = 41; // samples before R, 164 ms
constexpr int OnsetReach = 20;  // samples, 80 ms
constexpr int OnsetNearest = 6; // samples before the peak, 24 ms
constexpr int OnsetStep = 5;    // samples between the three bend points
constexpr int OnsetFilter = 5;  // GaussTable half-width and EdgeTable kernel

int64_t windowSum(const TemplateMeasures& m, int centre) {
    int64_t sum = 0;
    for (int x = centre - MeanWindowBefore; x <= centre + MeanWindowAfter; ++x) {
        sum += m.Sharpen(x, 4);
    }
    return sum;
}

// Moves the peak to a strictly higher (sign +1) or lower (sign -1) sample
// within 20 ms; the first such extreme wins.
int32_t snapPeak(const TemplateMeasures& m, int32_t index, int sign) {
    int32_t peak = index;
    for (int x = index - PeakSnap; x <= index + PeakSnap; ++x) {
        if (sign * static_cast<int64_t>(m.value(x)) > sign * static_cast<int64_t>(m.value(peak))) {
            peak = x;
        }
    }
    return peak;
}

} // namespace

WavePeak findPPeak(const TemplateMeasures& m, int32_t QB, int32_t TE, int32_t RR, int32_t HR) {
    // Baseline: the two samples just before the QRS onset.
    const int64_t base = m.Mean(QB - 2, QB);
    // A single beat has no previous T end to bound the span.
    const int32_t far =
        HR == NoRate ? PSpanFar : std::min(PSpanFar, RR - (TE - TemplateCentre) - PSpanAfterTEnd);
    const int32_t near = std::max(PSpanNear, (TemplateCentre - QB) + PSpanBeforeQb);
    int32_t imax = TemplateCentre - far;
    int32_t imin = imax;
    int64_t vmax = m.Smooth3(imax) - base;
    int64_t vmin = vmax;
    bool found = false;
    int64_t sum = 0; // of the window around TemplateCentre - k, slid one sample per step
    for (int k = far; k >= near + 1; --k) {
        const int centre = TemplateCentre - k;
        sum = k == far ? windowSum(m, centre)
                       : sum + m.Sharpen(centre + MeanWindowAfter, 4) -
                             m.Sharpen(centre - MeanWindowBefore - 1, 4);
        const int64_t mean = sum / MeanWindowLength - base;
        if (mean > vmax) {
            vmax = mean;
            imax = TemplateCentre - k;
            found = true;
        }
        if (mean < vmin) {
            vmin = mean;
            imin = TemplateCentre - k;
            found = true;
        }
    }
    if (!found) {
        const bool guessInSpan = far > GuessOffset && near < GuessOffset;
        return {guessInSpan ? TemplateCentre - GuessOffset : TemplateCentre - (far + near) / 2, 0};
    }
    if (std::abs(vmax) >= std::abs(vmin)) {
        return {snapPeak(m, imax, +1), 0};
    }
    return {snapPeak(m, imin, -1), 1};
}

int32_t findPOnset(const TemplateMeasures& m, WavePeak p, int32_t TE, int32_t RR) {
    const int32_t room =
        std::min(OnsetReach, RR - (TE - TemplateCentre) - (TemplateCentre - p.index));
    int32_t PB = p.index - 2;
    double best = -1.0;
    for (int i = p.index - room; i <= p.index - OnsetNearest; ++i) {
        const double a = m.SmoothedEdge(i - OnsetStep, OnsetFilter, OnsetFilter);
        const double b = m.SmoothedEdge(i, OnsetFilter, OnsetFilter);
        const double d = m.SmoothedEdge(i + OnsetStep, OnsetFilter, OnsetFilter);
        const bool excluded =
            p.polarity == 0 ? (d - a < 0 || a + d - 2 * b < 0) : (a - d < 0 || 2 * b - a - d < 0);
        if (excluded) {
            continue;
        }
        const double q = BendCosine(2, truncateToInt(a), 4, truncateToInt(b), 6, truncateToInt(d));
        if (q > best) {
            PB = i;
            best = q;
        }
    }
    return PB;
}

} // namespace beatscan
