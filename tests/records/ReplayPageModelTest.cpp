// Replay page logic on stores built by the tests: paging and its enabling,
// selection, the fields of the selected recording, an unreadable store and
// the peak-keeping reduction of the large trace.
#include "StoreFixtures.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/RecordingNotes.h"
#include "records/RecordingTime.h"
#include "records/ReplayPageModel.h"

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

const QString kId = QStringLiteral("1001");

void fillStore(const QString& root, int count) {
    std::vector<SnapRecording> recordings;
    for (int i = 0; i < count; ++i)
        recordings.push_back(
            snapRecording(uint64_t(i + 1), at(1 + i / 24, i % 24, i % 60), 3, 60 + i));
    ASSERT_EQ(RecordingStore(root, RecordingMode::Snap, kId).appendSnap(recordings).saved, count);
}

class ReplayPageModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
        registerPatient(root_.path(), kId);
    }
    TempDataRoot root_;
};

} // namespace

TEST_F(ReplayPageModelTest, PagesOfFifteenWithTheirEnabling) {
    struct Case {
        int stored;
        int pageCount;
        int lastPageSize;
    };
    for (const Case c : {Case{15, 1, 15}, Case{16, 2, 1}, Case{31, 3, 1}}) {
        TempDataRoot root;
        registerPatient(root.path(), kId);
        fillStore(root.path(), c.stored);
        ReplayPageModel model(root.path());
        EXPECT_TRUE(model.showPatient(RecordingMode::Snap, kId).isNone());
        const RecordingPage& page = model.page();
        EXPECT_EQ(page.pageCount, c.pageCount) << c.stored;
        EXPECT_EQ(model.thumbnails().size(), 15u);
        EXPECT_EQ(model.selected(), 0);
        EXPECT_FALSE(PagingControls::of(page).first || PagingControls::of(page).previous);
        EXPECT_EQ(PagingControls::of(page).next, c.pageCount > 1);
        EXPECT_EQ(PagingControls::of(page).last, c.pageCount > 1);
        model.lastPage();
        EXPECT_EQ(model.page().page, c.pageCount - 1);
        EXPECT_EQ(int(model.thumbnails().size()), c.lastPageSize);
        EXPECT_EQ(model.thumbnails().back().number, c.stored);
        EXPECT_FALSE(model.paging().next);
        EXPECT_EQ(model.paging().previous, c.pageCount > 1);
    }
}

TEST_F(ReplayPageModelTest, SelectionFillsTheFieldsOnlyOnARealChange) {
    fillStore(root_.path(), 3);
    const SystemTime start = at(1, 2, 2);
    ASSERT_TRUE(RecordingNotes(root_.path(), RecordingMode::Snap, kId)
                    .write(start, QStringLiteral("first line\nsecond line"))
                    .ok());
    ReplayPageModel model(root_.path());
    model.showPatient(RecordingMode::Snap, kId);
    EXPECT_FALSE(model.select(0)); // already selected
    EXPECT_FALSE(model.select(3)); // no such thumbnail
    EXPECT_TRUE(model.select(2));
    RecordIndexEntry shown;
    shown.time = start;
    EXPECT_EQ(model.timeText(), recordingTimeText(RecordingMode::Snap, shown));
    EXPECT_EQ(model.heartRateText(), "62");
    EXPECT_EQ(model.descriptionText(),
              Langpack::text(ids::kTypeUnclassified + recordingTypeCode(3)));
    EXPECT_EQ(model.noteLines().value(), QStringList({"first line", "second line"}));
    const std::vector<int32_t> expected = decodeSnapBlocks(snapRecording(3, start, 3, 62).blocks);
    EXPECT_EQ(model.selectedThumbnail()->samples, expected);

    model.showPatient(RecordingMode::Snap, QStringLiteral("1002")); // no store
    EXPECT_EQ(model.selectedThumbnail(), nullptr);
    EXPECT_EQ(model.descriptionText(), "...");
    EXPECT_TRUE(model.timeText().isEmpty());
}

// A recorder without a rate stores 0: shown as a dash, never as "0".
TEST_F(ReplayPageModelTest, StoredHeartRateOfZeroShowsADash) {
    const std::pair<int, const char*> rates[] = {{0, "-"}, {1, "1"}, {72, "72"}, {0, "-"}};
    std::vector<SnapRecording> recordings;
    for (const auto& [rate, shown] : rates)
        recordings.push_back(
            snapRecording(uint64_t(rate + 1), at(2, 8, int(recordings.size())), 3, rate));
    ASSERT_EQ(RecordingStore(root_.path(), RecordingMode::Snap, kId).appendSnap(recordings).saved,
              4);
    ReplayPageModel model(root_.path());
    model.showPatient(RecordingMode::Snap, kId);
    for (int k = 0; k < 4; ++k) {
        model.select(k);
        EXPECT_EQ(model.heartRateText(), rates[k].second) << k;
    }
}

TEST_F(ReplayPageModelTest, StoreThatCannotBeReadGives61340) {
    fillStore(root_.path(), 2);
    const RecordingStore store(root_.path(), RecordingMode::Snap, kId);
    QFile index(store.indexPath());
    ASSERT_TRUE(index.open(QIODevice::WriteOnly | QIODevice::Truncate)); // entries lost
    index.close();
    ReplayPageModel model(root_.path());
    EXPECT_EQ(model.showPatient(RecordingMode::Snap, kId).id, ids::kCannotReadRecordings);
    EXPECT_TRUE(model.thumbnails().empty());
    EXPECT_EQ(model.descriptionText(), "...");
}

TEST(ReplayReduction, KeepsTheSampleFarthestFromTheZeroLinePerColumn) {
    std::vector<int32_t> samples(7500, 512);
    samples[7] = 600;   // column 0: up 88
    samples[8] = 400;   // column 0: down 112 wins
    samples[15] = 530;  // column 1
    samples[7499] = 10; // last column
    const std::vector<int32_t> r = ReplayPageModel::reduceToColumns(samples, 750);
    ASSERT_EQ(r.size(), 750u);
    EXPECT_EQ(r[0], 400);
    EXPECT_EQ(r[1], 530);
    EXPECT_EQ(r[2], 512);
    EXPECT_EQ(r.back(), 10);
    EXPECT_TRUE(ReplayPageModel::reduceToColumns(samples, 0).empty());
    // More columns than samples: every column still holds a sample.
    EXPECT_EQ(ReplayPageModel::reduceToColumns(std::span(samples).first(3), 5),
              (std::vector<int32_t>{512, 512, 512, 512, 512}));
}

TEST_F(ReplayPageModelTest, ContinuousRecordingsReadAsTheirSamples) {
    const RecordingStore store(root_.path(), RecordingMode::Continuous, kId);
    EcgParameters p;
    p.seed = 5;
    std::vector<int32_t> samples = EcgGenerator(p).nextRecording();
    samples[10] = -3; // a value with every high byte set
    samples[11] = 70000;
    ASSERT_TRUE(store.appendContinuous(packetsOf(samples, 80, 2), at(3, 4, 5)).ok());
    ReplayPageModel model(root_.path());
    model.showPatient(RecordingMode::Continuous, kId);
    ASSERT_EQ(model.thumbnails().size(), 1u);
    EXPECT_EQ(model.selectedThumbnail()->samples, store.readSamples(0).value());
    EXPECT_EQ(model.selectedThumbnail()->samples[10], -3);
    EXPECT_EQ(model.selectedThumbnail()->samples[11], 70000);
    EXPECT_EQ(model.heartRateText(), "80");
    EXPECT_EQ(model.descriptionText(),
              Langpack::text(ids::kEventSinusRhythm + 1)); // rhythm code 2: bit 1
}
