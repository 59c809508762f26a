#include "render/DownloadPointList.h"
#include "render/StripPointBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantora;

namespace {
std::vector<int32_t> block(int32_t value) {
    return std::vector<int32_t>(500, value);
}
} // namespace

TEST(DownloadPointList, BlocksContinueWhereThePreviousEnded) {
    DownloadPointList list;
    list.addBlock(0, 0, block(512), 100, 850); // 750 px for 7500 samples
    ASSERT_EQ(list.points().size(), 500);
    EXPECT_EQ(list.points().types[0], kPointMove);
    EXPECT_EQ(list.points().points[0], QPoint(100, 27));
    const int lastX = list.points().points[499].x();
    EXPECT_EQ(lastX, int(double(499 * 0.1f) + 0.5 + 100));
    list.addBlock(0, 1, block(512), 100, 850);
    ASSERT_EQ(list.points().size(), 1000);
    EXPECT_EQ(list.points().points[500].x(), lastX);
    EXPECT_EQ(list.points().types[500], kPointLine);
}

TEST(DownloadPointList, ClipsToBandSixToThirtyTwo) {
    DownloadPointList list;
    std::vector<int32_t> samples = block(512);
    samples[1] = samples[2] = 1023; // above: y 7
    samples[3] = 0;                 // below: y 32
    list.addBlock(0, 0, samples, 0, 750);
    const auto& p = list.points();
    EXPECT_EQ(p.points[1].y(), 7);
    EXPECT_EQ(p.types[1], kPointLine);
    EXPECT_EQ(p.types[2], kPointMove);
    EXPECT_EQ(p.points[3].y(), 32);
    EXPECT_EQ(p.types[3], kPointLine);
}

TEST(DownloadPointList, ResentBlockReplacesItsPoints) {
    DownloadPointList list;
    list.addBlock(0, 0, block(512), 0, 750);
    list.addBlock(0, 1, block(512), 0, 750);
    list.addBlock(0, 1, block(600), 0, 750);
    ASSERT_EQ(list.points().size(), 1000);
    EXPECT_EQ(list.points().points[700].y(), displayScaleY(600));
    EXPECT_EQ(list.points().points[100].y(), 27);
}

TEST(DownloadPointList, SecondRecordingLandsAtItsPositionsAndBadNumbersAreRefused) {
    DownloadPointList list;
    list.addBlock(1, 0, block(600), 0, 750);
    ASSERT_EQ(list.points().size(), 15 * 500 + 500);
    EXPECT_EQ(list.points().points[7500].y(), displayScaleY(600));
    EXPECT_EQ(list.points().types[7500], kPointMove);
    EXPECT_EQ(list.points().types[0], kPointMove); // the gap joins nothing
    list.addBlock(0, 15, block(600), 0, 750);
    list.addBlock(-1, 0, block(600), 0, 750);
    EXPECT_EQ(list.points().size(), 8000);
    list.clear();
    EXPECT_TRUE(list.points().empty());
}
