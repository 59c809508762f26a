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
    EXPECT_TRUE(view->infoBox()->toPlainText().startsWith(
        Langpack::text(ids::kTypeUnclassified + recordingTypeCode(3))));
    EXPECT_TRUE(view->m_bHasRecord);

    const QImage gain1 = view->trace()->grab().toImage();
    view->gainChoice()->setCurrentIndex(1);
    emit view->gainChoice()->activated(1);
    EXPECT_EQ(view->model().gain(), 2);
    EXPECT_EQ(view->trace()->strip().render(view->trace()->size()),
              view->trace()->grab().toImage());
    EXPECT_NE(view->trace()->grab().toImage(), gain1);
}

TEST_F(ReplayPageTest, SearchByNameMovesToThePatient) {
    ReplayPage* view = openPage();
    view->searchField()->setCurrentIndex(1);
    QTest::keyClicks(view->searchText(), "Jonas");
    view->OnFind();
    EXPECT_EQ(view->model().patientId(), "1002");
    view->OnShowAll();
    EXPECT_EQ(view->model().patientId(), "1001");
    EXPECT_TRUE(view->searchText()->text().isEmpty());
}
