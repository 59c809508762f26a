// Conversion of the library's double-precision sums to 32-bit integers,
// truncating toward zero. Values outside the 32-bit range (only reachable with
// samples far outside the recorder's 0..1023) saturate instead of invoking
// undefined behaviour; inside the range the result is the plain truncation.
// The sums are finite: they are built from integers and finite weights.
#pragma once

#include <cstdint>
#include <limits>

namespace beatscan {

inline int32_t truncateToInt(double value) {
    constexpr double lowest = std::numeric_limits<int32_t>::min();
    constexpr double highest = std::numeric_limits<int32_t>::max();
    const double clamped = value < lowest ? lowest : (value > highest ? highest : value);
    return static_cast<int32_t>(clamped);
}

inline int32_t saturateToInt(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min()) {
        return std::numeric_limits<int32_t>::min();
    }
    if (value > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(value);
}

} // namespace beatscan
