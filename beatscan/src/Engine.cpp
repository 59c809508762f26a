// The reentrant entry point: one analysis on a state of its own, copied out.
#include "Engine.h"

#include "Analysis.h"

#include <algorithm>

namespace {

void copyOut(const beatscan::AnalysisState& state, BeatscanResult& out) {
    std::copy(state.averagedBeat.begin(), state.averagedBeat.end(), out.beat);
    std::copy(state.parameters.begin(), state.parameters.end(), out.parameters);
    const beatscan::Fiducials& f = state.fiducials;
    const int32_t indices[6] = {f.P, f.PB, f.QB, f.SE, f.T, f.TE};
    std::copy(std::begin(indices), std::end(indices), out.indices);
    out.valid = state.result == 1;
}

} // namespace

bool beatscanAnalyse(const int32_t* samples, int32_t start, int32_t end, BeatscanResult& out) {
    // No exception may leave: without memory for the working buffers, or
    // without samples, the analysis finds no beat.
    try {
        if (samples != nullptr) {
            beatscan::AnalysisState state;
            beatscan::analyse(state, samples, start, end);
            copyOut(state, out);
            return out.valid;
        }
    } catch (...) {
    }
    out = BeatscanResult{};
    return false;
}
