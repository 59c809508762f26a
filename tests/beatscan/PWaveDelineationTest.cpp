// P-wave peak, polarity and onset on hand-built averaged beats.
#include "Delineation.h"
#include "support/BuiltBeats.h"

#include <gtest/gtest.h>

namespace beatscan {
namespace {

constexpr int32_t QB = 110;
constexpr int32_t TE = 200;
constexpr int32_t RR = 200; // 75 beats/min
constexpr int32_t HR = 75;

AveragedBeat wave(int centre, int32_t height) {
    return builtbeats::triangle(centre, height, 12);
}

TEST(PPeak, UprightWaveSnapsToItsHighestSample) {
    const WavePeak p = findPPeak(TemplateMeasures(wave(80, 60)), QB, TE, RR, HR);
    EXPECT_EQ(p.index, 80);
    EXPECT_EQ(p.polarity, 0);
}

TEST(PPeak, InvertedWaveSnapsToItsLowestSample) {
    const WavePeak p = findPPeak(TemplateMeasures(wave(78, -60)), QB, TE, RR, HR);
    EXPECT_EQ(p.index, 78);
    EXPECT_EQ(p.polarity, 1);
}

TEST(PPeak, BaselineIsTheTwoSamplesBeforeTheQrsOnset) {
    // A P wave 30 high on a line at 100, with a 60-high step right before the
    // onset: against that baseline the wave reads -30 and is taken inverted.
    AveragedBeat a = wave(80, 30);
    for (int32_t& v : a) {
        v += 100;
    }
    a[QB - 2] = 160;
    a[QB - 1] = 160;
    const WavePeak p = findPPeak(TemplateMeasures(a), QB, TE, RR, HR);
    EXPECT_EQ(p.polarity, 1);
    a[QB - 2] = 100;
    a[QB - 1] = 100;
    EXPECT_EQ(findPPeak(TemplateMeasures(a), QB, TE, RR, HR).polarity, 0);
}

TEST(PPeak, FlatBeatTakesTheFixedGuess) {
    const AveragedBeat a = builtbeats::flat(100);
    const WavePeak p = findPPeak(TemplateMeasures(a), QB, TE, RR, HR);
    EXPECT_EQ(p.index, 84); // 41 before R: far 62 > 41 and near 25 < 41
    EXPECT_EQ(p.polarity, 0);
}

TEST(PPeak, NoRoomAfterThePreviousTEndGivesTheMidpoint) {
    // far = min(62, 100 - 75 - 12) = 13, near = 25: no window, P = 125 - 19.
    const WavePeak p = findPPeak(TemplateMeasures(wave(80, 60)), QB, TE, 100, 150);
    EXPECT_EQ(p.index, 106);
    EXPECT_EQ(p.polarity, 0);
}

TEST(PPeak, SingleBeatSearchesTheFullSpan) {
    const WavePeak p = findPPeak(TemplateMeasures(wave(70, 60)), QB, TE, -15000, NoRate);
    EXPECT_EQ(p.index, 70);
    EXPECT_EQ(p.polarity, 0);
}

TEST(POnset, SharpestCornerOnTheRisingSide) {
    // The wave rises from 68; the corner of the rise is found within a sample.
    const TemplateMeasures m(wave(80, 60));
    const int32_t pb = findPOnset(m, {80, 0}, TE, RR);
    EXPECT_GE(pb, 66);
    EXPECT_LE(pb, 70);
    // The corner is where the bend is sharpest among the positions tested.
    EXPECT_LT(pb, 80 - 5);
}

TEST(POnset, InvertedWaveUsesTheFallingSide) {
    const int32_t pb = findPOnset(TemplateMeasures(wave(80, -60)), {80, 1}, TE, RR);
    EXPECT_GE(pb, 66);
    EXPECT_LE(pb, 70);
    // The mirror image of the upright case: the same corner.
    EXPECT_EQ(pb, findPOnset(TemplateMeasures(wave(80, 60)), {80, 0}, TE, RR));
}

TEST(POnset, WithoutRoomTheOnsetIsTwoBeforeThePeak) {
    EXPECT_EQ(findPOnset(TemplateMeasures(wave(80, 60)), {80, 0}, TE, -15000), 78);
    // room = min(20, 120 - 75 - 45) = 0: the first position tested would be the peak.
    EXPECT_EQ(findPOnset(TemplateMeasures(wave(80, 60)), {80, 0}, TE, 120), 78);
}

TEST(POnset, FlatBeatHasNoCorner) {
    const AveragedBeat a = builtbeats::flat(300);
    // Every position is a straight line: the cosine -1 is never above the start value.
    EXPECT_EQ(findPOnset(TemplateMeasures(a), {84, 0}, TE, RR), 82);
}

} // namespace
} // namespace beatscan
