// Beat averaging: the strict window, partial beats at the recording's ends,
// a single beat taken as it is, and the truncating division.
#include "BeatAveraging.h"

#include <gtest/gtest.h>

#include <vector>

namespace beatscan {
namespace {

AnalysisState stateWith(const std::vector<int32_t>& beats, int32_t start, int32_t end) {
    AnalysisState state;
    for (int32_t r : beats) {
        state.beats.positions[state.beats.count++] = r;
    }
    state.windowStart = start;
    state.windowEnd = end;
    return state;
}

// Sample i holds i, so element k of a beat at R holds R + k - 125.
std::vector<int32_t> indexRecording() {
    std::vector<int32_t> x(RecordLength);
    for (int i = 0; i < RecordLength; ++i) {
        x[i] = i;
    }
    return x;
}

TEST(BeatAveraging, WindowBoundsAreStrict) {
    const std::vector<int32_t> x = indexRecording();
    AnalysisState state = stateWith({1000, 2000, 3000}, 1000, 3000);
    averageBeats(x.data(), state);
    EXPECT_EQ(state.beatsAveraged, 1);
    EXPECT_EQ(state.averagedBeat[125], 2000);
    state = stateWith({1000, 2000, 3000}, 2000, 2000);
    averageBeats(x.data(), state);
    EXPECT_EQ(state.beatsAveraged, 0);
    EXPECT_EQ(state.averagedBeat, AveragedBeat{});
}

TEST(BeatAveraging, SingleBeatIsTakenAsItIs) {
    std::vector<int32_t> x(RecordLength);
    for (int i = 0; i < RecordLength; ++i) {
        x[i] = (i * 37) % 1024 - 300;
    }
    AnalysisState state = stateWith({16, 4000}, 0, 100);
    averageBeats(x.data(), state);
    ASSERT_EQ(state.beatsAveraged, 1);
    for (int k = 0; k < TemplateLength; ++k) {
        const int s = 16 + k - 125;
        EXPECT_EQ(state.averagedBeat[k], s >= 0 ? x[s] : 0) << k;
        EXPECT_EQ(state.contributions[k], s >= 0 ? 1 : 0) << k;
    }
}

TEST(BeatAveraging, PartialBeatsAddOnlyTheirElementsInsideTheRecording) {
    const std::vector<int32_t> x = indexRecording();
    AnalysisState state = stateWith({50, 1000, 7450}, 0, 7499);
    averageBeats(x.data(), state);
    ASSERT_EQ(state.beatsAveraged, 3);
    // Element 0: samples -75 (missing), 875, 7325.
    EXPECT_EQ(state.contributions[0], 2);
    EXPECT_EQ(state.averagedBeat[0], (875 + 7325) / 2);
    // Element 125: all three.
    EXPECT_EQ(state.contributions[125], 3);
    EXPECT_EQ(state.averagedBeat[125], (50 + 1000 + 7450) / 3);
    // Element 249: samples 174, 1124, 7574 (missing).
    EXPECT_EQ(state.contributions[249], 2);
    EXPECT_EQ(state.averagedBeat[249], (174 + 1124) / 2);
}

TEST(BeatAveraging, ElementsOutsideEveryBeatStayZero) {
    const std::vector<int32_t> x = indexRecording();
    AnalysisState state = stateWith({20, 40}, 0, 7499);
    averageBeats(x.data(), state);
    ASSERT_EQ(state.beatsAveraged, 2);
    // Elements 0..84 lie before sample 0 for both beats.
    for (int k = 0; k < 85; ++k) {
        EXPECT_EQ(state.contributions[k], 0);
        EXPECT_EQ(state.averagedBeat[k], 0);
    }
    EXPECT_EQ(state.contributions[85], 1); // 40 + 85 - 125 = 0
    EXPECT_EQ(state.averagedBeat[85], 0);
    // Element 104: only the second beat (sample 19); 105: both (samples 0 and 20).
    EXPECT_EQ(state.contributions[104], 1);
    EXPECT_EQ(state.averagedBeat[104], 19);
    EXPECT_EQ(state.contributions[105], 2);
    EXPECT_EQ(state.averagedBeat[105], 10);
}

TEST(BeatAveraging, DivisionTruncatesTowardZero) {
    std::vector<int32_t> x(RecordLength, 0);
    x[1000] = -3;
    x[2000] = -4;
    x[1001] = 3;
    x[2001] = 4;
    AnalysisState state = stateWith({1000, 2000}, 0, 7499);
    averageBeats(x.data(), state);
    EXPECT_EQ(state.averagedBeat[125], -3); // -3.5
    EXPECT_EQ(state.averagedBeat[126], 3);  // 3.5
}

TEST(BeatAveraging, ExtremeSamplesDoNotOverflow) {
    std::vector<int32_t> x(RecordLength, std::numeric_limits<int32_t>::max());
    std::vector<int32_t> beats;
    for (int r = 100; r < RecordLength; r += 100) {
        beats.push_back(r);
    }
    AnalysisState state = stateWith(beats, 0, 7499);
    averageBeats(x.data(), state);
    EXPECT_EQ(state.averagedBeat[125], std::numeric_limits<int32_t>::max());
}

} // namespace
} // namespace beatscan
