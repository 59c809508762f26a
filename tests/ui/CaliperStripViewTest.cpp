// Calipers on the large trace: what two markers measure, and the right-button
// drag, zoom and Escape on the window.
#include "ui/widgets/CaliperStripView.h"

#include "core/Langpack.h"
#include "records/SampleBlock.h"
#include "support/TestData.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

using namespace vantora;

namespace {

void dragRight(QWidget& w, QPoint from, QPoint to) {
    QTest::mousePress(&w, Qt::RightButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), w.mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
    QTest::mouseRelease(&w, Qt::RightButton, {}, to);
}

// A ramp: sample i is 512 + i / 10, so every marker reads a known voltage.
std::vector<int32_t> ramp() {
    std::vector<int32_t> s(kSamplesPerRecording);
    for (int i = 0; i < kSamplesPerRecording; ++i)
        s[size_t(i)] = 512 + i / 10;
    return s;
}

} // namespace

TEST(Calipers, MeasureIntervalVoltageAndRate) {
    const std::vector<int32_t> s = ramp();
    struct Case {
        int a, b;
        double ms, mv;
        std::optional<double> bpm;
    };
    for (const Case c :
         {Case{1000, 1250, 1000, 25.0 / 175, 60}, Case{1250, 1000, 1000, -25.0 / 175, 60},
          Case{0, 100, 400, 10.0 / 175, 150}, Case{300, 300, 0, 0, std::nullopt},
          Case{7400, 9000, 396, 9.0 / 175, 60000.0 / 396}}) {
        const CaliperReading r = Calipers::measure(s, c.a, c.b);
        EXPECT_DOUBLE_EQ(r.intervalMs, c.ms) << c.a << " " << c.b;
        EXPECT_NEAR(r.deltaMv, c.mv, 1e-12) << c.a << " " << c.b;
        EXPECT_EQ(r.rateBpm.has_value(), c.bpm.has_value());
        if (r.rateBpm && c.bpm) {
            EXPECT_NEAR(*r.rateBpm, *c.bpm, 1e-9);
        }
    }
}

TEST(CaliperStripView, RightDragShowsMarkersThatFollowZoomAndEscapeClears) {
    ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    CaliperStripView wnd;
    wnd.resize(765, 190); // 750 columns: 10 samples each
    wnd.show();
    dragRight(wnd, QPoint(100, 90), QPoint(125, 60)); // nothing shown yet
    EXPECT_FALSE(wnd.reading());
    wnd.showRecording(ramp(), 1);
    ASSERT_EQ(wnd.columns(), 750);
    const QImage before = wnd.grab().toImage();

    dragRight(wnd, QPoint(100, 90), QPoint(125, 60)); // 25 columns: 250 samples
    ASSERT_TRUE(wnd.reading());
    EXPECT_DOUBLE_EQ(wnd.reading()->intervalMs, 1000);
    EXPECT_DOUBLE_EQ(*wnd.reading()->rateBpm, 60);
    EXPECT_NEAR(wnd.reading()->deltaMv, 25.0 / 175, 1e-12);
    EXPECT_TRUE(wnd.reading()->text().contains(QStringLiteral("1000 ms")));
    EXPECT_TRUE(wnd.reading()->text().contains(QStringLiteral("60 bpm")));
    EXPECT_NE(wnd.grab().toImage(), before);
    EXPECT_DOUBLE_EQ(wnd.strip().scaleY(), 1.0); // the right button no longer stretches

    // Zoomed in, the markers stay on their samples and move on the screen.
    const int xBefore = Calipers::xOfColumn(wnd.strip(), wnd.calipers().second(), 765, 750);
    QWheelEvent wheel(QPointF(50, 50), wnd.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -600),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&wnd, &wheel);
    EXPECT_DOUBLE_EQ(wnd.reading()->intervalMs, 1000);
    EXPECT_GT(Calipers::xOfColumn(wnd.strip(), wnd.calipers().second(), 765, 750), xBefore);
    // A column under a zoomed point maps back to where the marker is drawn.
    const double column = Calipers::columnAt(wnd.strip(), QPoint(400, 10), 765, 750);
    EXPECT_NEAR(Calipers::xOfColumn(wnd.strip(), column, 765, 750), 400, 1);

    QTest::keyClick(&wnd, Qt::Key_Escape);
    EXPECT_FALSE(wnd.reading());
}
