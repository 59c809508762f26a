// Regression of the exported analysis against the expected results of 241
// analyses of 60 real recordings (tests/data/ecg), and the detection's
// sensitivity and positive predictivity against the annotated beats.
#include "BeatDetection.h"
#include "beatscan.h"
#include "support/ReferenceEcg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

using reference::ExpectedAnalysis;
using reference::ReferenceSet;

class BeatscanRegression : public ::testing::Test {
protected:
    static void SetUpTestSuite() { set = new ReferenceSet(reference::loadReferenceSet()); }
    static void TearDownTestSuite() {
        delete set;
        set = nullptr;
    }
    static ReferenceSet* set;
};

ReferenceSet* BeatscanRegression::set = nullptr;

std::vector<int32_t> detectedBeats(const reference::Recording& r) {
    const beatscan::BeatList list = beatscan::detectBeats(r.data());
    return {list.positions.begin(), list.positions.begin() + list.count};
}

std::vector<int32_t> exportedIndices() {
    return {Get_index_P(),  Get_index_PB(), Get_index_QB(),
            Get_index_SE(), Get_index_T(),  Get_index_TE()};
}

std::vector<int32_t> expectedIndices(const ExpectedAnalysis& e) {
    return {e.indices.at("P"),  e.indices.at("PB"), e.indices.at("QB"),
            e.indices.at("SE"), e.indices.at("T"),  e.indices.at("TE")};
}

TEST_F(BeatscanRegression, ReferenceSetIsComplete) {
    ASSERT_EQ(set->recordings.size(), 60u);
    EXPECT_EQ(set->cases.size(), 241u);
}

TEST_F(BeatscanRegression, EveryCaseMatchesItsExpectedAnalysis) {
    for (const ExpectedAnalysis& e : set->cases) {
        SCOPED_TRACE(testing::Message()
                     << "segment " << e.segment << " window (" << e.start << ", " << e.end << ")");
        const reference::Recording& samples = set->recordings.at(e.segment);
        const unsigned char result = QRS(samples.data(), 7500, e.start, e.end);
        EXPECT_EQ(result, e.result);
        EXPECT_EQ(detectedBeats(samples), e.beats);
        const int32_t* beat = Get_ptr_plus();
        EXPECT_EQ(std::vector<int32_t>(beat, beat + 250), e.averagedBeat);
        const int32_t* parameters = Get_Parameter();
        EXPECT_EQ(std::vector<int32_t>(parameters, parameters + 10), e.parameters);
        EXPECT_EQ(exportedIndices(), expectedIndices(e));
    }
}

// A detection matches an annotated beat within 150 ms (37 samples); each
// detection and each annotation is used at most once.
struct Score {
    int matched = 0;
    int annotated = 0;
    int detected = 0;
};

Score scoreRecording(const std::vector<int32_t>& annotated, const std::vector<int32_t>& detected) {
    constexpr int MatchWindow = 37; // samples, 150 ms at 250 samples/s
    Score score{0, static_cast<int>(annotated.size()), static_cast<int>(detected.size())};
    std::vector<bool> used(detected.size(), false);
    for (int32_t a : annotated) {
        int best = -1;
        for (size_t d = 0; d < detected.size(); ++d) {
            const int distance = std::abs(detected[d] - a);
            if (!used[d] && distance <= MatchWindow &&
                (best < 0 || distance < std::abs(detected[best] - a))) {
                best = static_cast<int>(d);
            }
        }
        if (best >= 0) {
            used[best] = true;
            ++score.matched;
        }
    }
    return score;
}

TEST_F(BeatscanRegression, DetectionAgreesWithAnnotatedBeats) {
    Score total;
    for (int k = 0; k < reference::RecordingCount; ++k) {
        const Score s = scoreRecording(set->referenceBeats[k], detectedBeats(set->recordings[k]));
        total.matched += s.matched;
        total.annotated += s.annotated;
        total.detected += s.detected;
    }
    const double sensitivity = 100.0 * total.matched / total.annotated;
    const double predictivity = 100.0 * total.matched / total.detected;
    std::printf("detection: %d annotated, %d detected, %d matched; Se %.2f %%, +P %.2f %%\n",
                total.annotated, total.detected, total.matched, sensitivity, predictivity);
    RecordProperty("sensitivity", std::to_string(sensitivity));
    RecordProperty("positivePredictivity", std::to_string(predictivity));
    EXPECT_GE(sensitivity, 99.0);
    EXPECT_GE(predictivity, 99.0);
}

} // namespace
