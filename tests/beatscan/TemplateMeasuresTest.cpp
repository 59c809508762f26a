// The template measures on hand-built averaged beats, and the coefficient
// tables they use.
#include "TemplateMeasures.h"
#include "FilterTables.h"
#include "support/BuiltBeats.h"

#include <gtest/gtest.h>

#include <cmath>

namespace beatscan {
namespace {

AveragedBeat constant(int32_t value) {
    return builtbeats::flat(value);
}

AveragedBeat ramp(int32_t slope, int32_t offset = 0) {
    AveragedBeat a;
    for (int k = 0; k < TemplateLength; ++k) {
        a[k] = offset + slope * k;
    }
    return a;
}

AveragedBeat impulse(int at, int32_t height, int32_t level = 0) {
    AveragedBeat a = constant(level);
    a[at] += height;
    return a;
}

TEST(FilterTables, KernelsSumToOneWithinTheirTolerance) {
    for (int h = 0; h <= GaussMaxHalfWidth; ++h) {
        double sum = GaussTable[h][h];
        for (int k = 0; k < h; ++k) {
            sum += 2.0 * GaussTable[h][k];
        }
        EXPECT_NEAR(sum, 1.0, 0.0002 + 1e-6) << "Gauss " << h;
    }
    for (int h = 0; h <= SharpMaxHalfWidth; ++h) {
        double sum = SharpTable[h][h];
        for (int k = 0; k < h; ++k) {
            sum += 2.0 * SharpTable[h][k];
        }
        EXPECT_NEAR(sum, 1.0, 0.0001 + 1e-9) << "Sharp " << h;
    }
    for (int h = 0; h <= EdgeMaxLength; ++h) {
        double sum = 0.0;
        for (int k = 0; k <= h; ++k) {
            sum += EdgeTable[h][k];
        }
        EXPECT_NEAR(sum, 1.0, 0.0001 + 1e-9) << "Edge " << h;
    }
}

TEST(FilterTables, GaussWeightsAreSinglePrecisionWidened) {
    // 0.1094 in single precision is 0.109399996697...; the double product with
    // 10000 stays just below 1094.
    EXPECT_EQ(gaussWeight(5, 5), static_cast<double>(0.1094f));
    EXPECT_NE(gaussWeight(5, 5), 0.1094);
    EXPECT_LT(10000 * gaussWeight(5, 5), 1094.0);
}

TEST(Sharpen, WeighsNeighboursByDistanceAndTruncates) {
    // Constant 100: the h = 4 kernel sums to 1.0001, so 100.01 -> 100.
    EXPECT_EQ(TemplateMeasures(constant(100)).Sharpen(50, 4), 100);
    // A single sample at distance k contributes sample * s[h - k].
    const TemplateMeasures m(impulse(51, 1000));
    EXPECT_EQ(m.Sharpen(50, 4), 966);  // 966.3
    EXPECT_EQ(m.Sharpen(52, 4), 966);  // the same weight on the left
    EXPECT_EQ(m.Sharpen(53, 4), 192);  // 192.6
    EXPECT_EQ(m.Sharpen(55, 4), -838); // -838.6 truncates toward zero
    EXPECT_EQ(m.Sharpen(51, 4), 1322); // the centre, 1322.9
    EXPECT_EQ(m.Sharpen(56, 4), 0);    // out of reach
    EXPECT_EQ(m.Sharpen(51, 0), 1000);
}

TEST(Sharpen, Smooth3CombinesThreeSharpenedValues) {
    const TemplateMeasures m(impulse(100, 1000));
    // (2 * 1322 + 192 + 192) / 4
    EXPECT_EQ(m.Smooth3(100), 757);
    // (2 * -838 + 0 + 192) / 4
    EXPECT_EQ(m.Smooth3(104), -371);
    // (2 * 0 + 0 - 481) / 4 = -120.25 truncates toward zero
    EXPECT_EQ(m.Smooth3(105), -120);
}

TEST(RightEdge, ReadsOnlyTheSampleAndItsRight) {
    EXPECT_EQ(TemplateMeasures(constant(100)).RightEdge(10, 4), 99); // 99.99
    EXPECT_EQ(TemplateMeasures(constant(100)).RightEdge(10, 5), 100);
    const TemplateMeasures m(impulse(20, 1000));
    EXPECT_EQ(m.RightEdge(20, 4), 1738); // e[4], 1738.6
    EXPECT_EQ(m.RightEdge(19, 4), 739);  // e[3]
    EXPECT_EQ(m.RightEdge(16, 4), -754); // e[0]
    EXPECT_EQ(m.RightEdge(15, 4), 0);    // beyond the kernel
    EXPECT_EQ(m.RightEdge(21, 4), 0);    // the left is never read
}

TEST(RightEdge, OffsetEdgeMovesOnlyTheCentreWeight) {
    const TemplateMeasures m(ramp(7, 100));
    EXPECT_EQ(m.OffsetEdge(40, 40, 2, 4), m.SmoothedEdge(40, 2, 4));
    const double shift =
        (m.RightEdge(41, 4) - m.RightEdge(40, 4)) * static_cast<double>(GaussTable[2][2]);
    EXPECT_NEAR(m.OffsetEdge(40, 41, 2, 4) - m.SmoothedEdge(40, 2, 4), shift, 1e-9);
    // On a constant the smoothed edge is the edge times the Gauss kernel's sum.
    EXPECT_NEAR(TemplateMeasures(constant(100)).SmoothedEdge(50, 5, 5), 100.0, 0.02);
}

TEST(Level, DividesEachPairOnItsOwn) {
    AveragedBeat a = constant(0);
    a[48] = 2;
    a[52] = 3; // pair sum 5 at k = 2 adds 2
    EXPECT_EQ(TemplateMeasures(a).Level(50, 2), 2);
    a[48] = -2;
    a[52] = -3; // -5 at k = 2 adds -2 (toward zero)
    EXPECT_EQ(TemplateMeasures(a).Level(50, 2), -2);
    a = constant(10); // 2*10 + 20/1 + 20/2 + 20/3 = 20 + 20 + 10 + 6
    EXPECT_EQ(TemplateMeasures(a).Level(50, 3), 56);
}

TEST(Level, ChangesAreZeroOnAConstantAndSeeOnlyTheirSide) {
    const TemplateMeasures flat(constant(512));
    EXPECT_EQ(flat.ForwardChange(100, 2), 0);
    EXPECT_EQ(flat.BackwardChange(100, 2), 0);
    AveragedBeat step = constant(0);
    for (int k = 110; k < TemplateLength; ++k) {
        step[k] = 100;
    }
    const TemplateMeasures m(step);
    // Right of 100: Level(102, 2) and Level(106, 2) read only up to 108.
    EXPECT_EQ(m.ForwardChange(100, 2), 0);
    // Right of 104: Level(106, 2) = 0, Level(110, 2) = 200 + 100 + 100 / 2 = 350.
    EXPECT_EQ(m.ForwardChange(104, 2), 350);
    EXPECT_EQ(m.BackwardChange(104, 2), 0);
    // Left of 116: Level(114, 2) = 200 + 200 + 100, Level(110, 2) = 350.
    EXPECT_EQ(m.BackwardChange(116, 2), 150);
}

TEST(Curv, ZeroOnALinePositiveAtAPeak) {
    EXPECT_EQ(TemplateMeasures(ramp(13, -500)).Curv(100, 2), 0);
    EXPECT_EQ(TemplateMeasures(impulse(100, 10)).Curv(100, 2), 40);
    EXPECT_EQ(TemplateMeasures(impulse(100, -10)).Curv(100, 2), -40);
    EXPECT_EQ(TemplateMeasures(impulse(100, 10)).Curv(101, 2), -10);
}

TEST(Mean, TruncatesTowardZero) {
    AveragedBeat a = constant(0);
    a[10] = 1;
    a[11] = 2;
    EXPECT_EQ(TemplateMeasures(a).Mean(10, 12), 1);
    a[10] = -1;
    a[11] = -2;
    EXPECT_EQ(TemplateMeasures(a).Mean(10, 12), -1);
    EXPECT_EQ(TemplateMeasures(ramp(1)).Mean(0, 250), 124);
}

TEST(BendCosine, StraightLineAndRightAngle) {
    EXPECT_DOUBLE_EQ(BendCosine(2, 0, 4, 0, 6, 0), -1.0);
    EXPECT_NEAR(BendCosine(2, 0, 4, 2, 6, 0), 0.0, 1e-12);
    // A sharper bend has a larger cosine.
    EXPECT_GT(BendCosine(2, 0, 4, 10, 6, 0), BendCosine(2, 0, 4, 2, 6, 0));
    // Each squared distance is the square of the rounded root: sqrt(8)^2 is
    // 8 + 2^-49, so the right angle comes out just above 0.
    EXPECT_GT(BendCosine(2, 0, 4, 2, 6, 0), 0.0);
}

} // namespace
} // namespace beatscan
