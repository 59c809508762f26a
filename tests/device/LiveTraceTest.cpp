// The sweeping monitor's ring and point list: sizes, the integer y rule, the
// column rule and the sweep's erase bar.
#include "device/LiveTrace.h"

#include <gtest/gtest.h>

using namespace vantora;

namespace {

LiveTrace filled(int32_t value) {
    LiveTrace t;
    for (int i = 0; i < LiveTrace::kSamples; ++i)
        t.push(value);
    t.rebuild();
    return t;
}

} // namespace

TEST(LiveTraceTest, FreshTraceLiesBelowTheControlAndBaselineAt235) {
    LiveTrace fresh;
    fresh.rebuild();
    ASSERT_EQ(fresh.points().size(), 675u);
    const LiveTrace flat = filled(512);
    ASSERT_EQ(flat.points().size(), 675u);
    for (size_t k = 0; k < 675; ++k) {
        EXPECT_EQ(fresh.points()[k].x(), int(k) + 1);
        EXPECT_EQ(fresh.points()[k].y(), LiveTrace::yOf(-5000));
        EXPECT_EQ(flat.points()[k], QPoint(int(k) + 1, 235));
    }
    // 0 mV lies at 235; the lowest converter value, 0, still above 340.
    EXPECT_GT(LiveTrace::yOf(-5000), 340);
    EXPECT_EQ(flat.writePosition(), 0); // wrapped after 2250 samples
}

// Truncating division in a fixed order: a floating formula or floor division
// would give other rows.
TEST(LiveTraceTest, IntegerRowsOfSampleValues) {
    const struct {
        int32_t value;
        int y;
    } cases[] = {
        {512, 235}, {1024, 141},   {1023, 141}, {0, 331},
        {511, 236}, {-5000, 1264}, {2000, -40}, {516, 234},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LiveTrace::yOf(c.value), c.y) << c.value;
}

// Each column keeps the sample farthest from 512; the sample that opens a
// new column is weighed for the previous one.
TEST(LiveTraceTest, ColumnRule) {
    const struct {
        int ringIndex;
        int32_t value;
        int x; // the column whose point shows it
    } cases[] = {
        {0, 900, 1}, {2, 100, 1},  {3, 900, 2},      {5, 100, 2},      {6, 900, 3},
        {9, 100, 3}, {10, 900, 4}, {2247, 100, 675}, {2249, 900, 675},
    };
    for (const auto& c : cases) {
        LiveTrace t;
        for (int i = 0; i < LiveTrace::kSamples; ++i)
            t.push(i == c.ringIndex ? c.value : 512);
        t.rebuild();
        ASSERT_EQ(t.points().size(), 675u);
        for (const QPoint& p : t.points()) {
            const int expected = p.x() == c.x ? LiveTrace::yOf(c.value) : 235;
            EXPECT_EQ(p.y(), expected) << "spike at " << c.ringIndex << ", column " << p.x();
        }
    }
    // The larger deviation wins whatever its sign; on a tie the first stays.
    LiveTrace t;
    const int32_t column3[] = {500, 530, 490, 494}; // ring 6 ... 9
    for (int i = 0; i < LiveTrace::kSamples; ++i)
        t.push(i >= 6 && i <= 9 ? column3[i - 6] : 512);
    t.rebuild();
    EXPECT_EQ(t.points()[2].y(), LiveTrace::yOf(490));
    LiveTrace tie;
    for (int i = 0; i < LiveTrace::kSamples; ++i)
        tie.push(i == 6 ? 522 : i == 7 ? 502 : 512);
    tie.rebuild();
    EXPECT_EQ(tie.points()[2].y(), LiveTrace::yOf(522));
}

TEST(LiveTraceTest, PacketsFillTheRingInOrderAndWrap) {
    LiveTrace t;
    AcqPacket p;
    p.samples[0] = 1;
    p.samples[1] = 2;
    p.samples[2] = 3;
    p.samples[3] = 4;
    for (int k = 0; k < 562; ++k) // 2248 samples
        t.push(p);
    EXPECT_EQ(t.writePosition(), 2248);
    t.push(p); // the last two land at 2248, 2249, then 0 and 1
    EXPECT_EQ(t.writePosition(), 2);
    EXPECT_EQ(t.sampleAt(2248), 1);
    EXPECT_EQ(t.sampleAt(2249), 2);
    EXPECT_EQ(t.sampleAt(0), 3);
    EXPECT_EQ(t.sampleAt(1), 4);
    EXPECT_EQ(t.sampleAt(2250), LiveTrace::kResetValue); // beyond the used part
    t.reset();
    EXPECT_EQ(t.writePosition(), 0);
    EXPECT_EQ(t.sampleAt(0), LiveTrace::kResetValue);
    EXPECT_TRUE(t.points().empty());
}

// The polyline ends at point g = write position x 0.3 and resumes 10 points later.
TEST(LiveTraceTest, SweepGapFollowsTheWritePosition) {
    const struct {
        int pushes;
        int firstEnd;
        int secondStart;
    } cases[] = {
        {2250, 0, 10},           {2250 + 100, 30, 40},    {2250 + 7, 2, 12},
        {2250 + 2216, 664, 674}, {2250 + 2217, 665, 675}, {2250 + 2249, 674, 675},
    };
    for (const auto& c : cases) {
        LiveTrace t;
        for (int i = 0; i < c.pushes; ++i)
            t.push(512);
        t.rebuild();
        const LiveTrace::Sweep s = t.sweep();
        EXPECT_EQ(s.firstEnd, c.firstEnd) << c.pushes;
        EXPECT_EQ(s.secondStart, c.secondStart) << c.pushes;
    }
    LiveTrace unbuilt; // no points yet: nothing to draw on either side
    for (int i = 0; i < 100; ++i)
        unbuilt.push(512);
    EXPECT_EQ(unbuilt.sweep().firstEnd, 0);
    EXPECT_EQ(unbuilt.sweep().secondStart, 0);
}
