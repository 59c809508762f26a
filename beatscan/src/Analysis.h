// One complete analysis: the steps of a QRS call on the module state.
#pragma once

#include "AnalysisState.h"

#include <cstdint>

namespace beatscan {

// Resets state and analyses the RecordLength samples over the window
// (start, end). Returns the result flag: 1 with at least one beat strictly
// inside the window, else 0 with all blocks zero and the default indices.
uint8_t analyse(AnalysisState& state, const int32_t* samples, int32_t start, int32_t end);

} // namespace beatscan
