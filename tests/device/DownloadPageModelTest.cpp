// The download page's data handling fed directly as the reader reports:
// repeated headers and blocks, unfinished entries, save marks, saving and
// the progress figures.
#include "device/DownloadPageModel.h"
#include "core/StringIds.h"
#include "records/EcgGenerator.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

using namespace vantora;

namespace {

const QString kId = QStringLiteral("1001");

DeviceRecordHeader headerOf(int index, int count, int heartRate) {
    DeviceRecordHeader h;
    h.count = uint16_t(count);
    h.index = uint16_t(index);
    h.startTime = {2026, 12, 2, 8, 9, 10, 0, 0};
    h.recordingType = 3;
    h.heartRate = uint16_t(heartRate);
    return h;
}

// Sends the 15 blocks of an entry, and its end when `finish`.
void sendEntry(DownloadPageModel& m, int index, const SnapBlocks& blocks, bool finish = true) {
    for (int b = 0; b < kBlocksPerRecording; ++b)
        m.dataBlock(BlockTag{index, index + 1, b}, blocks[size_t(b)]);
    if (finish)
        m.recordEnd(index, index + 1);
}

QByteArray bytesOf(const SnapBlocks& blocks) {
    QByteArray out;
    for (const SampleBlock& b : blocks)
        out.append(reinterpret_cast<const char*>(b.bytes.data()), SampleBlock::kBytes);
    return out;
}

class DownloadPageModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        PatientRecord p;
        p.id = kId;
        p.name = QStringLiteral("Anna Berg");
        ASSERT_TRUE(PatientRegistry(root_.path()).appendRecord(p).ok());
        EcgGenerator generator;
        for (SnapBlocks& b : blocks_)
            b = generator.nextSnapBlocks();
    }
    RecordingStore store() const { return RecordingStore(root_.path(), RecordingMode::Snap, kId); }

    test::TempDataRoot root_;
    std::array<SnapBlocks, 4> blocks_;
};

} // namespace

TEST_F(DownloadPageModelTest, RepeatsAndUnfinishedEntriesPerTableEntry) {
    DownloadPageModel m;
    m.reset();
    EXPECT_EQ(m.received(), -1);
    for (int s = 1; s <= 4; ++s) {
        m.linkStatus(s);
        EXPECT_EQ(m.progress().percent, 10 * s);
    }
    for (int i = 0; i < 3; ++i)
        m.recordHeader(i, headerOf(i, 3, i == 0 ? 0 : 70 + i)); // entry 0: the recorder had none
    m.recordHeader(1, headerOf(1, 3, 99));                      // again: ignored
    EXPECT_EQ(m.progress().percent, (2 * 2 + 2) / 3 + 1);
    sendEntry(m, 0, blocks_[3], false); // a first copy, then the entry resent
    sendEntry(m, 0, blocks_[0]);
    sendEntry(m, 1, blocks_[1]);
    // Entry 2 stops after five blocks.
    for (int b = 0; b < 5; ++b)
        m.dataBlock(BlockTag{2, 3, b}, blocks_[2][size_t(b)]);
    EXPECT_EQ(m.rows().size(), 3u);
    EXPECT_EQ(m.progress().percent, (2 * 15 + 5) * 97 / 45 + 3);
    EXPECT_TRUE(m.linkRunning());
    EXPECT_TRUE(m.linkStatus(0));

    ASSERT_EQ(m.rows().size(), 2u); // the unfinished entry is gone
    EXPECT_EQ(m.received(), 2);
    EXPECT_EQ(m.rows()[0].heartRateText(), "-"); // not "0"
    EXPECT_EQ(m.rows()[1].heartRateText(), "71");
    EXPECT_EQ(m.rows()[1].startTimeText(),
              stationDateTimeText(QDateTime(QDate(2026, 12, 8), QTime(9, 10))));
    EXPECT_TRUE(m.saveEnabled());
    EXPECT_TRUE(m.save(root_.path(), kId).isNone());
    ASSERT_EQ(store().count().value(), 2);
    EXPECT_EQ(store().readRecordData(0).value(), bytesOf(blocks_[0])); // the copy sent last
    EXPECT_EQ(store().readEntry(1).value().heartRate, 71);
    EXPECT_FALSE(m.saveEnabled()); // everything saved
    EXPECT_FALSE(m.selectAllEnabled());
}

TEST_F(DownloadPageModelTest, SaveMarksDecideWhatIsWritten) {
    DownloadPageModel m;
    m.reset();
    for (int i = 0; i < 3; ++i)
        m.recordHeader(i, headerOf(i, 3, 60));
    for (int i = 0; i < 3; ++i)
        sendEntry(m, i, blocks_[size_t(i)]);
    m.linkStatus(0);

    m.chooseAll(false);
    EXPECT_TRUE(m.save(root_.path(), kId).isNone());
    EXPECT_EQ(store().count().value(), 0); // nothing chosen: nothing written
    EXPECT_TRUE(m.saveEnabled());

    EXPECT_TRUE(m.toggle(2));
    EXPECT_FALSE(m.toggle(3)); // no such row
    m.save(root_.path(), kId);
    EXPECT_EQ(m.rows()[2].saveState, kSaveDone);
    EXPECT_FALSE(m.toggle(2)); // saved rows stay saved
    m.chooseAll(true);
    EXPECT_EQ(m.chosenCount(), 2);
    EXPECT_EQ(m.rows()[2].saveState, kSaveDone);
    m.save(root_.path(), kId);
    ASSERT_EQ(store().count().value(), 3);
    EXPECT_EQ(store().readRecordData(0).value(), bytesOf(blocks_[2]));
    EXPECT_EQ(store().readRecordData(2).value(), bytesOf(blocks_[1]));
    EXPECT_TRUE(m.save(root_.path(), kId).isNone());
    EXPECT_EQ(store().count().value(), 3);

    DownloadPageModel fresh; // before any download
    EXPECT_EQ(fresh.save(root_.path(), kId).id, ids::kNothingReceived);
    EXPECT_EQ(store().count().value(), 3);
}

// A second download of recordings the patient already has: those rows are
// marked stored (same start time and the same blocks), not chosen, never
// saved again; the select-all state follows the rows that can still be
// chosen. Marks are the chosen patient's: another patient gets them all.
TEST_F(DownloadPageModelTest, RecordingsAlreadyStoredAreMarkedAndNotSavedAgain) {
    auto download = [this](DownloadPageModel& m, const std::vector<DeviceRecordHeader>& headers) {
        m.reset();
        for (size_t i = 0; i < headers.size(); ++i)
            m.recordHeader(int(i), headers[i]);
        for (size_t i = 0; i < headers.size(); ++i)
            sendEntry(m, int(i), blocks_[i % 3]);
        m.linkStatus(0);
    };
    DownloadPageModel first;
    download(first, {headerOf(0, 3, 60), headerOf(1, 3, 61), headerOf(2, 3, 62)});
    ASSERT_TRUE(first.save(root_.path(), kId).isNone());
    ASSERT_EQ(store().count().value(), 3);

    // Entries 0-2 again (all with one start time, so the blocks decide), and
    // entry 3: the blocks of entry 0 at another time.
    DeviceRecordHeader later = headerOf(3, 4, 63);
    later.startTime[6] = 11; // a second later
    DownloadPageModel again;
    download(again, {headerOf(0, 4, 60), headerOf(1, 4, 61), headerOf(2, 4, 62), later});
    EXPECT_TRUE(again.allChosen());
    EXPECT_EQ(again.markStored(root_.path(), kId), 3);
    auto states = [&again] {
        std::vector<int> out;
        for (const DownloadRow& r : again.rows())
            out.push_back(r.saveState);
        return out;
    };
    EXPECT_EQ(states(), (std::vector<int>{2, 2, 2, 1}));
    EXPECT_EQ(again.chosenCount(), 1);
    EXPECT_TRUE(again.allChosen()); // the one row that can be chosen is
    EXPECT_FALSE(again.toggle(0));  // a stored row stays
    EXPECT_TRUE(again.toggle(3));
    EXPECT_FALSE(again.allChosen());
    again.chooseAll(true);
    EXPECT_EQ(states(), (std::vector<int>{2, 2, 2, 1}));

    EXPECT_EQ(again.markStored(root_.path(), QStringLiteral("nobody")), 0);
    EXPECT_EQ(states(), (std::vector<int>{1, 1, 1, 1})); // new to that patient
    EXPECT_EQ(again.markStored(root_.path(), kId), 3);
    EXPECT_TRUE(again.save(root_.path(), kId).isNone());
    EXPECT_EQ(states(), (std::vector<int>{2, 2, 2, 3}));
    ASSERT_EQ(store().count().value(), 4);
    EXPECT_EQ(store().readRecordData(3).value(), bytesOf(blocks_[0]));
    EXPECT_FALSE(again.saveEnabled()); // nothing left to save
    EXPECT_FALSE(again.allChosen());
}
