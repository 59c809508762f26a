// The station on the screen it runs on (the offscreen platform given one
// screen by the test's configuration, at scale factor 1, 1.5 or 2): the
// window lies wholly on the screen, and on every page the toolbar buttons
// and the page's controls are in sight without scrolling the page; on a
// scale-2 screen the trace views draw at the screen's resolution instead of
// magnifying a picture of half that. The frame's dialogs fit the same screen.
#include "app/ShellTestSupport.h"
#include "app/StationPages.h"
#include "core/AppSettings.h"
#include "core/AppState.h"
#include "core/WindowPlacement.h"
#include "ui/dialogs/ArchiveStudiesDialog.h"
#include "ui/dialogs/DicomSettingsDialog.h"
#include "ui/dialogs/InfoDialog.h"
#include "ui/dialogs/PatientEditDialog.h"
#include "ui/dialogs/PatientManagerDialog.h"
#include "ui/dialogs/PatientPickerDialog.h"
#include "ui/dialogs/WorklistDialog.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/Page.h"
#include "ui/widgets/AnalysisRowList.h"
#include "ui/widgets/AveragedBeatView.h"
#include "ui/widgets/CaliperStripView.h"
#include "ui/widgets/LiveTraceView.h"
#include "ui/widgets/RecordPreview.h"
#include "ui/widgets/TrendView.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>

namespace vantora::test {
namespace {

// Aligned 2 x 2 device-pixel blocks that are not one colour: none in a
// picture magnified from half the resolution.
int blocksWithDetail(const QImage& image) {
    int count = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb c = image.pixel(x, y);
            count += image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c ||
                     image.pixel(x + 1, y + 1) != c;
        }
    return count;
}

bool isControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QAbstractItemView*>(w);
}

class ScreenFitTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        state_.dataRoot = root_.path();
        state_.dataFolderChecked = true;
    }
    // The station's frame with every page, shown on the configured screen.
    std::unique_ptr<MainFrame> shownFrame() {
        auto frame = std::make_unique<MainFrame>(state_, stationPages());
        EXPECT_TRUE(frame->OnCreate());
        frame->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        return frame;
    }
    AppState state_;
};

// Every visible control under `holder` lies inside `window`.
void expectControlsInside(const QWidget& window, const QWidget& holder) {
    for (const QWidget* w : holder.findChildren<QWidget*>()) {
        if (isControl(w) && w->isVisible()) {
            EXPECT_TRUE(window.rect().contains(QRect(w->mapTo(&window, QPoint()), w->size())))
                << w->metaObject()->className() << " " << w->accessibleName().toStdString();
        }
    }
}

struct PageCase {
    int pageId;
    RecordingMode mode;
    QList<QWidget*> (*traceViews)(Page&);
};

template <class... Views> QList<QWidget*> viewsOf(Page& page) {
    return {page.findChild<Views*>()...};
}

TEST_F(ScreenFitTest, EveryPageFitsTheScreenItIsOn) {
    const auto shown = shownFrame();
    MainFrame& frame = *shown;
    const QRect screen = frame.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(frame.frameGeometry()))
        << "window " << frame.frameGeometry().x() << "," << frame.frameGeometry().y() << " "
        << frame.frameGeometry().width() << "x" << frame.frameGeometry().height();
    const qreal ratio = frame.devicePixelRatioF();
    const PageCase pages[] = {
        {page::kHome, RecordingMode::None, viewsOf<>},
        {page::kRealTime, RecordingMode::None, viewsOf<LiveTraceView>},
        {page::kSnapData, RecordingMode::Snap, viewsOf<>},
        {page::kRecordManagement, RecordingMode::Snap, viewsOf<RecordPreview>},
        {page::kReplay, RecordingMode::Continuous, viewsOf<CaliperStripView>},
        {page::kAnalysis, RecordingMode::Snap, viewsOf<AnalysisRowList, AveragedBeatView>},
        {page::kTrend, RecordingMode::Continuous, viewsOf<TrendView>},
    };
    for (const PageCase& c : pages) {
        SCOPED_TRACE(c.pageId);
        state_.recordingMode = c.mode;
        Page* page = frame.ShowPage(c.pageId);
        ASSERT_NE(page, nullptr);
        QApplication::processEvents();
        const auto* host = qobject_cast<QScrollArea*>(frame.centralWidget());
        ASSERT_NE(host, nullptr);
        EXPECT_FALSE(host->verticalScrollBar()->isVisible()) << "the page is cut at the bottom";
        EXPECT_FALSE(host->horizontalScrollBar()->isVisible()) << "the page is cut at the side";
        for (QToolBar* bar : {frame.toolbarMain(), frame.toolbarRecords(), frame.toolbarTools()})
            for (QAction* a : bar->actions())
                EXPECT_TRUE(bar->widgetForAction(a)->isVisible()) << a->text().toStdString();
        expectControlsInside(frame, *page);
        for (QWidget* view : c.traceViews(*page)) {
            ASSERT_NE(view, nullptr);
            const QImage shot = view->grab().toImage();
            EXPECT_EQ(shot.size(), view->size() * ratio) << view->metaObject()->className();
            if (ratio == 2) {
                EXPECT_GT(blocksWithDetail(shot), 0)
                    << view->metaObject()->className() << " is magnified, not drawn sharp";
            }
        }
    }
}

// The frame's dialogs open whole on the frame's screen, their controls inside.
TEST_F(ScreenFitTest, DialogsFitTheScreenTheFrameIsOn) {
    const auto shown = shownFrame();
    MainFrame& frame = *shown;
    const QRect screen = frame.screen()->availableGeometry();
    PatientManagerDialog manager(state_, frame.prompter(), &frame);
    PatientPickerDialog picker(state_.dataRoot, frame.prompter(), &frame);
    PatientEditDialog edit(PatientEditDialog::Mode::Add, frame.prompter(), &frame);
    InfoDialog info(&frame);
    DicomSettingsDialog dicom(frame.prompter(), &frame);
    WorklistDialog worklist(state_, frame.prompter(), &frame);
    ArchiveStudiesDialog studies(state_.dataRoot, QStringLiteral("1001"), &frame);
    for (QDialog* dialog : std::initializer_list<QDialog*>{&manager, &picker, &edit, &info, &dicom,
                                                           &worklist, &studies}) {
        SCOPED_TRACE(dialog->metaObject()->className());
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_TRUE(screen.contains(dialog->frameGeometry()));
        expectControlsInside(*dialog, *dialog);
        dialog->hide();
    }
}

TEST_F(ScreenFitTest, ReopensWhereItWasClosedUnlessThatScreenIsGone) {
    QRect closedAt;
    QRect screen;
    {
        const auto shown = shownFrame();
        MainFrame& frame = *shown;
        screen = frame.screen()->availableGeometry();
        frame.setGeometry(QRect(screen.topLeft() + QPoint(20, 40), QSize(700, 450)));
        QApplication::processEvents();
        closedAt = frame.geometry();
        ASSERT_TRUE(frame.close());
    }
    {
        MainFrame again(state_, stationPages());
        ASSERT_TRUE(again.OnCreate());
        EXPECT_EQ(again.geometry(), closedAt);
        EXPECT_FALSE(again.windowState() & Qt::WindowMaximized);
    }
    // Closed on a monitor right of this one that is no longer there.
    AppSettings settings;
    ASSERT_TRUE(saveWindowGeometry(settings, {QRect(screen.right() + 400, 60, 800, 480), true}));
    MainFrame moved(state_, stationPages());
    ASSERT_TRUE(moved.OnCreate());
    EXPECT_TRUE(moved.windowState() & Qt::WindowMaximized);
    moved.showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&moved));
    EXPECT_TRUE(screen.contains(moved.frameGeometry()));
    EXPECT_EQ(moved.size(), QSize(800, 480));
}

} // namespace
} // namespace vantora::test
