// Gaussian smoothing: y[i] = trunc(sum of x[i +- k] * w[h - k], then x[i] * w[h]),
// on any integer signal; the detector smooths the 250 samples/s recording with
// half-width 5 (20 ms either side). The order of the additions is part of the
// result, since every sum is rounded before it is truncated.
// GaussSmoothingTest checks pass-through ends, the order and the truncation.
#include "GaussSmoothing.h"

#include "FilterTables.h"
#include "Truncation.h"
#include "ValueRange.h"
#include "VectorClones.h"

#include <utility>

namespace beatscan {
namespace {

// The sum in the order of the definition.
template <int H, int... K>
double orderedSum(const int32_t* x, const double* w, std::integer_sequence<int, K...>) {
    double acc = 0.0;
    // K runs 0..H-1, so the distance K + 1 runs outward from 1 to H.
    ((acc += x[K + 1] * w[H - (K + 1)], acc += x[-(K + 1)] * w[H - (K + 1)]), ...);
    return acc + x[0] * w[H];
}

// Every weight is a single-precision value of at least 2^-5, so a multiple of
// 2^-28. For |x| < 2^24 every product, pair product and partial sum is then a
// multiple of 2^-28 below 2^26 in magnitude, which a double holds exactly: no
// addition rounds, and the sum with each pair added first is the same double
// as the ordered one, at half the multiplications.
constexpr int32_t ExactMagnitude = (1 << 24) - 1;

template <int H, int... K>
double pairedSum(const double* x, const double* w, std::integer_sequence<int, K...>) {
    double acc = 0.0;
    ((acc += (x[K + 1] + x[-(K + 1)]) * w[H - (K + 1)]), ...);
    return acc + x[0] * w[H];
}

template <int H> void widenedWeights(double (&w)[H + 1]) {
    for (int k = 0; k <= H; ++k) {
        w[k] = gaussWeight(H, k);
    }
}

template <int H>
BEATSCAN_VECTOR_CLONES void exactInterior(const std::vector<int32_t>& x, std::vector<int32_t>& y) {
    double w[H + 1];
    widenedWeights<H>(w);
    const std::vector<double> wide(x.begin(), x.end()); // converted once, not once per weight
    const int n = static_cast<int>(x.size());
    for (int i = H; i < n - H; ++i) {
        y[i] = truncateToInt(pairedSum<H>(&wide[i], w, std::make_integer_sequence<int, H>{}));
    }
}

template <int H> void orderedInterior(const std::vector<int32_t>& x, std::vector<int32_t>& y) {
    double w[H + 1];
    widenedWeights<H>(w);
    const int n = static_cast<int>(x.size());
    for (int i = H; i < n - H; ++i) {
        y[i] = truncateToInt(orderedSum<H>(&x[i], w, std::make_integer_sequence<int, H>{}));
    }
}

// As pairedSum, with each pair added in 32 bits first: for samples within
// +-8191 the pair sum converts to the same double as the sum of the two
// converted samples, so the result is the same double.
template <int H, int... K>
double pairedSumNarrow(const int32_t* x, const double* w, std::integer_sequence<int, K...>) {
    double acc = 0.0;
    ((acc += static_cast<double>(x[K + 1] + x[-(K + 1)]) * w[H - (K + 1)]), ...);
    return acc + x[0] * w[H];
}

template <int H>
BEATSCAN_VECTOR_CLONES BEATSCAN_EXACT_FUSION void narrowInterior(const int32_t* x, int n,
                                                                 int16_t* y) {
    double w[H + 1];
    widenedWeights<H>(w);
    for (int i = H; i < n - H; ++i) {
        // Within +-8192 by the weights' sum: no saturation to apply.
        y[i] = static_cast<int16_t>(static_cast<int32_t>(
            pairedSumNarrow<H>(&x[i], w, std::make_integer_sequence<int, H>{})));
    }
}

template <int... H>
void smoothNarrow(const int32_t* x, int n, int h, int16_t* y, std::integer_sequence<int, H...>) {
    ((h == H + 1 ? narrowInterior<H + 1>(x, n, y) : void()), ...);
}

template <int... H>
void smoothExact(const std::vector<int32_t>& x, int h, std::vector<int32_t>& y,
                 std::integer_sequence<int, H...>) {
    ((h == H + 1 ? exactInterior<H + 1>(x, y) : void()), ...);
}

template <int... H>
void smoothOrdered(const std::vector<int32_t>& x, int h, std::vector<int32_t>& y,
                   std::integer_sequence<int, H...>) {
    ((h == H + 1 ? orderedInterior<H + 1>(x, y) : void()), ...);
}

} // namespace

void gaussSmoothNarrow(const int32_t* x, int n, int halfWidth, int16_t* y) {
    // Half-width 0 passes everything through.
    const int edge = halfWidth > 0 && halfWidth < n ? halfWidth : n;
    for (int i = 0; i < edge; ++i) {
        y[i] = static_cast<int16_t>(x[i]);
        y[n - 1 - i] = static_cast<int16_t>(x[n - 1 - i]);
    }
    smoothNarrow(x, n, halfWidth, y, std::make_integer_sequence<int, GaussMaxHalfWidth>{});
}

std::vector<int32_t> gaussSmooth(const std::vector<int32_t>& x, int halfWidth) {
    // Half-width 0 is the identity; 1..8 are the kernels of GaussTable.
    std::vector<int32_t> y = x;
    constexpr auto halfWidths = std::make_integer_sequence<int, GaussMaxHalfWidth>{};
    if (allWithin(x, ExactMagnitude)) {
        smoothExact(x, halfWidth, y, halfWidths);
    } else {
        smoothOrdered(x, halfWidth, y, halfWidths);
    }
    return y;
}

} // namespace beatscan
