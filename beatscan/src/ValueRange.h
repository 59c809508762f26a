// The magnitude bound that selects the fast paths of detection: values within
// it keep every intermediate of a narrower arithmetic exact.
#pragma once

#include <cstdint>
#include <vector>

namespace beatscan {

// True when every one of the n values v satisfies -limit <= v <= limit.
template <typename V> bool allWithin(const V* values, int n, V limit) {
    V low = 0;
    V high = 0;
    for (int i = 0; i < n; ++i) {
        low = values[i] < low ? values[i] : low;
        high = values[i] > high ? values[i] : high;
    }
    return low >= -limit && high <= limit;
}

inline bool allWithin(const std::vector<int32_t>& values, int32_t limit) {
    return allWithin<int32_t>(values.data(), static_cast<int>(values.size()), limit);
}

} // namespace beatscan
