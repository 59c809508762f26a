// The analysis of one recording (7500 samples at 250 samples/s, recorder
// units) in its fixed order: reset, detect over the whole recording, average
// the beats inside the window, rate, delineation, parameters. Each step reads
// only what the steps before it wrote. BeatscanApiTest checks the results and
// resets through the exported functions; BeatscanRegressionTest checks 241
// analyses of real recordings.
#include "Analysis.h"

#include "BeatAveraging.h"
#include "BeatDetection.h"
#include "Delineation.h"
#include "RateParameters.h"

namespace beatscan {

void delineate(const AveragedBeat& beat, int32_t HR, int32_t RR, Fiducials& f) {
    const TemplateMeasures m(beat);
    f.QB = findQrsOnset(m);
    f.SE = findQrsEnd(m);
    const WavePeak t = findTPeak(m, f.QB, f.SE, RR, HR);
    f.T = t.index;
    f.tPolarity = t.polarity;
    f.TE = findTEnd(m, t, f.QB, RR);
    if (HR > MaxRateForPWave) {
        return; // P and PB keep their defaults
    }
    const WavePeak p = findPPeak(m, f.QB, f.TE, RR, HR);
    f.P = p.index;
    f.pPolarity = p.polarity;
    f.PB = findPOnset(m, p, f.TE, RR);
}

namespace {

void fillParameterBlock(AnalysisState& state) {
    const Fiducials& f = state.fiducials;
    const Intervals& v = state.intervals;
    state.parameters = {f.PB, f.QB, f.SE, f.TE, state.HR, v.ST, v.PR, v.QRS, v.QT, v.QTc};
}

} // namespace

uint8_t analyse(AnalysisState& state, const int32_t* samples, int32_t start, int32_t end) {
    state = AnalysisState{};
    state.windowStart = start;
    state.windowEnd = end;
    state.beats = detectBeats(samples);
    averageBeats(samples, state);
    if (state.beatsAveraged == 0) {
        return state.result = 0;
    }
    state.HR = heartRate(state.beats, start, end);
    state.RR = beatSpacing(state.HR);
    delineate(state.averagedBeat, state.HR, state.RR, state.fiducials);
    state.intervals = intervals(state.averagedBeat, state.fiducials, state.HR);
    fillParameterBlock(state);
    return state.result = 1;
}

} // namespace beatscan
