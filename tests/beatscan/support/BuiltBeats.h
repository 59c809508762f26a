// Hand-built averaged beats for the measure and delineation tests.
#pragma once

#include "AnalysisState.h"

#include <cstdlib>

namespace builtbeats {

inline beatscan::AveragedBeat flat(int32_t level) {
    beatscan::AveragedBeat a;
    a.fill(level);
    return a;
}

// A triangle of the given height and half-width (samples) on a flat 0 line;
// the parts beyond the beat are left out.
inline beatscan::AveragedBeat triangle(int centre, int32_t height, int halfWidth) {
    beatscan::AveragedBeat a = flat(0);
    for (int k = -halfWidth; k <= halfWidth; ++k) {
        if (centre + k >= 0 && centre + k < beatscan::TemplateLength) {
            a[centre + k] = height * (halfWidth - std::abs(k)) / halfWidth;
        }
    }
    return a;
}

} // namespace builtbeats
