// Heart rate from the beat list and window, and the interval parameters, on
// the worked examples of the rules.
#include "RateParameters.h"
#include "support/BuiltBeats.h"

#include <gtest/gtest.h>

#include <vector>

namespace beatscan {
namespace {

BeatList listOf(const std::vector<int32_t>& beats) {
    BeatList list;
    for (int32_t r : beats) {
        list.positions[list.count++] = r;
    }
    return list;
}

TEST(HeartRate, MeanRateOverTheBeatsInsideTheWindow) {
    EXPECT_EQ(heartRate(listOf({100, 300}), 0, 7499), 75);
    EXPECT_EQ(heartRate(listOf({100, 300, 520}), 0, 7499), 71); // 2 * 15000 / 420
    // Beats outside the window do not count.
    EXPECT_EQ(heartRate(listOf({100, 300, 520, 600}), 200, 590), 68); // 15000 / 220
}

TEST(HeartRate, OneBeatInsideTakesItsNeighbours) {
    EXPECT_EQ(heartRate(listOf({1000, 1200, 1420}), 1100, 1300), 71); // 30000 / 420
    EXPECT_EQ(heartRate(listOf({1000, 1250}), 1100, 7499), 60);       // the last beat
    EXPECT_EQ(heartRate(listOf({1000, 1200}), 0, 1100), 75);          // the first beat
}

TEST(HeartRate, IndexZeroIsOnlyTheDefaultOfLast) {
    // The window holds only R[0]; last finds no i >= 1 and stays 0, so the
    // one-beat rule applies with k = 0.
    EXPECT_EQ(heartRate(listOf({100, 300}), 0, 200), 75);
}

TEST(HeartRate, SingleBeatHasNoRate) {
    EXPECT_EQ(heartRate(listOf({3000}), 0, 7499), NoRate);
    EXPECT_EQ(beatSpacing(NoRate), -15000);
    EXPECT_EQ(beatSpacing(75), 200);
    EXPECT_EQ(beatSpacing(71), 211);
}

AveragedBeat flatBeat(int32_t level) {
    return builtbeats::flat(level);
}

TEST(Intervals, FromTheWaveIndices) {
    Fiducials f;
    f.PB = 70;
    f.QB = 110;
    f.SE = 135;
    f.TE = 210;
    const Intervals v = intervals(flatBeat(512), f, 75);
    EXPECT_EQ(v.PR, 160);
    EXPECT_EQ(v.QRS, 100);
    EXPECT_EQ(v.QT, 400);
    EXPECT_EQ(v.ST, 0);
}

TEST(Intervals, StAgainstTheLineFromQrsOnsetToTEnd) {
    AveragedBeat a = flatBeat(0);
    a[110] = 500;
    a[210] = 520;
    a[155] = 530;
    Fiducials f;
    f.QB = 110;
    f.SE = 135;
    f.TE = 210;
    // The line at 155 lies (45 * 20) / 100 = 9 above A[QB].
    EXPECT_EQ(intervals(a, f, 75).ST, 530 - 509);
    a[210] = 480; // (45 * -20) / 100 = -9: the product is formed before the division
    EXPECT_EQ(intervals(a, f, 75).ST, 530 - 491);
    a[210] = 501; // (45 * 1) / 100 = 0 truncated
    EXPECT_EQ(intervals(a, f, 75).ST, 30);
    a[210] = 499; // -0.45 truncates toward zero, not to -1
    EXPECT_EQ(intervals(a, f, 75).ST, 30);
}

TEST(Intervals, QtcScalesWithTheSquareRootOfTheBeatInterval) {
    Fiducials f;
    f.QB = 100;
    f.TE = 200; // QT 400
    EXPECT_EQ(intervals(flatBeat(0), f, 60).QTc, 400);
    EXPECT_EQ(intervals(flatBeat(0), f, 120).QTc, 282); // sqrt(80000)
    EXPECT_EQ(intervals(flatBeat(0), f, NoRate).QTc, -1);
}

} // namespace
} // namespace beatscan
