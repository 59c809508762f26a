// Calipers on the large trace: what two markers measure, and the Shift-drag,
// stretch, zoom and Escape on the window.
#include "ui/widgets/CaliperStripView.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/SampleBlock.h"
#include "support/TestData.h"

#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

using namespace vantora;

namespace {

void drag(QWidget& w, Qt::MouseButton button, Qt::KeyboardModifiers keys, QPoint from, QPoint to) {
    QTest::mousePress(&w, button, keys, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), w.mapToGlobal(QPointF(to)), Qt::NoButton,
                     button, keys);
    QApplication::sendEvent(&w, &move);
    QTest::mouseRelease(&w, button, keys, to);
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

// The strip's gestures: Shift and the left button drag the calipers, the
// right button stretches the trace, the wheel turned up enlarges it, Escape
// clears the calipers; the tooltip says so.
TEST(CaliperStripView, ShiftDragMeasuresRightDragStretchesWheelUpEnlarges) {
    ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    CaliperStripView wnd;
    wnd.resize(765, 190); // 750 columns, about 0.3 per sample
    wnd.show();
    EXPECT_EQ(wnd.toolTip(), Langpack::text(ids::kDetailStripGestures));
    EXPECT_TRUE(wnd.toolTip().contains(QStringLiteral("Shift")));
    drag(wnd, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 90), QPoint(175, 60));
    EXPECT_FALSE(wnd.reading()); // nothing shown yet
    wnd.showRecording(ramp(), 1);
    ASSERT_EQ(wnd.columns(), 750);
    const QImage before = wnd.grab().toImage();

    // 75 columns at 0.3 per sample: 250 samples, one second.
    drag(wnd, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 90), QPoint(175, 60));
    ASSERT_TRUE(wnd.reading());
    EXPECT_DOUBLE_EQ(wnd.reading()->intervalMs, 1000);
    EXPECT_DOUBLE_EQ(*wnd.reading()->rateBpm, 60);
    EXPECT_NEAR(wnd.reading()->deltaMv, 25.0 / 175, 1e-12);
    EXPECT_TRUE(wnd.reading()->text().contains(QStringLiteral("1000 ms")));
    EXPECT_NE(wnd.grab().toImage(), before);
    EXPECT_EQ(wnd.strip().pan(), QPoint(0, 0)); // measuring does not pan

    // The right button dragged up stretches; the markers stay.
    drag(wnd, Qt::RightButton, Qt::NoModifier, QPoint(300, 120), QPoint(300, 80));
    EXPECT_NEAR(wnd.strip().scaleY(), 1.2, 1e-12);
    EXPECT_DOUBLE_EQ(wnd.strip().scaleX(), 1.0);
    EXPECT_DOUBLE_EQ(wnd.reading()->intervalMs, 1000);

    // Wheel up enlarges; the markers stay on their samples and move right.
    const int xBefore = Calipers::xOfColumn(wnd.strip(), wnd.calipers().second(), 765, 750);
    QWheelEvent wheel(QPointF(50, 50), wnd.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 600),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&wnd, &wheel);
    EXPECT_NEAR(wnd.strip().scaleX(), 1.1, 1e-12);
    EXPECT_DOUBLE_EQ(wnd.reading()->intervalMs, 1000);
    EXPECT_GT(Calipers::xOfColumn(wnd.strip(), wnd.calipers().second(), 765, 750), xBefore);
    const double column = Calipers::columnAt(wnd.strip(), QPoint(400, 10), 765, 750);
    EXPECT_NEAR(Calipers::xOfColumn(wnd.strip(), column, 765, 750), 400, 1);

    QTest::keyClick(&wnd, Qt::Key_Escape);
    EXPECT_FALSE(wnd.reading());
}

// A stretch chosen in the middle of the recording: the strip starts there
// and the calipers read the samples shown there.
TEST(CaliperStripView, StretchStartsWhereTheRowWasClicked) {
    ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
    CaliperStripView wnd;
    wnd.resize(765, 190);
    wnd.show();
    std::vector<int32_t> step(kSamplesPerRecording, 512); // 1 mV from sample 3790 on
    std::fill(step.begin() + 3790, step.end(), 512 + 175);
    wnd.showRecording(step, 1, 118, 236); // the middle of a 236 px row: sample 3750
    const DetailReduction& r = wnd.reduction();
    EXPECT_EQ(wnd.firstEntry(), r.firstEntry(765, 118, 236));
    EXPECT_NEAR(wnd.firstEntry() / r.ratio, 3750, 5);
    struct Case {
        int toX;   // Shift-drag from the strip's left edge (x = 15) to here
        double mv; // what the calipers read
    };
    for (const Case c : {Case{21, 0.0}, Case{45, 1.0}}) { // 20 and 100 samples on
        drag(wnd, Qt::LeftButton, Qt::ShiftModifier, QPoint(15, 90), QPoint(c.toX, 90));
        ASSERT_TRUE(wnd.reading()) << c.toX;
        EXPECT_NEAR(wnd.reading()->deltaMv, c.mv, 1e-12) << c.toX;
    }
    wnd.showStretch(0, 236); // back to the start: the step is out of reach
    EXPECT_FALSE(wnd.reading());
    EXPECT_EQ(wnd.firstEntry(), 0);
    drag(wnd, Qt::LeftButton, Qt::ShiftModifier, QPoint(15, 90), QPoint(45, 90));
    EXPECT_NEAR(wnd.reading()->deltaMv, 0.0, 1e-12);
}
