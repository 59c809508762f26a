#include "ItemViewRows.h"
#include "app/ShellTestSupport.h"
#include "records/StoreFixtures.h"

#include "app/StartUp.h"
#include "app/StationApp.h"
#include "app/StationPages.h"
#include "core/AppState.h"
#include "core/StringIds.h"
#include "records/ChartFile.h"
#include "records/RecordingTime.h"
#include "ui/dialogs/ExportFileDialog.h"
#include "ui/frame/MainFrame.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/RecordsPage.h"
#include "ui/widgets/RecordPreview.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>

#include <deque>

namespace vantora::test {
namespace {

// File and note dialogs answered from a script; the picker is not opened by
// these tests.
struct ScriptedDialogs : RecordDialogs {
    std::deque<QString> files;
    std::optional<QString> chooseFile(const FileRequest&) override {
        if (files.empty())
            return std::nullopt;
        QString path = files.front();
        files.pop_front();
        return path;
    }
    std::optional<int> pickPatient() override { return std::nullopt; }
    std::optional<QString> note;
    std::optional<QString> editNote(const NoteRequest&) override { return note; }
};

class RecordsPageTest : public ShellFixture {
protected:
    void SetUp() override {
        ShellFixture::SetUp();
        state_.dataRoot = root_.path();
        state_.recordingMode = RecordingMode::Snap;
        registerPatient(root_.path(), QStringLiteral("7"));
        registerPatient(root_.path(), QStringLiteral("42"));
        std::vector<SnapRecording> recordings;
        for (int i = 0; i < 3; ++i)
            recordings.push_back(snapRecording(uint64_t(20 + i), at(5, 8, i), 3, 70 + i));
        ASSERT_EQ(store42().appendSnap(recordings).saved, 3);
        // The record management page as the program registers it, and a
        // stand-in for the analysis page.
        PageRegistry pages = stationPages();
        ASSERT_TRUE(pages.has(page::kRecordManagement));
        PageRegistry used;
        used.add(page::kRecordManagement, [](PageHost& f) { return new RecordsPage(f); });
        used.add(page::kAnalysis, [](PageHost& f) { return new FakePage(f); });
        frame_ = std::make_unique<MainFrame>(state_, used);
        ASSERT_TRUE(frame_->OnCreate());
    }

    RecordingStore store42() const {
        return RecordingStore(root_.path(), RecordingMode::Snap, QStringLiteral("42"));
    }
    // The page shown with the scripted dialogs (given before its first display).
    RecordsPage* showPage() {
        frame_->ShowPage(page::kAnalysis);
        auto* page = qobject_cast<RecordsPage*>(frame_->ShowPage(page::kRecordManagement));
        return page;
    }
    QString chart(int k) {
        // Exported from a copy so that the store keeps its recordings.
        TempDataRoot other;
        registerPatient(other.path(), QStringLiteral("42"));
        writeAll(RecordingStore(other.path(), RecordingMode::Snap, QStringLiteral("42")).dataPath(),
                 readAll(store42().dataPath()));
        writeAll(
            RecordingStore(other.path(), RecordingMode::Snap, QStringLiteral("42")).indexPath(),
            readAll(store42().indexPath()));
        const QString path = root_.file(QStringLiteral("Snap 42-%1.cEcg").arg(k));
        FixedPrompter yes(true);
        EXPECT_EQ(
            ChartFile(other.path(), RecordingMode::Snap).exportRecordings(1, k, path, yes).exported,
            1);
        return path;
    }
    static int rowOf(QTreeView* list) { return list->currentIndex().row(); }

    AppState state_;
    std::unique_ptr<MainFrame> frame_;
    ScriptedDialogs dialogs_;
};

TEST_F(RecordsPageTest, StartedWithAChartTheFirstDisplayImportsIt) {
    const QString path = chart(1);
    state_.pendingFile = true;
    state_.pendingPath = path;
    RecordsPage* page = showPage();
    ASSERT_TRUE(page);
    EXPECT_TRUE(log_.questions.isEmpty());
    EXPECT_TRUE(log_.texts.isEmpty());
    EXPECT_FALSE(state_.pendingFile);
    EXPECT_EQ(rowOf(page->patientList()), 1);
    ASSERT_EQ(test::rowCount(page->recordingList()), 4);
    EXPECT_EQ(test::rowText(page->recordingList(), 3, -1, 1),
              stationDateTimeText(QDateTime(QDate(2026, 11, 5), QTime(8, 1))));
    EXPECT_EQ(test::rowText(page->recordingList(), 3, -1, 2), QStringLiteral("71"));
    EXPECT_EQ(rowOf(page->recordingList()), 0);
    EXPECT_TRUE(page->preview()->hasRecording());
    EXPECT_TRUE(page->infoBox()->toPlainText().startsWith(text(ids::kTypeNormalRhythm)));
}

// The whole road: the station started with a chart file opens on this page,
// which shows the chart's patient with the imported recording last.
TEST_F(RecordsPageTest, StationStartedWithAChartShowsItsRecordings) {
    const QString path = chart(1);
    ASSERT_TRUE(StartUp::SaveDataRoot(root_.path())); // a start with a file uses the saved folder
    QTemporaryDir instance;
    StationApp app({stationPages(), instance.path(), false});
    ASSERT_TRUE(app.InitInstance(root_.path(), {path}));
    auto* page = qobject_cast<RecordsPage*>(app.mainFrame()->activeView());
    ASSERT_TRUE(page);
    EXPECT_FALSE(app.state().pendingFile);
    EXPECT_TRUE(log_.questions.isEmpty());
    EXPECT_EQ(log_.texts, QStringList());
    ASSERT_TRUE(page->model().patients().selectedRecord());
    EXPECT_EQ(page->model().patients().selectedRecord()->id, QStringLiteral("42"));
    const int rows = test::rowCount(page->recordingList());
    ASSERT_GT(rows, 0);
    EXPECT_EQ(test::rowText(page->recordingList(), rows - 1, -1, 1),
              stationDateTimeText(QDateTime(QDate(2026, 11, 5), QTime(8, 1))));
    app.ExitInstance();
}

TEST_F(RecordsPageTest, KeyboardSearchArrowsAndDelete) {
    RecordsPage* page = showPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(rowOf(page->patientList()), 0);
    EXPECT_EQ(test::rowCount(page->recordingList()), 0);

    // By id the search text takes digits only; Enter finds.
    QTest::keyClicks(page->searchText(), QStringLiteral("4x2"));
    EXPECT_EQ(page->searchText()->text(), QStringLiteral("42"));
    QTest::keyClick(page->searchText(), Qt::Key_Return);
    EXPECT_EQ(rowOf(page->patientList()), 1);
    ASSERT_EQ(test::rowCount(page->recordingList()), 3);

    // Arrows move through both lists.
    QTest::keyClick(page->recordingList(), Qt::Key_Down);
    EXPECT_EQ(page->model().currentRecording(), 1);
    QTest::keyClick(page->patientList(), Qt::Key_Up);
    EXPECT_EQ(page->model().patients().currentRow(), 0);
    EXPECT_EQ(test::rowCount(page->recordingList()), 0);
    QTest::keyClick(page->patientList(), Qt::Key_Down);
    QTest::keyClick(page->recordingList(), Qt::Key_Down);
    ASSERT_EQ(page->model().currentRecording(), 1);

    // The gain redraws the same recording.
    page->gainChoice()->setCurrentIndex(1);
    EXPECT_EQ(page->gainCaption()->text(), text(ids::kGain) + QStringLiteral(" 20mm/1mv"));
    EXPECT_EQ(page->model().currentRecording(), 1);

    // Delete on the selected recording asks first, even with "all" chosen.
    page->deleteAllChoice()->setChecked(true);
    log_.setAnswer(false);
    QTest::keyClick(page->recordingList(), Qt::Key_Delete);
    EXPECT_EQ(log_.questions, QStringList{text(ids::kDeleteRecordingQuestion)});
    EXPECT_EQ(test::rowCount(page->recordingList()), 3);
    log_.setAnswer(true);
    QTest::keyClick(page->recordingList(), Qt::Key_Delete);
    EXPECT_EQ(test::rowCount(page->recordingList()), 2);
    EXPECT_EQ(store42().count().value(), 2);
    EXPECT_EQ(test::rowText(page->recordingList(), 1, -1, 0), QStringLiteral("2"));
    EXPECT_TRUE(page->model().deleteAll());

    // A name that matches nothing keeps the selection and says so.
    page->searchByName()->setChecked(true);
    EXPECT_EQ(page->searchText()->text(), QStringLiteral("42")); // kept by the name search
    page->searchText()->clear();
    QTest::keyClicks(page->searchText(), QStringLiteral("nobody"));
    QTest::keyClick(page->searchText(), Qt::Key_Return);
    EXPECT_EQ(log_.texts.last(), text(ids::kNoNameMatch, QStringLiteral("nobody")));
    EXPECT_EQ(rowOf(page->patientList()), 1);
    page->button(RecordsPage::kShowAll)->click();
    EXPECT_TRUE(page->searchText()->text().isEmpty());
    EXPECT_EQ(rowOf(page->patientList()), 0);
}

TEST_F(RecordsPageTest, ExportPictureAndRefusedName) {
    RecordsPage* page = showPage();
    page->setDialogs(&dialogs_);
    test::selectRow(page->patientList(), 1);
    const QByteArray data = readAll(store42().dataPath());

    dialogs_.files = {root_.file(QStringLiteral("strip.bmp")),
                      root_.file(QStringLiteral("strip.txt"))};
    page->button(RecordsPage::kExport)->click();
    const QImage picture(root_.file(QStringLiteral("strip.bmp")), "BMP");
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(782, 3 * 130));
    EXPECT_EQ(picture, QImage(page->preview()->grab().toImage()).convertToFormat(picture.format()));
    page->button(RecordsPage::kExport)->click();
    EXPECT_EQ(log_.texts, QStringList{text(ids::kNotChartName)});
    EXPECT_EQ(readAll(store42().dataPath()), data);

    dialogs_.files = {root_.file(QStringLiteral("one.cEcg"))};
    page->button(RecordsPage::kExport)->click();
    EXPECT_EQ(test::rowCount(page->recordingList()), 2);
    EXPECT_EQ(QFileInfo(root_.file(QStringLiteral("one.cEcg"))).size(), 4 + 1388 + 7541);
}

TEST_F(RecordsPageTest, NoteShownInBlueUnderTheRedLine) {
    RecordsPage* page = showPage();
    page->setDialogs(&dialogs_);
    page->button(RecordsPage::kNote)->click();
    EXPECT_EQ(log_.texts, QStringList{text(ids::kSelectItem)}); // patient 7 has no recording
    test::selectRow(page->patientList(), 1);
    dialogs_.note = QStringLiteral("ST <depressed>\nrepeat");
    page->button(RecordsPage::kNote)->click();
    EXPECT_EQ(page->infoBox()->toPlainText(),
              text(ids::kTypeNormalRhythm) + QStringLiteral("\nST <depressed>\nrepeat"));
    const QString html = page->infoBox()->toHtml();
    EXPECT_TRUE(html.contains(QStringLiteral("color:#ff0000;\">") + text(ids::kTypeNormalRhythm)));
    EXPECT_TRUE(html.contains(QStringLiteral("color:#0000ff;\">ST &lt;depressed&gt;")));
}

TEST_F(RecordsPageTest, ADroppedChartWhileThePageIsShown) {
    RecordsPage* page = showPage();
    const QString first = chart(0);
    frame_->dropFiles({QUrl::fromLocalFile(first)});
    EXPECT_EQ(frame_->activeView(), page);
    EXPECT_FALSE(state_.pendingFile);
    EXPECT_EQ(rowOf(page->patientList()), 1);
    EXPECT_EQ(test::rowCount(page->recordingList()), 4);
    // The next file is taken as well.
    frame_->dropFiles({QUrl::fromLocalFile(chart(2))});
    EXPECT_EQ(test::rowCount(page->recordingList()), 5);
    EXPECT_TRUE(log_.texts.isEmpty());
}

TEST_F(RecordsPageTest, FileTypeSwitchRewritesTheTypedName) {
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.filters = {QStringLiteral("Chart Files (*.cEcg)"),
                       QStringLiteral("Picture Files (*.bmp)")};
    request.proposedName = QStringLiteral("Snap 42-3.cEcg");
    request.directory = root_.path();
    ExportFileDialog dialog(request);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(dialog.typedName(), QStringLiteral("Snap 42-3.cEcg"));
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_TRUE(types);
    types->setCurrentIndex(1);
    emit types->activated(1);
    EXPECT_EQ(dialog.typedName(), QStringLiteral("Snap 42-3.bmp"));
}

} // namespace
} // namespace vantora::test
