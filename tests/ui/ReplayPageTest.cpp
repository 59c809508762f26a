// The replay page in the frame, driven with QTest: paging through 15 at a
// time with buttons and Page Up/Down, thumbnails with the arrows, the fields
// of the selection, the gain and the patient search.
#include "ui/pages/ReplayPage.h"
#include "ItemViewRows.h"
#include "core/StringIds.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "render/ReplayRowImage.h"
#include "support/PageFixture.h"
#include "ui/frame/PageIds.h"
#include "ui/widgets/CaliperStripView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

SnapRecording snap(int i) {
    EcgParameters p;
    p.seed = uint64_t(i + 1);
    SnapRecording r;
    SystemTime t;
    t.year = 2026;
    t.month = 12;
    t.day = 1;
    t.hour = uint16_t(i / 60);
    t.minute = uint16_t(i % 60);
    r.header.startTime = t.fields();
    r.header.recordingType = 3;
    r.header.heartRate = uint16_t(60 + i);
    r.blocks = EcgGenerator(p).nextSnapBlocks();
    return r;
}

class ReplayPageTest : public test::PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        PatientRegistry registry(root_.path());
        ASSERT_TRUE(registry.appendRecord(test::namedPatient("1001", "Anna Berg")).ok());
        ASSERT_TRUE(registry.appendRecord(test::namedPatient("1002", "Jonas Weber")).ok());
        store("1001", 16);
        store("1002", 15);
    }

    void store(const QString& id, int count) {
        std::vector<SnapRecording> recordings;
        for (int i = 0; i < count; ++i)
            recordings.push_back(snap(i));
        ASSERT_EQ(
            RecordingStore(root_.path(), RecordingMode::Snap, id).appendSnap(recordings).saved,
            count);
    }
    ReplayPage* openPage() {
        return PageFixture::openPage<ReplayPage>(page::kReplay, page::kReplay,
                                                 [](PageHost& f) { return new ReplayPage(f); });
    }
    static std::vector<bool> enabling(const ReplayPage* view) {
        std::vector<bool> out;
        for (int b = 0; b < ReplayPage::kPageButtons; ++b)
            out.push_back(view->pageButton(b)->isEnabled());
        return out;
    }
};

} // namespace

TEST_F(ReplayPageTest, SixteenRecordingsGiveTwoPagesFifteenGiveOne) {
    ReplayPage* view = openPage();
    ASSERT_EQ(test::rowCount(view->patientList()), 2);
    EXPECT_EQ(view->thumbnails()->model()->rowCount(), 15);
    EXPECT_EQ(enabling(view), (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(view->pageCaption()->text(), view->model().paging().caption());

    QTest::mouseClick(view->pageButton(ReplayPage::kNext), Qt::LeftButton);
    EXPECT_EQ(view->thumbnails()->model()->rowCount(), 1);
    EXPECT_EQ(enabling(view), (std::vector<bool>{true, true, false, false}));
    view->thumbnails()->setFocus();
    QTest::keyClick(view->thumbnails(), Qt::Key_PageDown); // no further page
    EXPECT_EQ(view->model().page().page, 1);
    QTest::keyClick(view->thumbnails(), Qt::Key_PageUp);
    EXPECT_EQ(view->model().page().page, 0);
    EXPECT_EQ(view->thumbnails()->model()->rowCount(), 15);

    test::selectRow(view->patientList(), 1);
    EXPECT_EQ(view->model().patientId(), "1002");
    view->OnRecordsChanged(); // e.g. the patient manager closed
    EXPECT_EQ(view->model().patientId(), "1002");
    EXPECT_EQ(view->patientList()->currentIndex(), test::rowIndex(view->patientList(), 1));
    EXPECT_EQ(view->thumbnails()->model()->rowCount(), 15);
    EXPECT_EQ(enabling(view), (std::vector<bool>{false, false, false, false}));
    EXPECT_TRUE(messages_.isEmpty());
}

TEST_F(ReplayPageTest, SelectionFillsTheFieldsArrowsMoveAndGainRedraws) {
    ReplayPage* view = openPage();
    EXPECT_EQ(view->model().selected(), 0);
    EXPECT_EQ(view->rateField()->text(), "60");
    view->thumbnails()->setFocus();
    QTest::keyClick(view->thumbnails(), Qt::Key_Right);
    ASSERT_EQ(view->model().selected(), 1);
    EXPECT_EQ(view->rateField()->text(), "61");
    EXPECT_EQ(view->timeField()->text(),
              stationDateTimeText(QDateTime(QDate(2026, 12, 1), QTime(0, 1))));
    const QString description = Langpack::text(ids::kTypeUnclassified + recordingTypeCode(3));
    EXPECT_TRUE(view->infoBox()->toPlainText().startsWith(description));
    EXPECT_TRUE(view->infoBox()->toHtml().contains(QStringLiteral("color:#ff0000;\">") +
                                                   description)); // red, as on the records page
    EXPECT_TRUE(view->m_bHasRecord);

    const QImage gain1 = view->trace()->grab().toImage();
    view->gainChoice()->setCurrentIndex(1);
    emit view->gainChoice()->activated(1);
    EXPECT_EQ(view->model().gain(), 2);
    EXPECT_EQ(view->trace()->strip().render(view->trace()->size()),
              view->trace()->grab().toImage());
    EXPECT_NE(view->trace()->grab().toImage(), gain1);
}

// Enter in the search text searches; every match is selected, the first
// focused; a single match elsewhere moves the page to that patient.
TEST_F(ReplayPageTest, EnterSearchesAndSelectsEveryMatch) {
    ReplayPage* view = openPage();
    struct Case {
        int field; // 0 by id, 1 by name
        const char* text;
        int selectedRows;
        const char* shown; // the patient whose recordings are shown
    };
    for (const Case c : {Case{0, "100", 2, "1001"}, Case{1, "jonas", 1, "1002"},
                         Case{1, "e", 2, "1001"}, Case{0, "9", 2, "1001"}}) {
        view->searchField()->setCurrentIndex(c.field);
        view->searchText()->clear();
        QTest::keyClicks(view->searchText(), c.text);
        QTest::keyClick(view->searchText(), Qt::Key_Return);
        EXPECT_EQ(view->patientList()->selectionModel()->selectedRows().size(), c.selectedRows)
            << c.text;
        EXPECT_EQ(view->model().patientId(), c.shown) << c.text;
    }
    EXPECT_EQ(messages_.size(), 1); // "9" found nothing: the matches before stay
    view->OnShowAll();
    EXPECT_EQ(view->model().patientId(), "1001");
    EXPECT_TRUE(view->searchText()->text().isEmpty());
}

namespace {

int greenPixels(const ReplayPage* view, int row) {
    const QIcon icon =
        view->thumbnails()->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>();
    const QImage image =
        icon.pixmap(QSize(ReplayPage::kThumbnailWidth, ReplayRowImage::kHeight)).toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == QColor(Qt::green);
    return n;
}

} // namespace

// A click on a thumbnail's trace chooses the stretch of the large trace and
// marks it green; a click below the trace only selects the thumbnail.
TEST_F(ReplayPageTest, ClickOnAThumbnailTraceChoosesTheStretch) {
    ReplayPage* view = openPage();
    CaliperStripView* trace = view->trace();
    ASSERT_FALSE(trace->reduction().empty());
    EXPECT_EQ(trace->columns(), trace->width() - 15);
    EXPECT_GT(greenPixels(view, 0), 0); // the first stretch, from the start
    struct Case {
        int row;
        QPoint at; // in the thumbnail's image
        bool taken;
        int stretchX;
    };
    const Case cases[] = {
        {0, {118, 10}, true, 118}, {0, {118, 35}, false, 118}, // below the grid band
        {0, {235, 0}, true, 235},  {3, {50, 36}, false, 0},    // selects, from the start
        {3, {50, 31}, true, 50},   {3, {-1, 10}, false, 50},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(view->OnStretchChosen(c.row, c.at), c.taken) << c.row << " " << c.at.x();
        EXPECT_EQ(view->model().selected(), c.row);
        EXPECT_EQ(view->stretchX(), c.stretchX);
        const int first = trace->reduction().firstEntry(trace->width(), c.stretchX, 236);
        EXPECT_EQ(trace->firstEntry(), first);
        EXPECT_EQ(trace->strip().count(), trace->width() - 15);
        for (int row : {0, 3})
            EXPECT_EQ(greenPixels(view, row) > 0, row == c.row) << row;
    }

    // The same with the mouse, in the middle of thumbnail 5's trace.
    QListView* list = view->thumbnails();
    const QRect cell = list->visualRect(list->model()->index(5, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(cell.center().x(), cell.top() + 12));
    EXPECT_EQ(view->model().selected(), 5);
    EXPECT_NEAR(view->stretchX(), 118, 6);
    EXPECT_GT(greenPixels(view, 5), 0);
}
