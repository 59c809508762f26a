// The trend page in the real frame on the demo's Continuous patient: loaded
// in the background into what loadTrend gives, the ST episode shaded in its
// plot, zoom and pan by keys, Enter opening the recording on the analysis
// page, the limits kept in the settings, and the analysis page's button.
#include "ui/pages/TrendPage.h"
#include "analysis/TrendBatch.h"
#include "render/TrendPlot.h"
#include "support/CliRunner.h"
#include "support/PageFixture.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/AnalysisPage.h"
#include "ui/widgets/TrendView.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

using namespace vantora;

namespace {

constexpr int kLoadWaitMs = 60000; // a generous bound for a loaded machine, not a measure

class TrendPageTest : public test::PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        ASSERT_EQ(test::runCli({"demo", "--data", root_.path()}).exitCode, 0);
        state_.recordingMode = RecordingMode::Continuous;
        state_.currentPatient = 2; // 1002, the demo's long Continuous patient
        PageRegistry pages;
        pages.add(page::kTrend, [](PageHost& f) { return new TrendPage(f); });
        pages.add(page::kAnalysis, [](PageHost& f) { return new AnalysisPage(f); });
        frame_ = std::make_unique<MainFrame>(state_, pages);
        ASSERT_TRUE(frame_->OnCreate());
        frame_->show();
    }
    TrendPage* openTrend() {
        auto* page = static_cast<TrendPage*>(frame_->ShowPage(page::kTrend));
        EXPECT_TRUE(page);
        if (page) {
            EXPECT_TRUE(QTest::qWaitFor([page] { return !page->loading(); }, kLoadWaitMs));
        }
        return page;
    }
};

// How far a pixel is from a colour, the largest channel difference.
int colourDistance(QRgb a, const QColor& b) {
    return std::max({std::abs(qRed(a) - b.red()), std::abs(qGreen(a) - b.green()),
                     std::abs(qBlue(a) - b.blue())});
}

} // namespace

TEST_F(TrendPageTest, ShowsTheStoreShadedAndWorksByKeys) {
    TrendPage* page = openTrend();
    ASSERT_TRUE(page);
    const TrendPageModel& m = page->model();
    const Result<TrendSeries> loaded = loadTrend(root_.path(), QStringLiteral("1002"));
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(m.series().points, loaded.value().points);
    EXPECT_EQ(page->patientChooser()->currentData().toString(), QStringLiteral("1002"));
    EXPECT_FALSE(page->progressBar()->isVisible());
    EXPECT_EQ(page->summaryField()->text(), trendSummaryText(m));
    EXPECT_TRUE(frame_->isCommandEnabled(ids::kCmdPrint)) << "the trend prints";

    // The ST episode's period is shaded in the ST plot: the shade over the
    // plot's paper, probed just under the plot's top edge.
    ASSERT_FALSE(m.periods(TrendLimit::St).empty());
    const TrendPeriod episode = *std::max_element(
        m.periods(TrendLimit::St).begin(), m.periods(TrendLimit::St).end(),
        [](const TrendPeriod& a, const TrendPeriod& b) { return a.length() < b.length(); });
    const QImage shown = page->view()->grab().toImage();
    const QRectF stPlot = page->view()->plotLayout().plots[size_t(TrendValue::St)];
    const QColor paper(0xFB, 0xFF, 0xE5), shade(0xFF, 0xB4, 0x28);
    const double a = 80.0 / 255.0;
    const QColor blended(int(paper.red() * (1 - a) + shade.red() * a),
                         int(paper.green() * (1 - a) + shade.green() * a),
                         int(paper.blue() * (1 - a) + shade.blue() * a));
    int shaded = 0;
    const double dpr = shown.devicePixelRatio();
    for (int k = 1; k <= 5; ++k) {
        const double x = page->view()->xAt(episode.start + episode.length() * k / 6);
        const QRgb px = shown.pixel(int(x * dpr), int((stPlot.top() + 3) * dpr));
        shaded += colourDistance(px, blended) <= 4;
    }
    EXPECT_GE(shaded, 4) << "of 5 probes inside the episode";

    // Keys: each step against the view and cursor before it.
    TrendView* view = page->view();
    view->setFocus();
    const TrendPeriod all = m.covered();
    struct Step {
        const char* name;
        int key;
        Qt::KeyboardModifiers mods;
        std::function<void(const TrendPeriod& before, qint64 cursorBefore)> check;
    };
    const Step steps[] = {
        {"End", Qt::Key_End, Qt::NoModifier,
         [&](const TrendPeriod&, qint64) {
             EXPECT_EQ(m.view().end, all.end);
             EXPECT_EQ(m.cursorIndex(), int(m.series().points.size()) - 1);
         }},
        {"+ halves the span at the cursor", Qt::Key_Plus, Qt::NoModifier,
         [&](const TrendPeriod& before, qint64) {
             EXPECT_NEAR(double(m.view().length()), before.length() / 2.0, 1.0);
             EXPECT_EQ(m.view().end, all.end);
         }},
        {"+ again", Qt::Key_Plus, Qt::NoModifier,
         [&](const TrendPeriod& before, qint64) {
             EXPECT_NEAR(double(m.view().length()), before.length() / 2.0, 1.0);
         }},
        {"Home", Qt::Key_Home, Qt::NoModifier,
         [&](const TrendPeriod& before, qint64) {
             EXPECT_EQ(m.view().start, all.start);
             EXPECT_EQ(m.view().length(), before.length());
             EXPECT_EQ(m.cursorIndex(), 0);
         }},
        {"Right: a tenth later, cursor in the middle", Qt::Key_Right, Qt::NoModifier,
         [&](const TrendPeriod& before, qint64) {
             EXPECT_EQ(m.view().start, before.start + before.length() / 10);
             EXPECT_EQ(*m.cursor(), m.view().start + m.view().length() / 2);
         }},
        {"Ctrl+Right: half a view later", Qt::Key_Right, Qt::ControlModifier,
         [&](const TrendPeriod& before, qint64) {
             EXPECT_EQ(m.view().start, before.start + before.length() / 2);
         }},
        {"Left", Qt::Key_Left, Qt::NoModifier,
         [&](const TrendPeriod& before, qint64) {
             EXPECT_EQ(m.view().start, before.start - before.length() / 10);
         }},
        {"- doubles the span around the cursor", Qt::Key_Minus, Qt::NoModifier,
         [&](const TrendPeriod& before, qint64 cursor) {
             EXPECT_NEAR(double(m.view().length()), before.length() * 2.0, 1.0);
             EXPECT_NEAR(double(cursor - m.view().start) / m.view().length(),
                         double(cursor - before.start) / before.length(), 1e-6);
         }},
    };
    for (const Step& s : steps) {
        const TrendPeriod before = m.view();
        const qint64 cursor = m.cursor().value_or(0);
        // + and - go as the characters typed; QTest has no key code for them.
        if (s.key == Qt::Key_Plus || s.key == Qt::Key_Minus)
            QTest::keyClick(view, s.key == Qt::Key_Plus ? '+' : '-', s.mods);
        else
            QTest::keyClick(view, Qt::Key(s.key), s.mods);
        SCOPED_TRACE(s.name);
        s.check(before, cursor);
        EXPECT_EQ(page->cursorField()->text(), trendCursorText(m));
    }

    // Enter opens the cursor's recording on the analysis page.
    const int number = m.cursorPoint()->number;
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_EQ(frame_->activePageClass(), page::kAnalysis);
    auto* analysis = static_cast<AnalysisPage*>(frame_->activeView());
    ASSERT_TRUE(analysis->treeModel().selectedRecording());
    EXPECT_EQ(analysis->treeModel().selectedRecording()->number, number);
    EXPECT_EQ(analysis->treeModel().selectedPatient()->id, QStringLiteral("1002"));

    // Its Trend button leads back to the same patient.
    ASSERT_TRUE(analysis->trendButton()->isVisible());
    QTest::mouseClick(analysis->trendButton(), Qt::LeftButton);
    ASSERT_EQ(frame_->activePageClass(), page::kTrend);
    auto* again = static_cast<TrendPage*>(frame_->activeView());
    EXPECT_EQ(again->patientChooser()->currentData().toString(), QStringLiteral("1002"));
}

TEST_F(TrendPageTest, LimitsShadeAndAreKept) {
    TrendPage* page = openTrend();
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->model().periods(TrendLimit::SlowRate).empty()) << "no rate below 50";
    const QString before = page->summaryField()->text();
    // Every demo rate is below 150: all of the analysed time becomes slow.
    page->rateBelowField()->setFocus();
    page->rateBelowField()->selectAll();
    QTest::keyClicks(page->rateBelowField(), QStringLiteral("150"));
    QTest::keyClick(page->rateBelowField(), Qt::Key_Tab);
    EXPECT_EQ(page->model().thresholds().rateBelow, 150);
    EXPECT_FALSE(page->model().periods(TrendLimit::SlowRate).empty());
    EXPECT_NE(page->summaryField()->text(), before);
    EXPECT_EQ(page->summaryField()->text(), trendSummaryText(page->model()));
    EXPECT_EQ(AppSettings().int32("TrendRateBelow"), 150);

    // A page built afresh starts from the kept limits.
    frame_->ShowPage(page::kAnalysis);
    auto* next = openTrend();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->model().thresholds().rateBelow, 150);
    EXPECT_EQ(next->rateBelowField()->value(), 150);
}

TEST_F(TrendPageTest, WheelZoomsAtThePointerAndAClickOpensTheRecording) {
    TrendPage* page = openTrend();
    ASSERT_TRUE(page);
    TrendView* view = page->view();
    const TrendPageModel& m = page->model();
    const TrendPoint& tenth = m.series().points.at(9);
    const qint64 middle = TrendPageModel::msOf(tenth.start) + 15'000;
    const QPointF at(view->xAt(middle), view->height() / 2.0);
    const TrendPeriod before = m.view();
    // Two notches in: the span halves and the instant under the pointer stays there.
    QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &wheel);
    EXPECT_NEAR(double(m.view().length()), before.length() / 2.0, before.length() * 1e-4);
    EXPECT_NEAR(view->xAt(middle), at.x(), 1.0);

    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(int(view->xAt(middle)), int(at.y())));
    ASSERT_EQ(frame_->activePageClass(), page::kAnalysis);
    const auto* analysis = static_cast<AnalysisPage*>(frame_->activeView());
    ASSERT_TRUE(analysis->treeModel().selectedRecording());
    EXPECT_EQ(analysis->treeModel().selectedRecording()->number, tenth.number);
}
