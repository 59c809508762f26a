#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vantora {

// The replay page's detail strip shows a peak-preserving reduction of the
// selected recording, about 0.3 entries per sample (the screen strip scale).
struct DetailReduction {
    // Narrower detail windows get nothing: below 101 columns the strip draws
    // no trace. (The window shrinks with the screen, so a floor near the full
    // frame's width would leave the strip empty on a 1024 px screen.)
    static constexpr int kMinimumWidth = 15 + 101;

    std::vector<int32_t> entries; // N + 1 entries, N = trunc(ratio * 7500)
    double ratio = 0;             // entries per sample

    bool empty() const { return entries.empty(); }

    // Reduces 7500 samples for a detail window of client width detailWidth.
    static DetailReduction compute(std::span<const int32_t> samples, int detailWidth);
    // The first of the detailWidth - 15 entries the strip shows for a
    // selection at x in a list row of width columnWidth, held back so that the
    // stretch ends with the recording.
    int firstEntry(int detailWidth, int selectionX, int columnWidth) const;
    // Those entries.
    std::vector<int32_t> stretch(int detailWidth, int selectionX, int columnWidth) const;
};

} // namespace vantora
