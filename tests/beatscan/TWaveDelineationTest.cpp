// T-wave peak, polarity and end on hand-built averaged beats.
#include "Delineation.h"
#include "support/BuiltBeats.h"

#include <gtest/gtest.h>

namespace beatscan {
namespace {

constexpr int32_t QB = 110;
constexpr int32_t SE = 135;
constexpr int32_t RR = 200; // 75 beats/min
constexpr int32_t HR = 75;

AveragedBeat wave(int centre, int32_t height, int halfWidth = 20) {
    return builtbeats::triangle(centre, height, halfWidth);
}

TEST(TPeak, UprightWaveIsItsMaximum) {
    const WavePeak t = findTPeak(TemplateMeasures(wave(190, 200)), QB, SE, RR, HR);
    EXPECT_EQ(t.index, 190);
    EXPECT_EQ(t.polarity, 0);
}

TEST(TPeak, InvertedWaveIsItsMinimum) {
    const WavePeak t = findTPeak(TemplateMeasures(wave(190, -200)), QB, SE, RR, HR);
    EXPECT_EQ(t.index, 190);
    EXPECT_EQ(t.polarity, 1);
}

TEST(TPeak, InvertedWaveWinsWhenTheMaximumFailsItsPeakTest) {
    // A rising ramp under the span puts the maximum at its end, where the
    // samples beyond it are higher: the maximum fails, the clear minimum wins.
    AveragedBeat a = wave(180, -150, 15);
    for (int k = 200; k < TemplateLength; ++k) {
        a[k] = 4 * (k - 200);
    }
    const WavePeak t = findTPeak(TemplateMeasures(a), QB, SE, RR, HR);
    EXPECT_EQ(t.index, 180);
    EXPECT_EQ(t.polarity, 1);
}

TEST(TPeak, WhenBothExtremesFailTheSpanStartIsKept) {
    // A steady ramp: the maximum sits at the span's end below higher
    // samples, the minimum at its start above lower ones.
    AveragedBeat a{};
    for (int k = 0; k < TemplateLength; ++k) {
        a[k] = 3 * k;
    }
    const WavePeak t = findTPeak(TemplateMeasures(a), QB, SE, RR, HR);
    EXPECT_EQ(t.index, 125 + 35);
    EXPECT_EQ(t.polarity, 0);
}

TEST(TPeak, ShallowExtremesFallBackToTheEarlierOne) {
    // A flat beat: both extremes pass, no depth exceeds 3, and the maximum
    // and minimum coincide at the span's start, so the minimum is taken.
    const AveragedBeat a = builtbeats::flat(512);
    const WavePeak t = findTPeak(TemplateMeasures(a), QB, SE, RR, HR);
    EXPECT_EQ(t.index, 160);
    EXPECT_EQ(t.polarity, 1);
}

TEST(TPeak, SpanEndsBeforeTheNextQrsAndAt400Ms) {
    // A wave at 220 lies beyond hi for RR = 120: hi = 120 - 15 - 15 = 90.
    const AveragedBeat late = wave(220, 200, 10);
    EXPECT_EQ(findTPeak(TemplateMeasures(late), QB, SE, 200, 75).index, 220);
    EXPECT_LT(findTPeak(TemplateMeasures(late), QB, SE, 120, 125).index, 125 + 90);
    // A single beat has no neighbour: the span still ends at 100 after R.
    EXPECT_EQ(findTPeak(TemplateMeasures(late), QB, SE, -15000, NoRate).index, 220);
}

// Falling and bending upward everywhere: every position qualifies as an
// upright T end, so the walk returns its first position.
AveragedBeat convexFall() {
    AveragedBeat a{};
    for (int k = 0; k < TemplateLength; ++k) {
        a[k] = (250 - k) * (250 - k) / 4;
    }
    return a;
}

TEST(TEnd, WalkStartsAtMost31AfterThePeak) {
    const TemplateMeasures m(convexFall());
    EXPECT_EQ(findTEnd(m, {190, 0}, QB, RR), 190 + 31);
    // With RR = 100 the next beat's QRS onset lies RR + QB - T = 20 after the peak.
    EXPECT_EQ(findTEnd(m, {190, 0}, QB, 100), 190 + 20);
    // A late peak: the walk begins at 241 at the latest.
    EXPECT_EQ(findTEnd(m, {224, 0}, QB, RR), 241);
}

TEST(TEnd, PolarityChoosesTheConditions) {
    // A convex fall never ends an inverted wave; its mirror image does.
    EXPECT_EQ(findTEnd(TemplateMeasures(convexFall()), {190, 1}, QB, RR), 191);
    AveragedBeat mirrored = convexFall();
    for (int32_t& v : mirrored) {
        v = -v;
    }
    EXPECT_EQ(findTEnd(TemplateMeasures(mirrored), {190, 1}, QB, RR), 221);
    EXPECT_EQ(findTEnd(TemplateMeasures(mirrored), {190, 0}, QB, RR), 191);
}

TEST(TEnd, NoRateLeavesTheEndNextToThePeak) {
    EXPECT_EQ(findTEnd(TemplateMeasures(convexFall()), {190, 0}, QB, -15000), 191);
}

TEST(TEnd, FlatBeatHasNoQualifyingPosition) {
    const AveragedBeat a = builtbeats::flat(512);
    EXPECT_EQ(findTEnd(TemplateMeasures(a), {200, 0}, QB, RR), 201);
}

} // namespace
} // namespace beatscan
