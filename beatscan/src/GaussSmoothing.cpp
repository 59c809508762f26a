// Gaussian smoothing: y[i] = trunc(sum of x[i +- k] * w[h - k], then x[i] * w[h]),
// on any integer signal; the detector smooths the 250 samples/s recording with
// half-width 5 (20 ms either side). The order of the additions is part of the
// result, since every sum is rounded before it is truncated.
// GaussSmoothingTest checks pass-through ends, the order and the truncation.
#include "GaussSmoothing.h"

#include "FilterTables.h"
#include "Truncation.h"

#include <utility>

namespace beatscan {
namespace {

template <int H, int... K>
double weightedSum(const int32_t* x, const double* w, std::integer_sequence<int, K...>) {
    double acc = 0.0;
    // K runs 0..H-1, so the distance K + 1 runs outward from 1 to H.
    ((acc += x[K + 1] * w[H - (K + 1)], acc += x[-(K + 1)] * w[H - (K + 1)]), ...);
    return acc + x[0] * w[H];
}

template <int H> void smoothInterior(const std::vector<int32_t>& x, std::vector<int32_t>& y) {
    double w[H + 1];
    for (int k = 0; k <= H; ++k) {
        w[k] = gaussWeight(H, k);
    }
    const int n = static_cast<int>(x.size());
    for (int i = H; i < n - H; ++i) {
        y[i] = truncateToInt(weightedSum<H>(&x[i], w, std::make_integer_sequence<int, H>{}));
    }
}

} // namespace

std::vector<int32_t> gaussSmooth(const std::vector<int32_t>& x, int halfWidth) {
    std::vector<int32_t> y = x;
    switch (halfWidth) {
    case 1:
        smoothInterior<1>(x, y);
        break;
    case 2:
        smoothInterior<2>(x, y);
        break;
    case 3:
        smoothInterior<3>(x, y);
        break;
    case 4:
        smoothInterior<4>(x, y);
        break;
    case 5:
        smoothInterior<5>(x, y);
        break;
    case 6:
        smoothInterior<6>(x, y);
        break;
    case 7:
        smoothInterior<7>(x, y);
        break;
    case 8:
        smoothInterior<8>(x, y);
        break;
    default:
        break; // half-width 0 is the identity
    }
    return y;
}

} // namespace beatscan
