// Bell-shaped smoothing of an integer signal with a symmetric GaussTable kernel.
#pragma once

#include <cstdint>
#include <vector>

namespace beatscan {

// Returns x smoothed with the kernel of half-width halfWidth (0..8). The first
// and last halfWidth values pass through unchanged; every other value is the
// weighted sum, accumulated in double from the outermost pair inward (right
// sample before left) and the centre last, truncated toward zero.
std::vector<int32_t> gaussSmooth(const std::vector<int32_t>& x, int halfWidth);

constexpr int32_t NarrowSmoothingMagnitude = 8191;

// gaussSmooth of the n samples at x into y, for samples within
// +-NarrowSmoothingMagnitude: no kernel's weights sum to more than 1.0002, so
// every smoothed value fits 16 bits; those of half-width 5 sum to less than 1,
// so with it the smoothed values stay within the same bound.
void gaussSmoothNarrow(const int32_t* x, int n, int halfWidth, int16_t* y);

} // namespace beatscan
