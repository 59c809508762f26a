#pragma once

#include <algorithm>
#include <cstdint>

namespace vantora {

// Converter counts are 10-bit, but samples read from files can hold any 32-bit
// value. Every renderer and point builder clamps a sample here before its
// arithmetic: at +-2^20 no product with a gain, scale or offset leaves int.
constexpr int32_t kSampleLimit = 1 << 20;

constexpr int32_t clampSample(int32_t sample) {
    return std::clamp(sample, -kSampleLimit, kSampleLimit);
}

} // namespace vantora
