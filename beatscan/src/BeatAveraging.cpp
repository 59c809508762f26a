// Beat averaging: element k of the averaged beat is the mean of the recording
// samples k - 125 samples (k * 4 ms - 500 ms) from each R peak strictly inside
// the window, so the R peak sits at element 125. Elements that fall outside the
// recording for a beat take nothing from it. BeatAveragingTest checks partial
// beats at both ends, a single beat and the truncating division.
#include "BeatAveraging.h"

#include <array>

namespace beatscan {

void averageBeats(const int32_t* samples, AnalysisState& state) {
    // 64-bit sums: 146 beats of extreme samples would overflow 32 bits.
    std::array<int64_t, TemplateLength> sums{};
    state.contributions.fill(0);
    state.beatsAveraged = 0;
    for (int b = 0; b < state.beats.count; ++b) {
        const int32_t r = state.beats.positions[b];
        if (r <= state.windowStart || r >= state.windowEnd) {
            continue;
        }
        for (int k = 0; k < TemplateLength; ++k) {
            const int s = r + k - TemplateCentre;
            if (s >= 0 && s < RecordLength) {
                sums[k] += samples[s];
                ++state.contributions[k];
            }
        }
        ++state.beatsAveraged;
    }
    for (int k = 0; k < TemplateLength; ++k) {
        const int32_t count = state.contributions[k];
        // With one beat the sums are its samples; a count of 0 leaves 0.
        state.averagedBeat[k] = (state.beatsAveraged > 1 && count > 0)
                                    ? static_cast<int32_t>(sums[k] / count)
                                    : static_cast<int32_t>(sums[k]);
    }
}

} // namespace beatscan
