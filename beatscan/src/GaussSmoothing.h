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

} // namespace beatscan
