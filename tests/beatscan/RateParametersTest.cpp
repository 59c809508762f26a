// Heart rate from the beat list and window, and the interval parameters, on
// the worked examples of the rules.
#include "RateParameters.h"
#include "support/BuiltBeats.h"

#include <gtest/gtest.h>

#include <limits>
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

TEST(Intervals, QtcIsBazettsCorrection) {
    // QT / sqrt(60 / HR) = sqrt(QT x QT x HR / 60), q and the root truncated.
    struct Case {
        int32_t teAfterQb; // samples, 4 ms each
        int32_t HR;
        int32_t QTc;
    };
    const Case cases[] = {
        {100, 60, 400},  // an interval of one second leaves QT as it is
        {100, 75, 447},  // q = 200000, root 447.2
        {68, 117, 379},  // QT 272: q = 8656128 / 60 = 144268, root 379.8
        {100, 120, 565}, // q = 320000, root 565.7
        {100, NoRate, -1},
    };
    for (const Case& c : cases) {
        Fiducials f;
        f.QB = 100;
        f.TE = 100 + c.teAfterQb;
        const Intervals v = intervals(flatBeat(0), f, c.HR);
        EXPECT_EQ(v.QT, c.teAfterQb * 4);
        EXPECT_EQ(v.QTc, c.QTc) << "QT " << v.QT << " at " << c.HR << " bpm";
    }
}

TEST(Intervals, QtcOfHostileInputsSaturatesInsteadOfOverflowing) {
    constexpr int32_t maxInt = std::numeric_limits<int32_t>::max();
    constexpr int32_t minInt = std::numeric_limits<int32_t>::min();
    struct Case {
        int32_t QT;
        int32_t HR;
        int32_t QTc;
    };
    const Case cases[] = {
        {46340, 1, 5982},    // QT x QT still fits 32 bits: q = 35789926
        {46341, 1, 5982},    // QT x QT does not, q does: 35791471
        {40000, 294, 46340}, // q past 2^31 - 1 saturates there
        {minInt, 60, 46340}, // QT x QT x HR past 64 bits
        {maxInt, maxInt, 46340}, {400, 0, 0}, {400, -2, -1}, // a negative rate has no root
        {maxInt, minInt, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bazettQtc(c.QT, c.HR), c.QTc) << "QT " << c.QT << " at " << c.HR;
    }
}

} // namespace
} // namespace beatscan
