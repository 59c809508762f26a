// Pixel probes of the painted monitor: paper, major and minor grid, the trace
// and the sweep's erase bar, and the calibration mark.
#include "render/LiveTracePainter.h"
#include "device/LiveTrace.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::live_paint;

namespace {

QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

QImage painted(const LiveTrace& trace, int width = 700, int height = 360) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    paintTrace(image, trace);
    return image;
}

int countOf(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour ? 1 : 0;
    return n;
}

} // namespace

TEST(LiveTracePainterTest, GridColoursAndAFreshTraceDrawsNothing) {
    LiveTrace fresh;
    fresh.rebuild();
    const QImage image = painted(fresh);
    const struct {
        int x, y;
        QColor colour;
    } probes[] = {
        {1, 1, kPaper},     {1, 10, kMajorGrid},  {1, 13, kMinorGrid},  {1, 22, kMinorGrid},
        {1, 24, kPaper},    {1, 25, kMajorGrid},  {15, 5, kPaper},      {75, 5, kMajorGrid},
        {0, 0, kMajorGrid}, {18, 20, kMinorGrid}, {15, 13, kMajorGrid}, {16, 11, kPaper},
        {698, 11, kPaper},  {1, 355, kMajorGrid}, {1, 358, kMinorGrid}, {4, 359, kPaper},
    };
    for (const auto& p : probes)
        EXPECT_EQ(at(image, p.x, p.y), p.colour) << p.x << "," << p.y;
    EXPECT_EQ(countOf(image, kTrace), 0);
}

// All samples at 1023 (row 141), then 300 more: the ring's write position is
// 300, so points 0 ... 89 are drawn, 90 ... 99 are the gap, 100 on drawn.
TEST(LiveTracePainterTest, TraceWithItsSweepGap) {
    LiveTrace trace;
    for (int i = 0; i < LiveTrace::kSamples + 300; ++i)
        trace.push(1023);
    trace.rebuild();
    const QImage image = painted(trace);
    const int row = LiveTrace::yOf(1023);
    for (int x : {1, 50, 90, 101, 200, 675})
        EXPECT_EQ(at(image, x, row), kTrace) << x;
    for (int x = 91; x <= 100; ++x)
        EXPECT_NE(at(image, x, row), kTrace) << x;
    EXPECT_EQ(at(image, 95, row), kPaper);
    EXPECT_EQ(at(image, 680, row), kPaper);
    EXPECT_EQ(countOf(image, kTrace), 90 + 575);
    // The grid copied from its cached image gives the same picture; a cache
    // of another size is not used.
    for (const QSize gridSize : {QSize(700, 360), QSize(690, 360)}) {
        QImage cached(700, 360, QImage::Format_RGB32);
        cached.fill(Qt::black);
        const QImage grid = gridImage(gridSize.width(), gridSize.height());
        paintTrace(cached, trace, &grid);
        EXPECT_EQ(cached, image) << gridSize.width();
    }
}

TEST(LiveTracePainterTest, CalibrationMarkLeftOfTheTrace) {
    QImage page(100, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        paintCalibrationMark(p, QRect(20, 10, 60, 280));
    }
    for (int y : {230, 245, 260})
        EXPECT_EQ(at(page, 16, y), kCalibration) << y;
    for (int x : {16, 18, 20}) {
        EXPECT_EQ(at(page, x, 230), kCalibration) << x;
        EXPECT_EQ(at(page, x, 260), kCalibration) << x;
    }
    EXPECT_EQ(at(page, 18, 245), QColor(Qt::white));
    EXPECT_EQ(at(page, 16, 229), QColor(Qt::white));
    EXPECT_EQ(at(page, 16, 261), QColor(Qt::white));
    EXPECT_EQ(countOf(page, kCalibration), 31 + 2 * 4);
}
