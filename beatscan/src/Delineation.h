// Wave delineation on the averaged beat: QRS onset and end, T peak and end,
// P peak and onset, each step using the results of the steps before it.
#pragma once

#include "AnalysisState.h"
#include "TemplateMeasures.h"

#include <cstdint>

namespace beatscan {

constexpr int MaxRateForPWave = 150; // beats/min; above it P and PB keep their defaults

struct WavePeak {
    int32_t index;
    int32_t polarity; // 0 upright, 1 inverted
};

int32_t findQrsOnset(const TemplateMeasures& m);
int32_t findQrsEnd(const TemplateMeasures& m);
// rr: beat spacing in samples; hr: beats/min (NoRate for a single beat).
WavePeak findTPeak(const TemplateMeasures& m, int32_t QB, int32_t SE, int32_t RR, int32_t HR);
int32_t findTEnd(const TemplateMeasures& m, WavePeak t, int32_t QB, int32_t RR);
WavePeak findPPeak(const TemplateMeasures& m, int32_t QB, int32_t TE, int32_t RR, int32_t HR);
int32_t findPOnset(const TemplateMeasures& m, WavePeak p, int32_t TE, int32_t RR);

// All of the above in order; P and PB only when HR <= 150.
void delineate(const AveragedBeat& beat, int32_t HR, int32_t RR, Fiducials& fiducials);

} // namespace beatscan
