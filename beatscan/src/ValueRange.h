// The magnitude bound that selects the fast paths of detection: values within
// it keep every intermediate of a narrower arithmetic exact.
#pragma once

#include <cstdint>
#include <vector>

namespace beatscan {

// True when every value v satisfies -limit <= v <= limit.
inline bool allWithin(const std::vector<int32_t>& values, int32_t limit) {
    int32_t low = 0;
    int32_t high = 0;
    for (int32_t v : values) {
        low = v < low ? v : low;
        high = v > high ? v : high;
    }
    return low >= -limit && high <= limit;
}

} // namespace beatscan
