#include "ui/widgets/DetailStripView.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

void turnWheel(QWidget& w, int delta) {
    QWheelEvent event(QPointF(50, 50), w.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &event);
}

} // namespace

TEST(DetailStripView, WheelAndDragsReachTheStrip) {
    DetailStripView wnd;
    wnd.resize(600, 190);
    turnWheel(wnd, -120); // no samples: ignored
    EXPECT_DOUBLE_EQ(wnd.strip().scaleX(), 1.0);
    for (int i = 0; i < 200; ++i)
        wnd.strip().AppendSample(512 + (i % 20) * 5);
    turnWheel(wnd, 240); // up, away from the user: larger
    EXPECT_NEAR(wnd.strip().scaleX(), 1.04, 1e-12);
    turnWheel(wnd, -120);
    EXPECT_NEAR(wnd.strip().scaleX(), 1.02, 1e-12);
    turnWheel(wnd, 120);

    // At 1.04 the trace runs 23 px past the right edge: the drag scrolls that far.
    QTest::mousePress(&wnd, Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 90), wnd.mapToGlobal(QPointF(40, 90)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&wnd, &move);
    EXPECT_EQ(wnd.strip().pan(), QPoint(-23, -10));
    QTest::mouseRelease(&wnd, Qt::LeftButton, {}, QPoint(40, 90));

    // The trace is drawn blue (anti-aliased) through the transform.
    auto bluish = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.blue() > 200 && c.red() < 120 && c.green() < 120;
            }
        return n;
    };
    EXPECT_GT(bluish(wnd.grab().toImage()), 300);
    wnd.strip().Reset();
    EXPECT_EQ(bluish(wnd.grab().toImage()), 0);
}
