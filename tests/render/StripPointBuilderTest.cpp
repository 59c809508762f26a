#include "render/StripPointBuilder.h"
#include "render/StripGeometry.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace vantora;

namespace {

StripRows rowsAt(int left, int height) {
    StripRows rows;
    rows.fill(StripRow{left, height});
    return rows;
}

std::vector<int32_t> flat(int32_t value) {
    return std::vector<int32_t>(7500, value);
}

// Index of the first point whose x equals x, searching from `from`.
int indexOfColumn(const StripPointList& list, int x, int from) {
    for (int i = from; i < list.size(); ++i)
        if (list.points[size_t(i)].x() == x)
            return i;
    return -1;
}

} // namespace

TEST(StripPointBuilder, RowEndsAndNextRowStartAsMove) {
    const StripPointList list = buildStripPoints(flat(512), rowsAt(0, 160), 1);
    ASSERT_EQ(list.size(), 3 * 767);
    // Sample 2499 is the last point of row 0: column 15 + trunc(2499 * 0.3068) = 781.
    EXPECT_EQ(list.points[766], QPoint(781, 80));
    EXPECT_EQ(list.points[767], QPoint(15, 80));
    EXPECT_EQ(list.types[767], kPointMove);
    EXPECT_EQ(list.types[0], kPointMove);
    EXPECT_EQ(list.types[1], kPointLine);
    EXPECT_EQ(list.types[2 * 767], kPointMove);
}

TEST(StripPointBuilder, RowLeftEdgeShiftsColumns) {
    StripRows rows{StripRow{0, 160}, StripRow{100, 160}, StripRow{-15, 160}};
    const StripPointList list = buildStripPoints(flat(512), rows, 1);
    EXPECT_EQ(list.points[0].x(), 15);
    EXPECT_EQ(list.points[767].x(), 115);
    // Row 2 starts at x = 0, which equals the start value of the last column
    // only at the very beginning; here the previous column is 881, so it counts.
    EXPECT_EQ(list.points[2 * 767].x(), 0);
}

TEST(StripPointBuilder, LevelsInBothGains) {
    std::vector<int32_t> samples = flat(512);
    samples[0] = 687; // +1 mV
    samples[4] = 337; // -1 mV; samples 0-3 share column 15, sample 4 opens column 16
    const StripPointList g1 = buildStripPoints(samples, rowsAt(0, 160), 1);
    const StripPointList g2 = buildStripPoints(samples, rowsAt(0, 160), 2);
    EXPECT_EQ(g1.points[0].y(), 50);
    EXPECT_EQ(g2.points[0].y(), 20);
    EXPECT_EQ(g1.points[2].y(), 80);
    EXPECT_EQ(g2.points[2].y(), 80);
    const int i16 = indexOfColumn(g1, 16, 0);
    ASSERT_GE(i16, 0);
    EXPECT_EQ(g1.points[size_t(i16)].y(), 110);
    EXPECT_EQ(g2.points[size_t(indexOfColumn(g2, 16, 0))].y(), 140);
}

TEST(StripPointBuilder, OnePointPerColumnFromItsFirstSample) {
    std::vector<int32_t> samples(7500);
    for (int i = 0; i < 7500; ++i)
        samples[size_t(i)] = 200 + (i * 37) % 600;
    const StripPointList list = buildStripPoints(samples, rowsAt(0, 1000), 1);
    std::set<int> columns;
    for (int i = 0; i < 767; ++i)
        columns.insert(list.points[size_t(i)].x());
    EXPECT_EQ(columns.size(), 767u);
    EXPECT_EQ(*columns.begin(), 15);
    EXPECT_EQ(*columns.rbegin(), 781);
    // Column 16 takes sample 4 (4 * 0.3068 = 1.23), not 5 or 6.
    const int expected = int((512 - samples[4]) * 0.17142857142857143 + 80);
    EXPECT_EQ(list.points[1].y(), expected);
    EXPECT_NE(int((512 - samples[5]) * 0.17142857142857143 + 80), expected);
}

TEST(StripPointBuilder, ClampedRunsAboveAndBelow) {
    std::vector<int32_t> samples = flat(512);
    for (int i = 40; i < 80; ++i)
        samples[size_t(i)] = 1023; // far above: y < 0
    for (int i = 200; i < 240; ++i)
        samples[size_t(i)] = 0; // far below: y > 160
    const StripPointList list = buildStripPoints(samples, rowsAt(0, 160), 1);
    for (const int edge : {0, 160}) {
        int first = 0;
        while (list.points[size_t(first)].y() != edge)
            ++first;
        int back = first;
        while (list.points[size_t(back)].y() == edge)
            ++back;
        // The run is 40 samples, about 12 columns.
        EXPECT_GE(back - first, 11);
        EXPECT_LE(back - first, 13);
        EXPECT_EQ(list.types[size_t(first)], kPointLine) << edge;
        for (int i = first + 1; i < back; ++i)
            EXPECT_EQ(list.types[size_t(i)], kPointMove) << edge << " " << i;
        EXPECT_EQ(list.points[size_t(back)].y(), 80);
        EXPECT_EQ(list.types[size_t(back)], kPointLine);
    }
}

TEST(StripPointBuilder, ColumnWidthMember) {
    // W = 515: 500 px over a row, so offset 2499 lands at 15 + trunc(2499 * 500 * 0.0004) = 514.
    const StripPointList list = buildColumnStripPoints(flat(512), rowsAt(0, 160), 1, 515);
    ASSERT_EQ(list.size(), 3 * 500);
    EXPECT_EQ(list.points[499].x(), 514);
    EXPECT_EQ(list.points[500].x(), 15);
    EXPECT_EQ(list.types[500], kPointMove);
}

TEST(StripPointBuilder, DisplayScaleAndReplayRow) {
    EXPECT_EQ(displayScaleY(512), 27);
    EXPECT_EQ(displayScaleY(1024), -67);
    std::vector<int32_t> samples = flat(512);
    samples[10] = 1023; // above the band
    samples[11] = 1023;
    samples[20] = 0; // below the band
    const StripPointList list = buildReplayRowPoints(samples, 4, 750);
    ASSERT_EQ(list.size(), 7500);
    EXPECT_EQ(list.types[0], kPointMove);
    EXPECT_EQ(list.points[0], QPoint(4, 27));
    EXPECT_EQ(list.points[7499].x(), int(7499 * float(750 * 0.00013333333333333334) + 4.0f));
    EXPECT_EQ(list.points[10].y(), 0);
    EXPECT_EQ(list.types[10], kPointLine);
    EXPECT_EQ(list.types[11], kPointMove);
    EXPECT_EQ(list.types[12], kPointLine);
    EXPECT_EQ(list.points[20].y(), 32);
}

TEST(StripPointBuilder, ShortInputGivesPointsOnlyForWhatIsThere) {
    const std::vector<int32_t> samples(100, 512);
    const StripPointList list = buildStripPoints(samples, rowsAt(0, 160), 1);
    EXPECT_EQ(list.size(), int(99 * 0.3068f) + 1);
    EXPECT_TRUE(buildStripPoints({}, rowsAt(0, 160), 1).empty());
}
