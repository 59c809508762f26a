// The print preview in the frame: opened by 32782 from the analysis page in
// place of the page, dropped files ignored while it shows, printing from it
// and closing back to the same page; stepping through record reports by key
// and click, each sheet drawn exactly as the report in the preview colours,
// and the one-or-two-sheet choice carried to the next preview.
#include "ui/pages/PrintPreviewView.h"
#include "core/AppSettings.h"
#include "core/StringIds.h"
#include "render/ReportSources.h"
#include "support/PreviewSheets.h"
#include "ui/AnalysisPageFixture.h"
#include "ui/dialogs/ExportFileDialog.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>

#include <cmath>

using namespace vantora;

namespace {

const QSizeF kA4Landscape(297, 210);

class PrintPreviewViewTest : public test::AnalysisPageFixture {
protected:
    void SetUp() override {
        AnalysisPageFixture::SetUp();
        AppSettings::setStoreFile(settings_.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override {
        AppSettings::setStoreFile(QString());
        AnalysisPageFixture::TearDown();
    }

    PrintPreviewView* preview() const {
        return qobject_cast<PrintPreviewView*>(frame_->previewView());
    }

    // The analysis page with its recording selected and analysed.
    AnalysisPage* analysed() {
        AnalysisPage* view = open(QStringLiteral("Berg"));
        test::selectRow(view->tree(), 0, 0);
        EXPECT_TRUE(view->model().analysisValid());
        frame_->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame_.get()));
        return view;
    }

    // Three record reports of one patient, numbered 1 to 3.
    static std::shared_ptr<RecordReportSet> threeReports() {
        auto set = std::make_shared<RecordReportSet>();
        set->patient.id = QStringLiteral("P3");
        set->patient.name = QStringLiteral("Nora Quist");
        for (int k = 0; k < 3; ++k) {
            RecordReportItem item;
            for (int i = 0; i < 7500; ++i)
                item.samples.push_back(512 + int(150 * std::sin(i * (k + 1) / 40.0)));
            item.number = k + 1;
            set->items.push_back(std::move(item));
        }
        return set;
    }

    // Each shown sheet, inside its frame, against the report drawn directly.
    // Each shown sheet against its report drawn directly.
    void expectSheetsAre(const std::shared_ptr<RecordReportSet>& set, bool previewColours) {
        for (int k = 0; k < preview()->sheetRects().size(); ++k) {
            const int page = preview()->model().current() + k;
            const auto report = MakeRecordReportPage(*set, page, reportSheetUnits(kA4Landscape));
            EXPECT_EQ(test::sheetShows(*preview(), k, *report, previewColours), previewColours)
                << "sheet " << k << " page " << page;
        }
    }

    QTemporaryDir settings_;
};

} // namespace

TEST_F(PrintPreviewViewTest, OpensFromTheAnalysisPageAndClosesBackToIt) {
    AnalysisPage* page = analysed();
    const QString notRecording = out_.filePath(QStringLiteral("note.txt"));
    test::writeAll(notRecording, QByteArray("text"));

    ASSERT_TRUE(frame_->isCommandEnabled(ids::kCmdPreview));
    frame_->runCommand(ids::kCmdPreview);
    QPointer<PrintPreviewView> shown = preview();
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(page->isVisible());
    EXPECT_FALSE(frame_->toolbarTools()->isVisible());
    EXPECT_EQ(frame_->activeView(), page);
    EXPECT_EQ(shown->model().pageCount(), 1);
    for (int command : {ids::kCmdPreviewNext, ids::kCmdPreviewPrevious, ids::kCmdPreviewSheets,
                        ids::kCmdPreviewZoomOut})
        EXPECT_FALSE(shown->action(command)->isEnabled()) << command;

    frame_->dropFiles({QUrl::fromLocalFile(notRecording)}); // ignored while previewing
    EXPECT_TRUE(messages_.isEmpty());

    // The report is on the sheet: its inside is not blank.
    const QImage grab = shown->sheetArea()->viewport()->grab().toImage();
    const QRect sheet = shown->sheetRects().first().adjusted(3, 3, -3, -3);
    int inked = 0;
    for (int y = sheet.top(); y <= sheet.bottom(); y += 2)
        for (int x = sheet.left(); x <= sheet.right(); x += 2)
            inked += grab.pixelColor(x, y) != Qt::white;
    EXPECT_GT(inked, sheet.width() * sheet.height() / 400);

    // Print from the preview: the preview closes and the page prints.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out_.filePath(QStringLiteral("from-preview.pdf")));
    page->setPrinter(&printer);
    QTest::keyClick(shown->sheetArea(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(frame_->previewView(), nullptr);
    EXPECT_TRUE(QFile::exists(printer.outputFileName()));
    EXPECT_TRUE(page->isVisible());
    EXPECT_TRUE(frame_->toolbarTools()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(shown);

    // Again, closed by Esc; then drops are taken again.
    frame_->runCommand(ids::kCmdPreview);
    ASSERT_TRUE(preview());
    QTest::keyClick(preview()->sheetArea(), Qt::Key_Escape);
    EXPECT_EQ(frame_->previewView(), nullptr);
    EXPECT_EQ(frame_->activeView(), page);
    EXPECT_TRUE(page->isVisible());
    frame_->dropFiles({QUrl::fromLocalFile(notRecording)});
    EXPECT_EQ(messages_.size(), 1);

    // A page switch closes the preview first.
    frame_->runCommand(ids::kCmdPreview);
    ASSERT_TRUE(preview());
    Page* next = frame_->ShowPage(page::kAnalysis);
    EXPECT_EQ(frame_->previewView(), nullptr);
    EXPECT_TRUE(frame_->toolbarTools()->isVisible());
    EXPECT_TRUE(next->isVisible());
}

TEST_F(PrintPreviewViewTest, StepsThroughTheReportsByKeyAndClick) {
    analysed();
    const auto set = threeReports();
    const auto build = [set](int k, const QSize& units) {
        return MakeRecordReportPage(*set, k, units);
    };
    PrintPreviewView::open(*frame_, 3, build, kA4Landscape);
    QWidget* area = preview()->sheetArea();
    QWidget* sheets = preview()->sheetArea()->viewport();
    EXPECT_EQ(preview()->model().sheetsShown(), 1);
    expectSheetsAre(set, true);
    expectSheetsAre(set, false); // printer colours differ

    const struct {
        Qt::Key key;
        int current, zoom;
    } keys[] = {{Qt::Key_PageDown, 1, 0}, {Qt::Key_PageDown, 2, 0}, {Qt::Key_PageDown, 2, 0},
                {Qt::Key_PageUp, 1, 0},   {Qt::Key_Plus, 1, 1},     {Qt::Key_Plus, 1, 2},
                {Qt::Key_Plus, 1, 2},     {Qt::Key_Minus, 1, 1},    {Qt::Key_Minus, 1, 0}};
    for (const auto& k : keys) {
        QTest::keyClick(area, k.key);
        EXPECT_EQ(preview()->model().current(), k.current) << k.key;
        EXPECT_EQ(preview()->model().zoom(), k.zoom) << k.key;
        for (int command : {ids::kCmdPreviewNext, ids::kCmdPreviewPrevious, ids::kCmdPreviewSheets,
                            ids::kCmdPreviewZoomIn, ids::kCmdPreviewZoomOut})
            EXPECT_EQ(preview()->action(command)->isEnabled(), preview()->model().enabled(command))
                << command;
    }
    expectSheetsAre(set, true);
    // At whole sheets the vertical scroll bar moves through the pages.
    QScrollBar* pages = preview()->sheetArea()->verticalScrollBar();
    EXPECT_EQ(pages->maximum(), 2);
    pages->setValue(0);
    EXPECT_EQ(preview()->model().current(), 0);
    EXPECT_FALSE(preview()->action(ids::kCmdPreviewPrevious)->isEnabled());
    // So does the wheel, a page a notch: towards the user is the next page.
    QWheelEvent wheel(QPointF(40, 40), sheets->mapToGlobal(QPointF(40, 40)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(sheets, &wheel);
    EXPECT_EQ(preview()->model().current(), 1);
    EXPECT_EQ(pages->value(), 1);

    // Two sheets: pages 2 and 3, the caption now offers one.
    preview()->runCommand(ids::kCmdPreviewSheets);
    ASSERT_EQ(preview()->sheetRects().size(), 2);
    EXPECT_EQ(preview()->action(ids::kCmdPreviewSheets)->text(), Langpack::text(ids::kOnePage));
    expectSheetsAre(set, true);

    // A click on the right sheet magnifies page 3 around the clicked point:
    // the point stays under the mouse as far as the scroll bars reach.
    const QPoint click = preview()->sheetRects()[1].topLeft() + QPoint(120, 90);
    for (int zoom : {1, 2, 0}) {
        const QRect before = preview()->sheetRects().last();
        const QPointF f(double(click.x() - before.left()) / before.width(),
                        double(click.y() - before.top()) / before.height());
        QTest::mouseClick(sheets, Qt::LeftButton, {}, click);
        EXPECT_EQ(preview()->model().zoom(), zoom);
        EXPECT_EQ(preview()->model().current(), zoom == 0 ? 1 : 2);
        if (zoom == 0)
            break;
        const QRect after = preview()->sheetRects().first();
        EXPECT_GT(after.width(), before.width());
        const QPoint point =
            after.topLeft() + QPoint(int(f.x() * after.width()), int(f.y() * after.height()));
        EXPECT_TRUE(sheets->rect().contains(point)) << zoom;
        const QScrollBar* bars[] = {preview()->sheetArea()->horizontalScrollBar(),
                                    preview()->sheetArea()->verticalScrollBar()};
        const int offsets[] = {point.x() - click.x(), point.y() - click.y()};
        for (int axis = 0; axis < 2; ++axis) {
            const QScrollBar* bar = bars[axis];
            const bool atEnd = bar->value() == bar->minimum() || bar->value() == bar->maximum();
            EXPECT_TRUE(std::abs(offsets[axis]) <= 1 || atEnd) << zoom << " axis " << axis;
        }
        expectSheetsAre(set, true);
    }
    EXPECT_EQ(preview()->sheetRects().size(), 2);

    // The next preview starts with two sheets.
    preview()->runCommand(ids::kCmdPreviewClose);
    PrintPreviewView::open(*frame_, 3, build, kA4Landscape);
    EXPECT_EQ(preview()->model().sheetsShown(), 2);
    preview()->runCommand(ids::kCmdPreviewSheets);
    preview()->runCommand(ids::kCmdPreviewClose);
    PrintPreviewView::open(*frame_, 3, build, kA4Landscape);
    EXPECT_EQ(preview()->model().sheetsShown(), 1);
}
