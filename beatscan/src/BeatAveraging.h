// Averaging the beats inside the analysis window into a one-second beat.
#pragma once

#include "AnalysisState.h"

#include <cstdint>

namespace beatscan {

// Fills state.averagedBeat, state.contributions and state.beatsAveraged from
// the beats R of state.beats with windowStart < R < windowEnd.
void averageBeats(const int32_t* samples, AnalysisState& state);

} // namespace beatscan
