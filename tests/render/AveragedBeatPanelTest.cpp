#include "render/AveragedBeatPanel.h"

#include <gtest/gtest.h>

using namespace vantora;

namespace {

const QColor kLarge(0xE4, 0x80, 0x94);
const QColor kSmall(0xE4, 0xC6, 0xCA);
const QSize kPanel(265, 210);

AveragedBeat flatBeat() {
    AveragedBeat b;
    b.fill(512);
    return b;
}
ParameterBlock defaults() {
    return ParameterBlock{72, 113, 137, 212, 75, 0, 164, 96, 396, 420};
}

} // namespace

TEST(AveragedBeatPanel, GridCalibrationAndLegend) {
    AveragedBeatPanel panel;
    const QImage& grid = panel.picture(kPanel);
    EXPECT_EQ(grid.size(), kPanel);
    EXPECT_EQ(grid.pixelColor(70, 50), kLarge);  // vertical large line
    EXPECT_EQ(grid.pixelColor(77, 52), kSmall);  // vertical small line
    EXPECT_EQ(grid.pixelColor(100, 70), kLarge); // horizontal large line
    EXPECT_EQ(grid.pixelColor(101, 100), Qt::white);
    EXPECT_EQ(grid.pixelColor(255, 100), QColor(Qt::red)); // bracket at R - 10
    EXPECT_EQ(grid.pixelColor(252, 70), QColor(Qt::red));
    EXPECT_EQ(grid.pixelColor(252, 140), QColor(Qt::red));
    EXPECT_EQ(grid.pixelColor(50, 5), QColor(Qt::green)); // PR sample line
    EXPECT_EQ(grid.pixelColor(50, 17), QColor(Qt::red));  // QRS
    EXPECT_EQ(grid.pixelColor(50, 29), QColor(Qt::blue)); // QT
    EXPECT_FALSE(panel.layout().has_value());
}

TEST(AveragedBeatPanel, BeatSegmentsAndMarkers) {
    AveragedBeatPanel panel;
    AveragedBeat beat = flatBeat();
    beat[113] = 512 + 100;
    panel.setData(beat, defaults());
    const QImage image = panel.picture(kPanel);
    ASSERT_TRUE(panel.layout().has_value());
    EXPECT_EQ(image.pixelColor(30, 105), QColor(Qt::blue));   // trace on the zero line
    EXPECT_EQ(image.pixelColor(120, 145), QColor(Qt::red));   // QRS interval
    EXPECT_EQ(image.pixelColor(90, 145), QColor(Qt::green));  // PR interval
    EXPECT_EQ(image.pixelColor(160, 157), QColor(Qt::blue));  // QT interval
    EXPECT_EQ(image.pixelColor(137, 143), QColor(Qt::black)); // SE tick
    EXPECT_EQ(image.pixelColor(212, 155), QColor(Qt::black)); // TE tick
    // Grey marker 10 px above and below the beat at QB (y = 105 - 40 = 65).
    EXPECT_EQ(image.pixelColor(113, 57), QColor(0x7D, 0x7D, 0x7D));
    EXPECT_EQ(image.pixelColor(137, 113), QColor(0x7D, 0x7D, 0x7D));
}

TEST(AveragedBeatPanel, ClearingReturnsToTheGridAndNewDataLaysOutAgain) {
    AveragedBeatPanel panel;
    panel.setData(flatBeat(), defaults());
    const QImage withBeat = panel.picture(kPanel);
    panel.clear();
    EXPECT_FALSE(panel.hasData());
    const QImage grid = panel.picture(kPanel);
    EXPECT_EQ(grid.pixelColor(120, 145), Qt::white);
    EXPECT_NE(withBeat, grid);
    ParameterBlock p = defaults();
    p[1] = 100;
    panel.setData(flatBeat(), p);
    panel.picture(kPanel);
    EXPECT_EQ(panel.layout()->qrs.x1(), 101);
}

TEST(AveragedBeatPanel, ANewSizeDrawsTheGridAgain) {
    AveragedBeatPanel panel;
    panel.setData(flatBeat(), defaults());
    panel.picture(kPanel);
    const QImage wider = panel.picture(QSize(300, 210));
    EXPECT_EQ(wider.size(), QSize(300, 210));
    EXPECT_EQ(wider.pixelColor(290, 100), QColor(Qt::red)); // bracket at the new R - 10
    EXPECT_EQ(wider.pixelColor(255, 100), Qt::white);       // no bracket left at the old one
    EXPECT_EQ(wider.pixelColor(30, 105), QColor(Qt::blue)); // the beat drawn again on it
}
