// Curvature feature of the smoothed recording (250 samples/s, recorder units):
// how sharply the signal bends at each sample over +-60 ms, scaled to 0..256
// by the largest plausible value. QRS complexes bend far more than P and T
// waves, so the detector thresholds this feature. CurvatureFeatureTest checks
// hand-computed sums, the artefact cut at 1024 and the scaling.
#include "CurvatureFeature.h"

#include "Truncation.h"
#include "ValueRange.h"
#include "VectorClones.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace beatscan {
namespace {

// The general sum, in 64 bits so that no sample value can overflow it.
template <int... J> int64_t wideSumAt(const int32_t* y, std::integer_sequence<int, J...>) {
    auto term = [y](int64_t j) {
        const int64_t d = 2 * static_cast<int64_t>(y[0]) - y[j] - y[-j];
        return (d < 0 ? -d : d) / j;
    };
    return (term(J + 1) + ...);
}

// The same sum for smoothed values within +-8191, in 16-bit lanes, which the
// compiler vectorises eight samples at a time. There |2y - a - b| <= 32766;
// capping it at 16383 changes no sum below 1024 (16383 / 15 > 1024 already)
// and keeps the 15 quotients below 16383 * 3.32 < 65536.
constexpr int NarrowMagnitude = 8191;
constexpr int NarrowCap = 16383;

// Within +-2047 (the recorder's range and more), |2y - a - b| <= 8188 never
// reaches the cap, and the 15 quotients stay below 8188 * 3.32 < 65536
// without it: the cap can be left out.
constexpr int UncappedMagnitude = 2047;

template <bool Capped = true, int... J>
uint16_t narrowSumAt(const int16_t* y, std::integer_sequence<int, J...>) {
    auto term = [y](int j) {
        // Formed modulo 2^16, which is exact here, so the arithmetic stays 16 bits wide.
        const auto d = static_cast<int16_t>(static_cast<uint16_t>(2 * y[0] - y[j] - y[-j]));
        const auto magnitude = static_cast<int16_t>(d < 0 ? -d : d);
        const int16_t capped = !Capped || magnitude < NarrowCap ? magnitude : int16_t{NarrowCap};
        return static_cast<uint16_t>(static_cast<uint16_t>(capped) / j);
    };
    return static_cast<uint16_t>((term(J + 1) + ...));
}

using Distances = std::make_integer_sequence<int, CurvatureHalfWidth>;

// Raw sums, capped at the artefact limit (any capped value is dropped anyway).
void wideSums(const std::vector<int32_t>& y, std::vector<int32_t>& f) {
    const int n = static_cast<int>(y.size());
    for (int i = CurvatureHalfWidth; i < n - CurvatureHalfWidth; ++i) {
        const int64_t s = wideSumAt(&y[i], Distances{});
        f[i] = static_cast<int32_t>(s < CurvatureArtefact ? s : CurvatureArtefact);
    }
}

BEATSCAN_VECTOR_CLONES void narrowSums(const std::vector<int32_t>& y, std::vector<int32_t>& f) {
    const int n = static_cast<int>(y.size());
    std::vector<int16_t> narrow(y.size());
    std::transform(y.begin(), y.end(), narrow.begin(),
                   [](int32_t v) { return static_cast<int16_t>(v); });
    for (int i = CurvatureHalfWidth; i < n - CurvatureHalfWidth; ++i) {
        const uint16_t s = narrowSumAt(&narrow[i], Distances{});
        f[i] = s < CurvatureArtefact ? s : CurvatureArtefact;
    }
}

BEATSCAN_VECTOR_CLONES bool smoothedWithin(const int16_t* y, int n, int16_t limit) {
    return allWithin(y, n, limit);
}

// Sums, artefact drop and M in one pass.
template <bool Capped>
BEATSCAN_VECTOR_CLONES int32_t rawSumsNarrow(const int16_t* y, int n, int16_t* f) {
    int32_t maximum = 0;
    for (int i = CurvatureHalfWidth; i < n - CurvatureHalfWidth; ++i) {
        const uint16_t s = narrowSumAt<Capped>(&y[i], Distances{});
        const int16_t v = s < CurvatureArtefact ? static_cast<int16_t>(s) : int16_t{0};
        f[i] = v;
        maximum = v > maximum ? v : maximum;
    }
    return maximum;
}

} // namespace

int32_t rawCurvatureNarrow(const int16_t* y, int n, int16_t* f) {
    const int edge = CurvatureHalfWidth < n ? CurvatureHalfWidth : n;
    for (int i = 0; i < edge; ++i) {
        f[i] = 0;
        f[n - 1 - i] = 0;
    }
    return smoothedWithin(y, n, UncappedMagnitude) ? rawSumsNarrow<false>(y, n, f)
                                                   : rawSumsNarrow<true>(y, n, f);
}

int64_t curvatureSum(const std::vector<int32_t>& y, int i) {
    return wideSumAt(&y[i], Distances{});
}

namespace {

// Drops the artefacts (raw sums of 1024 and more) and returns M, the largest
// raw sum left.
BEATSCAN_VECTOR_CLONES int32_t dropArtefacts(std::vector<int32_t>& f) {
    int32_t maximum = 0;
    for (int32_t& v : f) {
        v = v < CurvatureArtefact ? v : 0;
        maximum = v > maximum ? v : maximum;
    }
    return maximum;
}

BEATSCAN_VECTOR_CLONES void scale(std::vector<int32_t>& f, double factor) {
    for (int32_t& v : f) {
        v = truncateToInt(v * factor); // the zero ends stay zero
    }
}

} // namespace

std::vector<int32_t> curvatureFeature(const std::vector<int32_t>& y) {
    std::vector<int32_t> f(y.size(), 0);
    if (allWithin(y, NarrowMagnitude)) {
        narrowSums(y, f);
    } else {
        wideSums(y, f);
    }
    const int32_t maximum = dropArtefacts(f); // M
    if (maximum == 0) {
        return f; // every value is 0 already
    }
    scale(f, static_cast<double>(FeatureScale) / maximum); // the factor is formed first
    return f;
}

} // namespace beatscan
