#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vantora {

// The replay page's detail strip shows a peak-preserving reduction of the
// selected recording, about 0.3 entries per sample (the screen strip scale).
struct DetailReduction {
    static constexpr int kMinimumWidth = 812; // narrower detail windows get nothing

    std::vector<int32_t> entries; // N + 1 entries, N = trunc(ratio * 7500)
    double ratio = 0;             // entries per sample

    bool empty() const { return entries.empty(); }

    // Reduces 7500 samples for a detail window of client width detailWidth.
    static DetailReduction compute(std::span<const int32_t> samples, int detailWidth);
    // The detailWidth - 15 entries the strip shows for a selection at x in a
    // list row of width columnWidth.
    std::vector<int32_t> stretch(int detailWidth, int selectionX, int columnWidth) const;
};

} // namespace vantora
