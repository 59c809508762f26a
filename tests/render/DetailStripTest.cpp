#include "render/DetailStrip.h"

#include <gtest/gtest.h>

using namespace vantora;

namespace {

DetailStrip withSamples(int n, int32_t value = 512) {
    DetailStrip strip;
    for (int i = 0; i < n; ++i)
        strip.AppendSample(value);
    return strip;
}

} // namespace

TEST(DetailStrip, CapacityAndReset) {
    DetailStrip strip = withSamples(3005);
    EXPECT_EQ(strip.count(), 3000);
    strip.buttonDown(QPoint(0, 0));
    strip.wheel(-120);
    strip.Reset();
    EXPECT_EQ(strip.count(), 0);
    EXPECT_TRUE(strip.transform().isIdentity());
    EXPECT_DOUBLE_EQ(strip.scaleX(), 1.0);
}

TEST(DetailStrip, EmptyStripIgnoresTheMouse) {
    DetailStrip strip;
    EXPECT_FALSE(strip.wheel(120));
    strip.buttonDown(QPoint(5, 5));
    EXPECT_FALSE(strip.dragLeft(QPoint(50, 50)));
    EXPECT_TRUE(strip.transform().isIdentity());
}

TEST(DetailStrip, WheelZoomStopsAtTheLimits) {
    DetailStrip strip = withSamples(200);
    EXPECT_TRUE(strip.wheel(120)); // away from the user: smaller
    EXPECT_NEAR(strip.scaleX(), 0.98, 1e-12);
    for (int i = 0; i < 200; ++i)
        strip.wheel(120);
    EXPECT_GE(strip.scaleX(), 0.5);
    EXPECT_LT(strip.scaleX(), 0.52);
    EXPECT_FALSE(strip.wheel(120));
    for (int i = 0; i < 300; ++i)
        strip.wheel(-120);
    EXPECT_LE(strip.scaleY(), 3.0);
    EXPECT_GT(strip.scaleY(), 2.98);
    EXPECT_FALSE(strip.wheel(-120));
}

TEST(DetailStrip, ZoomKeepsTheLeftEdgeOfTheZeroLine) {
    DetailStrip strip = withSamples(200);
    strip.wheel(-240);
    EXPECT_EQ(strip.transform().map(QPointF(15, 95)), QPointF(15, 95));
    EXPECT_NE(strip.transform().map(QPointF(115, 95)), QPointF(115, 95));
}

TEST(DetailStrip, PanAndVerticalStretch) {
    DetailStrip strip = withSamples(200);
    strip.buttonDown(QPoint(100, 100));
    EXPECT_TRUE(strip.dragLeft(QPoint(110, 95)));
    EXPECT_EQ(strip.pan(), QPoint(10, -5));
    EXPECT_TRUE(strip.dragLeft(QPoint(120, 95)));
    EXPECT_EQ(strip.pan(), QPoint(20, -5));
    strip.buttonDown(QPoint(0, 100));
    EXPECT_TRUE(strip.dragRight(QPoint(0, 60))); // upward: taller
    EXPECT_NEAR(strip.scaleY(), 1.2, 1e-12);
    EXPECT_DOUBLE_EQ(strip.scaleX(), 1.0);
    EXPECT_FALSE(strip.dragRight(QPoint(0, 200))); // would fall below sx
    EXPECT_NEAR(strip.scaleY(), 1.2, 1e-12);
    strip.focusLost();
    EXPECT_EQ(strip.pan(), QPoint(0, 0));
    EXPECT_EQ(strip.transform().dx(), (1 - 1.0) * 15 + 20); // kept until the next change
}

TEST(DetailStrip, NoTraceBelow101Samples) {
    const QSize size(400, 190);
    const QImage few = withSamples(100, 512 + 175).render(size);
    const QImage enough = withSamples(101, 512 + 175).render(size);
    // Zero line at 95, +1 mV 30 px above.
    EXPECT_NE(few.pixelColor(200, 65), QColor(Qt::blue));
    EXPECT_EQ(enough.pixelColor(200, 65), QColor(Qt::blue));
    EXPECT_EQ(enough.pixelColor(5, 100), QColor(0xB4, 0xC8, 0xFF));
    EXPECT_EQ(enough.pixelColor(16, 100), QColor(0xFB, 0xFF, 0xE5));
    EXPECT_EQ(enough.pixelColor(10, 100), QColor(Qt::red)); // bracket of the middle row, y = 95
}
