#include "render/AveragedBeatLayout.h"
#include "analysis/ResultFields.h"

#include <gtest/gtest.h>

using namespace vantora;

namespace {

AveragedBeat flatBeat(int32_t value = 512) {
    AveragedBeat beat;
    beat.fill(value);
    return beat;
}

ParameterBlock defaults() {
    return ParameterBlock{72, 113, 137, 212, 75, 0, 164, 96, 396, 420};
}

} // namespace

TEST(AveragedBeatLayout, PanelOf265DrawsOneSamplePerPixel) {
    AveragedBeat beat = flatBeat();
    beat[125] = 512 + 175; // 1 mV: 70 px above the zero line
    const AveragedBeatLayout layout = AveragedBeatLayout::compute(beat, defaults(), 265);
    ASSERT_EQ(layout.trace.size(), 250u);
    EXPECT_EQ(layout.trace[0], QPoint(0, 105));
    EXPECT_EQ(layout.trace[125], QPoint(125, 35));
    EXPECT_EQ(layout.trace[249].x(), 249);
    EXPECT_EQ(layout.qrs, QLine(114, 145, 136, 145));
    EXPECT_EQ(layout.pr, QLine(73, 145, 112, 145));
    EXPECT_EQ(layout.qt, QLine(113, 157, 212, 157));
}

TEST(AveragedBeatLayout, TicksAndMarkers) {
    AveragedBeat beat = flatBeat();
    beat[113] = 600;
    const AveragedBeatLayout layout = AveragedBeatLayout::compute(beat, defaults(), 265);
    EXPECT_EQ(layout.ticks[0], QLine(72, 140, 72, 147));
    EXPECT_EQ(layout.ticks[1], QLine(113, 140, 113, 147));
    EXPECT_EQ(layout.ticks[2], QLine(137, 140, 137, 147));
    EXPECT_EQ(layout.ticks[3], QLine(113, 152, 113, 159));
    EXPECT_EQ(layout.ticks[4], QLine(212, 152, 212, 159));
    EXPECT_EQ(layout.markers[1], QPoint(113, int(105 - 88 * 0.4)));
    EXPECT_EQ(layout.markers[0], QPoint(72, 105));
}

TEST(AveragedBeatLayout, NarrowPanelKeepsTheFarthestSample) {
    // 140 px: f = 0.5, two samples per column.
    AveragedBeat beat = flatBeat();
    beat[3] = 400; // column 1 holds samples 2 and 3
    beat[4] = 530; // column 2 holds 4 and 5
    beat[5] = 300;
    const AveragedBeatLayout layout = AveragedBeatLayout::compute(beat, defaults(), 140);
    ASSERT_EQ(layout.trace.size(), 125u);
    // The point of a column is taken when the column begins: sample 2's column
    // shows the farthest of samples 1 and 2, and so on.
    EXPECT_EQ(layout.trace[1].y(), 105);
    EXPECT_EQ(layout.trace[2], QPoint(2, int(105 - (400 - 512) * 0.4)));
    EXPECT_EQ(layout.trace[3], QPoint(3, int(105 - (300 - 512) * 0.4)));
    EXPECT_EQ(layout.markers[1].x(), int(113 * 0.5f));
}

TEST(AveragedBeatLayout, MissingSamplesLeaveGapsAndMarkersWithoutPointStayAtZero) {
    AveragedBeat beat = flatBeat();
    for (int i = 100; i < 120; ++i)
        beat[size_t(i)] = AveragedBeatLayout::kMissingSample;
    const AveragedBeatLayout layout = AveragedBeatLayout::compute(beat, defaults(), 265);
    EXPECT_EQ(layout.trace.size(), 230u);
    for (const QPoint& p : layout.trace)
        EXPECT_TRUE(p.x() < 100 || p.x() >= 120) << p.x();
    EXPECT_EQ(layout.markers[1], QPoint(113, 0)); // QB lies in the gap
    EXPECT_EQ(layout.markers[2], QPoint(137, 105));
}

TEST(ResultFields, TextsAsThePageShowsThem) {
    ParameterBlock p = defaults();
    ResultFieldTexts t = resultFieldTexts(p);
    EXPECT_EQ(t[0], "75");
    EXPECT_EQ(t[2], "164");
    EXPECT_EQ(t[5], "420");
    p[kSlotHeartRate] = -1;
    p[kSlotQTc] = -1;
    t = resultFieldTexts(p);
    EXPECT_EQ(t[0], "-1");
    EXPECT_EQ(t[5], "-1");
    for (const QString& s : clearedResultFields())
        EXPECT_EQ(s, "...");
}

TEST(ResultFields, StInMillimetresAt175UnitsPerMv) {
    // 10 mm per mV: a millimetre is 17.5 units, so 17 and 18 fall either side of 1 mm.
    const struct {
        int32_t units;
        const char* text;
    } cases[] = {{0, "0.00"}, {17, "0.97"}, {18, "1.03"}, {-35, "-2.00"}, {175, "10.00"}};
    for (const auto& c : cases) {
        ParameterBlock p = defaults();
        p[kSlotST] = c.units;
        EXPECT_EQ(resultFieldTexts(p)[1], c.text) << c.units << " units";
    }
}
