// Beat averaging: element k of the averaged beat is the mean of the recording
// samples k - 125 samples (k * 4 ms - 500 ms) from each R peak strictly inside
// the window, so the R peak sits at element 125. Elements that fall outside the
// recording for a beat take nothing from it. BeatAveragingTest checks partial
// beats at both ends, a single beat and the truncating division.
#include "BeatAveraging.h"

#include "VectorClones.h"

#include <array>

namespace beatscan {

namespace {

using Sums = std::array<int64_t, TemplateLength>;
using Counts = std::array<int32_t, TemplateLength>;

// Adds the samples of the beat at r to the sums, over the elements whose
// sample lies inside the recording. Sums and counts are the caller's locals,
// so nothing they hold can change through `samples` and the loop vectorises.
BEATSCAN_VECTOR_CLONES void addPartialBeat(const int32_t* samples, int32_t r, Sums& sums,
                                           Counts& contributions) {
    const int offset = r - TemplateCentre; // sample of element 0
    const int first = offset < 0 ? -offset : 0;
    const int end = RecordLength - offset < TemplateLength ? RecordLength - offset : TemplateLength;
    for (int k = first; k < end; ++k) {
        sums[k] += samples[offset + k];
        ++contributions[k];
    }
}

// Adds the beats that lie wholly inside the recording (element 0 of each at
// samples + offsets[b]): all 250 elements, each counted once per beat after.
BEATSCAN_VECTOR_CLONES void addWholeBeats(const int32_t* samples, const int32_t* offsets, int count,
                                          Sums& sums) {
    for (int b = 0; b < count; ++b) {
        const int32_t* beat = samples + offsets[b];
        for (int k = 0; k < TemplateLength; ++k) {
            sums[k] += beat[k];
        }
    }
}

// The mean of each element over its beats, truncated toward zero, as the
// integer division sums[k] / count gives it. In double, vectorised: a sum of
// at most 150 int32 samples is below 2^39, so it and the count convert
// exactly; a quotient that is no integer lies at least 1/150 from one, while
// the rounding moves it by at most 2^-22 (it is below 2^31): truncating the
// rounded quotient gives the same integer.
BEATSCAN_VECTOR_CLONES void divide(const Sums& sums, const Counts& counts, int32_t beats,
                                   AveragedBeat& beat) {
    for (int k = 0; k < TemplateLength; ++k) {
        const int32_t count = counts[k];
        // With one beat the sums are its samples; a count of 0 leaves 0.
        const bool mean = beats > 1 && count > 0;
        const double quotient = static_cast<double>(sums[k]) / (mean ? count : 1);
        beat[k] = static_cast<int32_t>(quotient);
    }
}

} // namespace

void averageBeats(const int32_t* samples, AnalysisState& state) {
    // 64-bit sums: 146 beats of extreme samples would overflow 32 bits.
    Sums sums{};
    Counts contributions{};
    std::array<int32_t, MaxBeats> whole;
    int32_t wholeCount = 0;
    int32_t averaged = 0;
    for (int b = 0; b < state.beats.count; ++b) {
        const int32_t r = state.beats.positions[b];
        if (r > state.windowStart && r < state.windowEnd) {
            const int offset = r - TemplateCentre;
            if (offset >= 0 && offset + TemplateLength <= RecordLength) {
                whole[wholeCount++] = offset;
            } else {
                addPartialBeat(samples, r, sums, contributions);
            }
            ++averaged;
        }
    }
    addWholeBeats(samples, whole.data(), wholeCount, sums);
    for (int k = 0; k < TemplateLength; ++k) {
        contributions[k] += wholeCount;
    }
    divide(sums, contributions, averaged, state.averagedBeat);
    state.contributions = contributions;
    state.beatsAveraged = averaged;
}

} // namespace beatscan
