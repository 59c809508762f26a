// Curvature feature of the smoothed recording (250 samples/s, recorder units):
// how sharply the signal bends at each sample over +-60 ms, scaled to 0..256
// by the largest plausible value. QRS complexes bend far more than P and T
// waves, so the detector thresholds this feature. CurvatureFeatureTest checks
// hand-computed sums, the artefact cut at 1024 and the scaling.
#include "CurvatureFeature.h"

#include "Truncation.h"

#include <cstdlib>
#include <utility>

namespace beatscan {
namespace {

// Samples within this magnitude keep every intermediate of the sum inside
// 32 bits (|2y - a - b| < 2^27, 15 quotients < 2^29), which lets the compiler
// vectorise the sum; larger samples take the 64-bit path. Both give the same
// value wherever the 32-bit one is defined.
constexpr int32_t FastPathMagnitude = 1 << 24;

template <typename Wide, int... J> Wide sumAt(const int32_t* y, std::integer_sequence<int, J...>) {
    using Unsigned = std::make_unsigned_t<Wide>;
    auto term = [y](Wide j) {
        const Wide d =
            2 * static_cast<Wide>(y[0]) - static_cast<Wide>(y[j]) - static_cast<Wide>(y[-j]);
        // The magnitude is never negative, so the unsigned division is the same.
        return static_cast<Wide>(static_cast<Unsigned>(d < 0 ? -d : d) / static_cast<Unsigned>(j));
    };
    return (term(J + 1) + ...);
}

template <typename Wide> Wide sumAt(const int32_t* y) {
    return sumAt<Wide>(y, std::make_integer_sequence<int, CurvatureHalfWidth>{});
}

// Raw sums, capped at the artefact limit (any capped value is dropped anyway).
template <typename Wide> void rawSums(const std::vector<int32_t>& y, std::vector<int32_t>& f) {
    const int n = static_cast<int>(y.size());
    for (int i = CurvatureHalfWidth; i < n - CurvatureHalfWidth; ++i) {
        const Wide s = sumAt<Wide>(&y[i]);
        f[i] = static_cast<int32_t>(s < CurvatureArtefact ? s : CurvatureArtefact);
    }
}

bool withinFastPath(const std::vector<int32_t>& y) {
    int32_t low = 0;
    int32_t high = 0;
    for (int32_t v : y) {
        low = v < low ? v : low;
        high = v > high ? v : high;
    }
    return low > -FastPathMagnitude && high < FastPathMagnitude;
}

} // namespace

int64_t curvatureSum(const std::vector<int32_t>& y, int i) {
    return sumAt<int64_t>(&y[i]);
}

std::vector<int32_t> curvatureFeature(const std::vector<int32_t>& y) {
    const int n = static_cast<int>(y.size());
    std::vector<int32_t> f(y.size(), 0);
    if (withinFastPath(y)) {
        rawSums<int32_t>(y, f);
    } else {
        rawSums<int64_t>(y, f);
    }
    double maximum = 0.0; // M
    for (int i = CurvatureHalfWidth; i < n - CurvatureHalfWidth; ++i) {
        if (f[i] >= CurvatureArtefact) {
            f[i] = 0;
        } else if (f[i] > maximum) {
            maximum = f[i];
        }
    }
    if (maximum == 0.0) {
        return f; // every value is 0 already
    }
    const double scale = static_cast<double>(FeatureScale) / maximum; // formed first
    for (int i = CurvatureHalfWidth; i < n - CurvatureHalfWidth; ++i) {
        f[i] = truncateToInt(f[i] * scale);
    }
    return f;
}

} // namespace beatscan
