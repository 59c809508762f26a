#include "render/ReplayRowImage.h"
#include "render/StripPointBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vantora;

TEST(ReplayRowImage, GridBandTraceAndBackground) {
    const std::vector<int32_t> samples(7500, 512);
    const QImage image = ReplayRowImage::render(750, buildReplayRowPoints(samples, 0, 750));
    EXPECT_EQ(image.size(), QSize(750, 39));
    EXPECT_EQ(image.pixelColor(7, 5), QColor(0xE4, 0x80, 0x94));
    EXPECT_EQ(image.pixelColor(7, 20), QColor(0xE4, 0x80, 0x94));
    EXPECT_EQ(image.pixelColor(7, 23), QColor(0xE4, 0xC6, 0xCA));
    EXPECT_EQ(image.pixelColor(100, 27), QColor(Qt::blue)); // zero line at y = 27
    EXPECT_EQ(image.pixelColor(100, 36), QColor(0xB4, 0xC8, 0xFF));
    EXPECT_EQ(image.pixelColor(75, 2), QColor(0xE4, 0x80, 0x94)); // fifth column from y = 1
    EXPECT_EQ(image.pixelColor(90, 2), Qt::white);
}

TEST(ReplayRowImage, SelectionMarkMovesLeftAtTheEnd) {
    QImage image = ReplayRowImage::render(750, StripPointList{});
    ReplayRowImage::drawSelectionMark(image, 740, 100);
    EXPECT_EQ(image.pixelColor(648, 15), QColor(Qt::green));
    EXPECT_NE(image.pixelColor(740, 15), QColor(Qt::green));
    EXPECT_EQ(ReplayRowImage::selectionMarkWidth(750, 812, 797.0 / 2656), 750 * 797 / 2250);
}
