#include "render/DetailStrip.h"

#include <gtest/gtest.h>

#include <cstdlib>

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

// The wheel (up enlarges, 0.02 per notch, 0.5 ... 3.0) and the right-button
// stretch (0.005 per pixel dragged up, between the horizontal scale and 3.0).
TEST(DetailStrip, WheelAndRightDragAtTheirLimits) {
    struct Case {
        const char* name;
        int notchesBefore;    // wheel turned up (+) or down (-) first
        int dragFrom, dragTo; // right-button drag, y; equal: none
        int delta;            // then this wheel delta; 0: none
        bool accepted;        // the last gesture
        double sx, sy;
    };
    const Case cases[] = {
        {"up enlarges", 0, 0, 0, 120, true, 1.02, 1.02},
        {"down shrinks", 0, 0, 0, -120, true, 0.98, 0.98},
        {"half notch", 0, 0, 0, 60, true, 1.01, 1.01},
        {"at 3.0 up refused", 100, 0, 0, 120, false, 3.0, 3.0},
        {"at 3.0 down taken", 100, 0, 0, -120, true, 2.98, 2.98},
        {"at 0.5 down refused", -25, 0, 0, -120, false, 0.5, 0.5},
        {"at 0.5 up taken", -25, 0, 0, 120, true, 0.52, 0.52},
        {"drag up stretches", 0, 100, 60, 0, true, 1.0, 1.2},
        {"drag down below sx refused", 0, 100, 101, 0, false, 1.0, 1.0},
        {"zoomed: drag up stretches", 10, 100, 80, 0, true, 1.2, 1.3},
        {"drag past 3.0 refused", 0, 410, 0, 0, false, 1.0, 1.0},
        {"drag to 3.0 taken", 0, 400, 0, 0, true, 1.0, 3.0},
        {"stretched: wheel up refused past 3.0", 0, 400, 2, 120, false, 1.0, 2.99},
    };
    for (const Case& c : cases) {
        DetailStrip strip = withSamples(200);
        for (int i = 0; i < std::abs(c.notchesBefore); ++i)
            strip.wheel(c.notchesBefore > 0 ? 120 : -120);
        bool accepted = false;
        if (c.dragFrom != c.dragTo) {
            strip.buttonDown(QPoint(0, c.dragFrom));
            accepted = strip.dragRight(QPoint(0, c.dragTo));
        }
        if (c.delta != 0)
            accepted = strip.wheel(c.delta);
        EXPECT_EQ(accepted, c.accepted) << c.name;
        EXPECT_NEAR(strip.scaleX(), c.sx, 1e-9) << c.name;
        EXPECT_NEAR(strip.scaleY(), c.sy, 1e-9) << c.name;
    }
}

// Once the strip knows its window, zoom and pan keep a trace that fits inside
// it and let a larger one scroll only as far as its own edges.
TEST(DetailStrip, ZoomAndPanKeepThePeaksInView) {
    const QSize view(600, 190);
    struct Case {
        const char* name;
        int32_t peak, trough; // the trace alternates between them
        int notches;          // wheel turned up
        int panY;             // then a left drag by this much
        bool fits;
    };
    const Case cases[] = {
        {"2 mV peaks at 1.5", 512 + 350, 512 - 50, 25, 0, true},
        {"2 mV peaks at 1.5, dragged off the top", 512 + 350, 512 - 50, 25, -500, true},
        {"2 mV peaks at 1.5, dragged off the bottom", 512 + 350, 512 - 50, 25, 500, true},
        {"full range at 3.0", 1023, 0, 100, 0, false},
        {"full range at 3.0, scrolled down to the peaks", 1023, 0, 100, 2000, false},
        {"full range at 3.0, scrolled up to the troughs", 1023, 0, 100, -2000, false},
    };
    for (const Case& c : cases) {
        DetailStrip strip;
        strip.setViewSize(view);
        for (int i = 0; i < 200; ++i)
            strip.AppendSample(i % 2 ? c.peak : c.trough);
        for (int i = 0; i < c.notches; ++i)
            strip.wheel(120);
        strip.buttonDown(QPoint(300, 300));
        strip.dragLeft(QPoint(300, 300 + c.panY));
        // The strip's y of a sample (truncated), through its transform.
        const auto shownY = [&strip](int32_t sample) {
            const int y = int((512 - sample) * (30.0 / 175) + 95);
            return strip.transform().map(QPointF(15, y)).y();
        };
        const double top = shownY(c.peak);
        const double bottom = shownY(c.trough);
        const int last = view.height() - 1;
        if (c.fits) { // inside, give or take the pan's whole pixel
            EXPECT_GE(top, -1) << c.name;
            EXPECT_LE(bottom, last + 1) << c.name;
        } else { // covering the view, scrolled at most to an edge
            EXPECT_LE(top, 1) << c.name;
            EXPECT_GE(bottom, last - 1) << c.name;
        }
        // Wheel zoom alone keeps the left edge: no sideways pan at full width.
        EXPECT_GE(strip.transform().map(QPointF(15, 0)).x(), 15 - 1) << c.name;
    }
}

TEST(DetailStrip, ZoomKeepsTheLeftEdgeOfTheZeroLine) {
    DetailStrip strip = withSamples(200);
    strip.wheel(240);
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
