// The exported interface: reset values, the analysis window, the ignored count
// argument, independence of successive calls, the rate limit of the P steps,
// and inputs that must never read outside the recording or the averaged beat
// (run under AddressSanitizer and UndefinedBehaviorSanitizer by
// `scripts/test --asan`).
#include "beatscan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr int Length = 7500;
constexpr int Baseline = 512;

using Samples = std::vector<int32_t>;

// A beat shape in recorder units around an R peak: P wave, QRS spike, T wave.
void addBeat(Samples& x, int r, int scale = 1, bool withWaves = true) {
    auto add = [&](int at, int value) {
        if (at >= 0 && at < Length) {
            x[at] += value * scale;
        }
    };
    for (int k = -12; k <= 12 && withWaves; ++k) { // P: 100 ms wide, 180 ms before R
        add(r - 45 + k, (12 - std::abs(k)) * 2);
    }
    for (int k = -6; k <= 6; ++k) { // QRS: 48 ms wide, 1.7 mV
        add(r + k, (6 - std::abs(k)) * 50);
    }
    for (int k = -20; k <= 20 && withWaves; ++k) { // T: 160 ms wide, 250 ms after R
        add(r + 62 + k, (20 - std::abs(k)) * 3);
    }
}

Samples rhythm(int firstR, int spacing, int scale = 1) {
    Samples x(Length, Baseline);
    for (int r = firstR; r < Length; r += spacing) {
        addBeat(x, r, scale);
    }
    return x;
}

std::vector<int32_t> parameters() {
    return {Get_Parameter(), Get_Parameter() + 10};
}
std::vector<int32_t> averagedBeat() {
    return {Get_ptr_plus(), Get_ptr_plus() + 250};
}
std::vector<int32_t> indices() {
    return {Get_index_P(),  Get_index_PB(), Get_index_QB(),
            Get_index_SE(), Get_index_T(),  Get_index_TE()};
}

const std::vector<int32_t> DefaultIndices = {84, 72, 113, 137, 187, 212};

void expectEmptyResult() {
    EXPECT_EQ(parameters(), std::vector<int32_t>(10, 0));
    EXPECT_EQ(averagedBeat(), std::vector<int32_t>(250, 0));
    EXPECT_EQ(indices(), DefaultIndices);
}

// Runs first: nothing has been analysed in this process yet.
TEST(BeatscanApiBeforeAnalysis, ResetValuesAreHandedOut) {
    ASSERT_NE(Get_Parameter(), nullptr);
    ASSERT_NE(Get_ptr_plus(), nullptr);
    expectEmptyResult();
}

TEST(BeatscanApiWindow, WholeRecordingAveragesEveryBeatAndFillsTheBlock) {
    const Samples x = rhythm(100, 200);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    const std::vector<int32_t> p = parameters();
    EXPECT_EQ(p[BEATSCAN_SLOT_HR], 75); // 200 samples apart
    EXPECT_EQ(p[BEATSCAN_SLOT_PB], Get_index_PB());
    EXPECT_EQ(p[BEATSCAN_SLOT_QB], Get_index_QB());
    EXPECT_EQ(p[BEATSCAN_SLOT_SE], Get_index_SE());
    EXPECT_EQ(p[BEATSCAN_SLOT_TE], Get_index_TE());
    EXPECT_EQ(p[BEATSCAN_SLOT_PR], (p[BEATSCAN_SLOT_QB] - p[BEATSCAN_SLOT_PB]) * 4);
    EXPECT_EQ(p[BEATSCAN_SLOT_QRS], (p[BEATSCAN_SLOT_SE] - p[BEATSCAN_SLOT_QB]) * 4);
    EXPECT_EQ(p[BEATSCAN_SLOT_QT], (p[BEATSCAN_SLOT_TE] - p[BEATSCAN_SLOT_QB]) * 4);
    // Every beat has the same shape, so the average is that shape.
    EXPECT_EQ(Get_ptr_plus()[125], Baseline + 300);
    EXPECT_EQ(Get_ptr_plus()[125 - 45], Baseline + 24);
    // The waves fall where the beat shape puts them.
    EXPECT_LT(Get_index_QB(), 125);
    EXPECT_GT(Get_index_SE(), 125);
    EXPECT_NEAR(Get_index_T(), 125 + 62, 3);
    EXPECT_NEAR(Get_index_P(), 125 - 45, 3);
}

TEST(BeatscanApiWindow, EmptyWindowsReturnZeroAndResetEverything) {
    const Samples x = rhythm(100, 200);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    constexpr int r = 100; // the first R of the rhythm
    EXPECT_EQ(QRS(x.data(), Length, 3000, 3000), 0) << "start = end";
    expectEmptyResult();
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    EXPECT_EQ(QRS(x.data(), Length, r + 10, r + 190), 0) << "between two beats";
    expectEmptyResult();
    EXPECT_EQ(QRS(x.data(), Length, 5000, 4000), 0) << "start after end";
    expectEmptyResult();
}

TEST(BeatscanApiWindow, BoundsAreStrict) {
    const Samples x = rhythm(100, 200);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    // Find the detected R of the second beat: the window (R - 1, R + 1) holds it.
    int found = -1;
    for (int r = 290; r <= 310 && found < 0; ++r) {
        if (QRS(x.data(), Length, r - 1, r + 1) == 1) {
            found = r;
        }
    }
    ASSERT_GE(found, 0);
    EXPECT_EQ(QRS(x.data(), Length, found, found + 1), 0);
    EXPECT_EQ(QRS(x.data(), Length, found - 1, found), 0);
    // One beat inside: the rate comes from its neighbours 200 samples away.
    ASSERT_EQ(QRS(x.data(), Length, found - 1, found + 1), 1);
    EXPECT_EQ(Get_Parameter()[BEATSCAN_SLOT_HR], 30000 / 400);
}

TEST(BeatscanApiCalls, CountArgumentIsNotConsulted) {
    const Samples x = rhythm(100, 200);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    const std::vector<int32_t> full = parameters();
    const std::vector<int32_t> beat = averagedBeat();
    ASSERT_EQ(QRS(x.data(), 5000, 0, 7499), 1);
    EXPECT_EQ(parameters(), full);
    EXPECT_EQ(averagedBeat(), beat);
    ASSERT_EQ(QRS(x.data(), 0, 0, 7499), 1);
    EXPECT_EQ(parameters(), full);
}

TEST(BeatscanApiCalls, SuccessiveCallsLeaveNoTrace) {
    const Samples slow = rhythm(100, 250);
    const Samples fast = rhythm(60, 150, 2);
    ASSERT_EQ(QRS(slow.data(), Length, 0, 7499), 1);
    const std::vector<int32_t> slowParameters = parameters();
    const std::vector<int32_t> slowIndices = indices();
    ASSERT_EQ(QRS(fast.data(), Length, 0, 7499), 1);
    const std::vector<int32_t> fastParameters = parameters();
    EXPECT_NE(fastParameters, slowParameters);
    ASSERT_EQ(QRS(slow.data(), Length, 0, 7499), 1);
    EXPECT_EQ(parameters(), slowParameters);
    EXPECT_EQ(indices(), slowIndices);
    ASSERT_EQ(QRS(fast.data(), Length, 0, 7499), 1);
    EXPECT_EQ(parameters(), fastParameters);
}

TEST(BeatscanApiCalls, PointersAddressTheStateOfTheLatestCall) {
    const int32_t* beat = Get_ptr_plus();
    const int32_t* block = Get_Parameter();
    const Samples x = rhythm(100, 200);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    EXPECT_EQ(Get_ptr_plus(), beat);
    EXPECT_EQ(Get_Parameter(), block);
    EXPECT_EQ(block[BEATSCAN_SLOT_HR], 75);
}

TEST(BeatscanApiRate, PStepsRunAt150AndNotAbove) {
    // 100 samples apart is 150 beats/min; 99 apart is 151.
    const Samples at150 = rhythm(60, 100);
    ASSERT_EQ(QRS(at150.data(), Length, 0, 7499), 1);
    ASSERT_EQ(Get_Parameter()[BEATSCAN_SLOT_HR], 150);
    // The P steps ran: at 100 samples per beat the previous T wave leaves no
    // room for the P search, which then takes the middle of its empty span.
    const int far = std::min(62, 100 - (Get_index_TE() - 125) - 12);
    const int near = std::max(25, (125 - Get_index_QB()) + 7);
    ASSERT_LE(far, near);
    EXPECT_EQ(Get_index_P(), 125 - (far + near) / 2);
    EXPECT_NE(Get_index_P(), 84);

    const Samples at151 = rhythm(60, 99);
    ASSERT_EQ(QRS(at151.data(), Length, 0, 7499), 1);
    ASSERT_EQ(Get_Parameter()[BEATSCAN_SLOT_HR], 151);
    EXPECT_EQ(Get_index_P(), 84);
    EXPECT_EQ(Get_index_PB(), 72);
    EXPECT_EQ(Get_Parameter()[BEATSCAN_SLOT_PB], 72);
    EXPECT_EQ(Get_Parameter()[BEATSCAN_SLOT_PR], (Get_index_QB() - 72) * 4);
}

TEST(BeatscanApiRate, SingleBeatHasNoRate) {
    // A lone QRS: with one beat the threshold is low enough for a T or P wave
    // to count as a beat, so this one has none.
    Samples x(Length, Baseline);
    addBeat(x, 3000, 1, false);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    const std::vector<int32_t> p = parameters();
    EXPECT_EQ(p[BEATSCAN_SLOT_HR], -1);
    EXPECT_EQ(p[BEATSCAN_SLOT_QTC], -1);
    // No neighbour bounds the spans: T end and P onset keep their near defaults.
    EXPECT_EQ(Get_index_TE(), Get_index_T() + 1);
    EXPECT_EQ(Get_index_PB(), Get_index_P() - 2);
    // The one beat's samples, unaveraged.
    for (int k = 0; k < 250; ++k) {
        ASSERT_EQ(Get_ptr_plus()[k], x[3000 + k - 125]) << k;
    }
}

// Inputs far from an ECG: each must give a defined result (flat ones give 0)
// and, in the sanitizer build, read nothing outside its buffers.
struct OddInput {
    const char* name;
    Samples samples;
};

std::vector<OddInput> oddInputs() {
    std::vector<OddInput> inputs;
    inputs.push_back({"flat", Samples(Length, Baseline)});
    inputs.push_back({"zeros", Samples(Length, 0)});
    inputs.push_back({"full scale", Samples(Length, 1023)});
    inputs.push_back({"negative", rhythm(100, 200)});
    for (int32_t& v : inputs.back().samples) {
        v = -v;
    }
    inputs.push_back({"huge", rhythm(100, 200, 1000000)});
    inputs.push_back({"int32 extremes", Samples(Length, std::numeric_limits<int32_t>::max())});
    for (int i = 0; i < Length; i += 2) {
        inputs.back().samples[i] = std::numeric_limits<int32_t>::min();
    }
    Samples alternating(Length);
    for (int i = 0; i < Length; ++i) {
        alternating[i] = (i % 2) ? 1023 : 0;
    }
    inputs.push_back({"alternating 0 and 1023", alternating});
    Samples noise(Length);
    std::mt19937 random(7);
    std::uniform_int_distribution<int32_t> level(0, 1023);
    for (int32_t& v : noise) {
        v = level(random);
    }
    inputs.push_back({"noise", noise});
    Samples one(Length, Baseline);
    addBeat(one, 4000);
    inputs.push_back({"one beat", one});
    Samples atStart(Length, Baseline);
    addBeat(atStart, 16);
    addBeat(atStart, 3000);
    inputs.push_back({"beat at the start", atStart});
    Samples atEnd(Length, Baseline);
    addBeat(atEnd, 3000);
    addBeat(atEnd, 7484);
    inputs.push_back({"beat at the end", atEnd});
    Samples step(Length, 0);
    for (int i = Length / 2; i < Length; ++i) {
        step[i] = 1023;
    }
    inputs.push_back({"step", step});
    return inputs;
}

void expectConsistentResult(unsigned char result) {
    if (result == 0) {
        expectEmptyResult();
        return;
    }
    for (int32_t index : indices()) {
        EXPECT_GE(index, 0);
        EXPECT_LT(index, 250);
    }
    const int32_t* p = Get_Parameter();
    EXPECT_TRUE(p[BEATSCAN_SLOT_HR] == -1 ||
                (p[BEATSCAN_SLOT_HR] >= 2 && p[BEATSCAN_SLOT_HR] <= 294));
    EXPECT_EQ(p[BEATSCAN_SLOT_QT], (Get_index_TE() - Get_index_QB()) * 4);
}

TEST(BeatscanApiRobustness, OddInputsGiveDefinedResults) {
    for (const OddInput& input : oddInputs()) {
        SCOPED_TRACE(input.name);
        ASSERT_EQ(input.samples.size(), static_cast<size_t>(Length));
        const unsigned char result = QRS(input.samples.data(), Length, 0, 7499);
        EXPECT_LE(result, 1);
        expectConsistentResult(result);
        // Windows at the edges and empty or reversed ones behave the same way.
        for (auto [start, end] : {std::pair{-100, 200}, {7300, 9000}, {0, 0}, {7499, 0}}) {
            expectConsistentResult(QRS(input.samples.data(), Length, start, end));
        }
    }
}

TEST(BeatscanApiRobustness, MissingSamplesFindNoBeat) {
    const Samples x = rhythm(100, 200);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    EXPECT_EQ(QRS(nullptr, Length, 0, 7499), 0);
    expectEmptyResult();
}

TEST(BeatscanApiRobustness, FlatLinesFindNoBeat) {
    for (int32_t level : {0, 512, 1023, -5000}) {
        const Samples flat(Length, level);
        EXPECT_EQ(QRS(flat.data(), Length, 0, 7499), 0) << level;
        expectEmptyResult();
    }
}

TEST(BeatscanApiRobustness, BeatsAtEitherEndAverageOnlyWhatExists) {
    Samples x(Length, Baseline);
    addBeat(x, 3000);
    addBeat(x, 7484);
    ASSERT_EQ(QRS(x.data(), Length, 0, 7499), 1);
    // Elements past the recording's end get only the first beat.
    const int32_t* beat = Get_ptr_plus();
    for (int k = 0; k < 250; ++k) {
        ASSERT_GE(beat[k], Baseline) << k;
    }
}

} // namespace
