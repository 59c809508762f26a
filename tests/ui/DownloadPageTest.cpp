// The download page against the simulated recorder on a pseudo-terminal,
// through the real serial line, driven with QTest: rows per table entry, save
// marks, saving into a patient's store, cancel and a vanishing port.
#include "device/SimHarness.h"

#include "ItemViewRows.h"
#include "core/StringIds.h"
#include "device/StoredRecordings.h"
#include "records/RecordingStore.h"
#include "support/PageFixture.h"
#include "ui/frame/PageIds.h"
#include "ui/pages/DownloadPage.h"
#include "ui/widgets/DownloadList.h"
#include "ui/widgets/DownloadProgressView.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

constexpr int kLinkTimeoutMs = 60000;

QByteArray blockBytes(const SnapBlocks& blocks) {
    QByteArray out;
    for (const SampleBlock& b : blocks)
        out.append(reinterpret_cast<const char*>(b.bytes.data()), SampleBlock::kBytes);
    return out;
}

class DownloadPageTest : public PageFixture {
protected:
    DownloadPage* openPage(SimHarness& sim) {
        auto* view = PageFixture::openPage<DownloadPage>(
            page::kSnapData, page::kSnapDataByCommand,
            [f = sim.finder()](PageHost& frame) { return new DownloadPage(frame, f); });
        view->setPatientChooser([] { return PickedPatient{0, QStringLiteral("1001"), {}, {}}; });
        return view;
    }
    static bool downloadEnds(DownloadPage* view) {
        QTest::mouseClick(view->downloadButton(), Qt::LeftButton);
        return QTest::qWaitFor([view] { return !view->model().linkRunning(); }, kLinkTimeoutMs);
    }
    static std::vector<int> saveStates(const DownloadPage* view) {
        std::vector<int> out;
        for (const DownloadRow& row : view->model().rows())
            out.push_back(row.saveState);
        return out;
    }
    static void clickMark(DownloadPage* view, int row, QPoint offset = {}) {
        const QRect mark = view->list()->markRect(row);
        QTest::mouseClick(view->list()->viewport(), Qt::LeftButton, {}, mark.center() + offset);
    }
    RecordingStore store() const {
        return RecordingStore(root_.path(), RecordingMode::Snap, QStringLiteral("1001"));
    }
};

sim::SimConfig unpaced(int recordings) {
    sim::SimConfig c;
    c.paced = false;
    c.recordings = recordings;
    return c;
}

} // namespace

TEST_F(DownloadPageTest, FourRowsChosenThreeSavedByteForByteAndNothingTwice) {
    SimHarness h(unpaced(3)); // the second recording in two chunks: four entries
    DownloadPage* view = openPage(h);
    EXPECT_FALSE(view->saveButton()->isEnabled());
    ASSERT_TRUE(downloadEnds(view));
    EXPECT_FALSE(view->progressWindow()->isVisible());
    const auto& entries = h.sim().entries();
    ASSERT_EQ(entries.size(), 4u);
    ASSERT_EQ(test::rowCount(view->list()), 4);
    EXPECT_EQ(test::rowText(view->list(), 3, -1, DownloadList::kNumber), "4");
    EXPECT_EQ(test::rowText(view->list(), 2, -1, DownloadList::kHeartRate),
              QString::number(entries[2].header.heartRate));
    EXPECT_EQ(view->model().received(), 4);
    EXPECT_TRUE(view->saveButton()->isEnabled());
    EXPECT_TRUE(view->downloadButton()->isEnabled());
    EXPECT_TRUE(view->selectAllBox()->isEnabled());
    EXPECT_EQ(messages_, QStringList(Message{ids::kTransferComplete, {}}.text()));
    // Every row's trace was drawn from its own blocks.
    EXPECT_GE(view->list()->points().points().size(), 4 * kSamplesPerRecording);

    EXPECT_TRUE(view->selectAllBox()->isChecked());
    clickMark(view, 1, QPoint(DownloadList::kMarkSize / 2 + 2, 0)); // beside the square
    EXPECT_EQ(saveStates(view), (std::vector<int>{1, 1, 1, 1}));
    test::selectRow(view->list(), 1);
    QTest::keyClick(view->list(), Qt::Key_Space);
    EXPECT_EQ(saveStates(view), (std::vector<int>{1, 0, 1, 1}));
    EXPECT_FALSE(view->selectAllBox()->isChecked()); // the box follows the marks
    clickMark(view, 1);
    EXPECT_EQ(saveStates(view), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_TRUE(view->selectAllBox()->isChecked());
    QTest::mouseClick(view->selectAllBox(), Qt::LeftButton); // and the marks the box
    EXPECT_EQ(saveStates(view), (std::vector<int>{0, 0, 0, 0}));
    clickMark(view, 0);
    clickMark(view, 2);
    clickMark(view, 3);
    EXPECT_EQ(saveStates(view), (std::vector<int>{1, 0, 1, 1}));
    EXPECT_FALSE(view->selectAllBox()->isChecked());

    QTest::mouseClick(view->saveButton(), Qt::LeftButton);
    EXPECT_EQ(questions_, QStringList(saveQuestion(QStringLiteral("1001"), 3).text()));
    EXPECT_TRUE(questions_.value(0).contains(QStringLiteral("3 ")));
    EXPECT_TRUE(questions_.value(0).contains(QStringLiteral("1001")));
    EXPECT_EQ(saveStates(view), (std::vector<int>{3, 0, 3, 3}));
    ASSERT_EQ(store().count().value(), 3);
    const std::array<size_t, 3> saved{0, 2, 3};
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(store().readRecordData(k).value(), blockBytes(entries[saved[size_t(k)]].blocks))
            << "record " << k;
    clickMark(view, 0); // a saved row stays saved
    EXPECT_EQ(saveStates(view)[0], kSaveDone);

    QTest::mouseClick(view->saveButton(), Qt::LeftButton);
    EXPECT_EQ(store().count().value(), 3);
    EXPECT_TRUE(view->saveButton()->isEnabled()); // row 2 is still there to choose

    // Downloaded again: what the patient has is marked stored and left out.
    for (int round = 0; round < 2; ++round) {
        questions_.clear();
        messages_.clear();
        ASSERT_TRUE(downloadEnds(view));
        EXPECT_EQ(saveStates(view), (std::vector<int>{1, 1, 1, 1}));
        QTest::mouseClick(view->saveButton(), Qt::LeftButton);
        EXPECT_EQ(saveStates(view),
                  round == 0 ? (std::vector<int>{2, 3, 2, 2}) : (std::vector<int>{2, 2, 2, 2}));
        EXPECT_EQ(questions_, round == 0
                                  ? QStringList(saveQuestion(QStringLiteral("1001"), 1).text())
                                  : QStringList());
        const Message said = round == 0 ? Message{ids::kTransferComplete, {}}
                                        : Message{ids::kAllAlreadyStored, QStringLiteral("1001")};
        EXPECT_EQ(messages_.last(), said.text());
        EXPECT_EQ(store().count().value(), 4);
    }
    EXPECT_EQ(store().readRecordData(3).value(), blockBytes(entries[1].blocks));
}

TEST_F(DownloadPageTest, CancelStopsTheLinkAndOffersOnlyCompleteRecordings) {
    sim::SimConfig c; // paced: an entry takes about two seconds
    c.recordings = 3;
    SimHarness h(c);
    DownloadPage* view = openPage(h);
    QTest::mouseClick(view->downloadButton(), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([view] { return view->model().rows().size() >= 2; }, kLinkTimeoutMs));
    EXPECT_TRUE(view->progressWindow()->isVisible());
    EXPECT_TRUE(view->progressWindow()->textLabel()->text().contains(
        QStringLiteral("%1:    2/  4").arg(Langpack::text(ids::kEcg))));
    QTest::mouseClick(view->progressWindow()->cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([view] { return !view->model().linkRunning(); }, kLinkTimeoutMs));
    EXPECT_FALSE(view->progressWindow()->isVisible());
    ASSERT_EQ(test::rowCount(view->list()), 1);
    EXPECT_EQ(view->model().rows()[0].tableIndex, 0);
    QTest::mouseClick(view->saveButton(), Qt::LeftButton);
    ASSERT_EQ(store().count().value(), 1);
    EXPECT_EQ(store().readRecordData(0).value(), blockBytes(h.sim().entries()[0].blocks));
}

TEST_F(DownloadPageTest, VanishingPortShowsTheFailureAndOffersNothingBroken) {
    sim::SimConfig c = unpaced(2);
    c.vanishAfterDataBytes = 7518 + 3000; // inside the second entry's blocks
    SimHarness h(c);
    DownloadPage* view = openPage(h);
    ASSERT_TRUE(downloadEnds(view));
    EXPECT_EQ(messages_, QStringList(Message{ids::kLinkFailed, {}}.text()));
    ASSERT_EQ(view->model().rows().size(), 1u);
    EXPECT_EQ(view->model().rows()[0].tableIndex, 0);
    EXPECT_TRUE(view->downloadButton()->isEnabled());
}

TEST_F(DownloadPageTest, SaveWithNothingReceivedWritesNothing) {
    SimHarness h(unpaced(0));
    DownloadPage* view = openPage(h);
    ASSERT_TRUE(downloadEnds(view));
    view->OnSave();
    EXPECT_TRUE(questions_.isEmpty());
    EXPECT_EQ(messages_.last(), (Message{ids::kNothingReceived, {}}.text()));
    EXPECT_FALSE(view->saveButton()->isEnabled());
    EXPECT_EQ(store().count().value(), 0);
}
