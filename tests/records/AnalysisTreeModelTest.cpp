#include "records/AnalysisTreeModel.h"
#include "StoreFixtures.h"
#include "core/StringIds.h"
#include "records/RecordDialogs.h"
#include "records/RecordingNotes.h"
#include "records/RecordingTime.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace vantora;
using namespace vantora::test;

namespace {

// Answers the export's save dialog with one path and counts the questions.
struct SaveAs : RecordDialogs {
    std::optional<QString> path;
    int asked = 0;
    std::optional<QString> chooseFile(const FileRequest&) override {
        ++asked;
        return path;
    }
    std::optional<int> pickPatient() override { return std::nullopt; }
    std::optional<QString> editNote(const NoteRequest&) override { return std::nullopt; }
};

// A recording row's label read back: its number, then a Snap recording's
// date and time, or a Continuous segment's start and end times.
struct LabelParts {
    int number = 0;
    QDateTime start;
    QTime startTime, endTime;
};
LabelParts readLabel(const QString& label) {
    LabelParts parts;
    parts.number = label.section(QStringLiteral("  "), 0, 0).toInt();
    const QStringList times = label.section(QStringLiteral("  "), 1).split(QChar(0x2013));
    const QLocale locale = QLocale::system();
    if (times.size() == 1) {
        parts.start = locale.toDateTime(times[0].trimmed(), stationDateTimeFormat());
    } else {
        parts.startTime = locale.toTime(times[0].trimmed(), stationTimeFormat());
        parts.endTime = locale.toTime(times[1].trimmed(), stationTimeFormat());
    }
    return parts;
}

std::vector<int> numbersOf(const AnalysisTreePatient& p) {
    std::vector<int> numbers;
    for (const ListedRecording& r : p.recordings)
        numbers.push_back(r.number);
    return numbers;
}

// Patients 7 (nothing stored), 42 (three Snap recordings, a note on the
// third) and 99 (one Continuous segment, one Snap recording), in a fresh
// data folder for every test and every case that changes it.
class AnalysisTreeModelTest : public ::testing::Test {
protected:
    void SetUp() override { fresh(); }

    void fresh() {
        dir.emplace();
        root = dir->path();
        for (const char* id : {"7", "42", "99"})
            registerPatient(root, QString::fromLatin1(id));
        std::vector<SnapRecording> recordings;
        for (int i = 0; i < 3; ++i)
            recordings.push_back(snapRecording(uint64_t(10 + i), at(3, 9, i), 3, 60 + i));
        ASSERT_EQ(store(RecordingMode::Snap, "42").appendSnap(recordings).saved, 3);
        ASSERT_TRUE(RecordingNotes(root, RecordingMode::Snap, QStringLiteral("42"))
                        .write(at(3, 9, 2), QStringLiteral("tall T"))
                        .ok());
        ASSERT_TRUE(
            store(RecordingMode::Continuous, "99").appendContinuous(segment(5), at(4, 8, 0)).ok());
        ASSERT_EQ(store(RecordingMode::Snap, "99")
                      .appendSnap(std::vector{snapRecording(1, at(5, 1, 0))})
                      .saved,
                  1);
    }

    RecordingStore store(RecordingMode mode, const char* id) const {
        return RecordingStore(root, mode, QString::fromLatin1(id));
    }
    AnalysisTreeModel loaded(RecordingMode mode) {
        AnalysisTreeModel tree(root);
        tree.load(mode);
        return tree;
    }

    std::optional<TempDataRoot> dir;
    QString root;
};

TEST_F(AnalysisTreeModelTest, ListsEveryPatientAndTheRecordingsBothFilesHold) {
    struct Case {
        RecordingMode mode;
        RecordingMode listed;
        std::vector<std::vector<int>> numbers;
    };
    for (const Case& c :
         {Case{RecordingMode::Snap, RecordingMode::Snap, {{}, {1, 2, 3}, {1}}},
          Case{RecordingMode::None, RecordingMode::Snap, {{}, {1, 2, 3}, {1}}},
          Case{RecordingMode::Continuous, RecordingMode::Continuous, {{}, {}, {1}}}}) {
        SCOPED_TRACE(toInt(c.mode));
        const AnalysisTreeModel tree = loaded(c.mode);
        EXPECT_EQ(tree.mode(), c.listed);
        ASSERT_EQ(tree.patients().size(), 3u);
        EXPECT_EQ(tree.patients()[1].text, QStringLiteral("42 Name of 42"));
        EXPECT_EQ(tree.patients()[2].id, QStringLiteral("99"));
        for (size_t p = 0; p < 3; ++p)
            EXPECT_EQ(numbersOf(tree.patients()[p]), c.numbers[p]) << p;
        EXPECT_EQ(tree.selected(), TreePlace{});
        // Each row names its recording's time: a Snap entry holds the start, a
        // Continuous one the end of its 30 s, and the label shows both ends.
        for (const AnalysisTreePatient& p : tree.patients())
            for (const ListedRecording& r : p.recordings) {
                const QString label = tree.recordingLabel(r);
                const LabelParts read = readLabel(label);
                SCOPED_TRACE(label.toStdString());
                EXPECT_EQ(read.number, r.number);
                const QDateTime stored = localDateTime(r.entry.time);
                if (c.listed == RecordingMode::Continuous) {
                    EXPECT_EQ(read.endTime, stored.time());
                    EXPECT_EQ(read.startTime, stored.addSecs(-30).time());
                } else {
                    EXPECT_EQ(read.start, stored);
                    EXPECT_FALSE(read.endTime.isValid());
                }
            }
    }
}

TEST_F(AnalysisTreeModelTest, SelectingReadsTheRecordingItsFieldsAndNote) {
    struct Case {
        TreePlace place;
        TreePlace selected;
        int sampleOf; // recording of patient 42 whose samples are shown, -1 none
        std::optional<SystemTime> recorded;
        QString rate, note;
    };
    const QString none;
    for (const Case& c : {
             Case{{1, -1}, {1, -1}, -1, {}, QStringLiteral("..."), none},
             Case{{1, 1}, {1, 1}, 1, at(3, 9, 1), QStringLiteral("61"), none},
             Case{{1, 2}, {1, 2}, 2, at(3, 9, 2), QStringLiteral("62"), QStringLiteral("tall T")},
             Case{{1, 3}, {}, -1, {}, QStringLiteral("..."), none},
             Case{{3, -1}, {}, -1, {}, QStringLiteral("..."), none},
             Case{{}, {}, -1, {}, QStringLiteral("..."), none},
         }) {
        SCOPED_TRACE(testing::Message() << c.place.patient << "/" << c.place.recording);
        AnalysisTreeModel tree = loaded(RecordingMode::Snap);
        tree.select({1, 0}); // something shown before
        EXPECT_TRUE(tree.select(c.place));
        EXPECT_EQ(tree.selected(), c.selected);
        EXPECT_EQ(tree.samples(),
                  c.sampleOf < 0
                      ? std::vector<int32_t>{}
                      : store(RecordingMode::Snap, "42").readSamples(c.sampleOf).value());
        const ListedRecording* shown = tree.selectedRecording();
        ASSERT_EQ(shown != nullptr, c.recorded.has_value());
        if (shown) {
            EXPECT_EQ(shown->entry.time.fields(), c.recorded->fields());
        }
        EXPECT_EQ(tree.rateText(), c.rate);
        EXPECT_EQ(tree.note(), c.note);
        EXPECT_TRUE(tree.message().isNone());
    }
}

// Another process changes the store between reading the tree and selecting
// or reading it again: a recording no longer held as listed is stale and
// dropped; the selection otherwise stays, both on a reload and on a tree read
// afresh (the page left and shown again) from what was remembered.
TEST_F(AnalysisTreeModelTest, StaleRecordingsAreRefusedAndReloadKeepsWhatIsStillListed) {
    const auto removeFirst = [this] {
        ASSERT_TRUE(store(RecordingMode::Snap, "42").remove(0).ok());
    };
    const auto replaceAll = [this] {
        ASSERT_TRUE(store(RecordingMode::Snap, "42").removeAll().ok());
        std::vector<SnapRecording> others;
        for (int i = 0; i < 3; ++i)
            others.push_back(snapRecording(uint64_t(30 + i), at(6, 9, i)));
        ASSERT_EQ(store(RecordingMode::Snap, "42").appendSnap(others).saved, 3);
    };
    const auto removePatient7 = [this] {
        PatientRegistry registry(root);
        ASSERT_TRUE(registry.remove(1, nullptr, QStringLiteral("7")).ok());
    };
    struct Case {
        const char* name;
        TreePlace selected;
        std::function<void()> change;
        RecordingMode reloadMode;
        bool stale; // selecting the old place again fails
        TreePlace after;
    };
    for (const Case& c : {
             Case{"unchanged", {1, 2}, [] {}, RecordingMode::Snap, false, {1, 2}},
             Case{"first removed", {1, 2}, removeFirst, RecordingMode::Snap, true, {}},
             Case{"before it removed", {1, 0}, removeFirst, RecordingMode::Snap, true, {}},
             Case{"replaced", {1, 0}, replaceAll, RecordingMode::Snap, true, {}},
             Case{"patient kept", {1, -1}, replaceAll, RecordingMode::Snap, false, {1, -1}},
             Case{"patient above removed",
                  {1, 1},
                  removePatient7,
                  RecordingMode::Snap,
                  false,
                  {0, 1}},
             Case{"other store", {1, 1}, [] {}, RecordingMode::Continuous, false, {}},
             Case{"nothing", {}, [] {}, RecordingMode::Snap, false, {}},
         }) {
        SCOPED_TRACE(c.name);
        fresh();
        AnalysisTreeModel tree = loaded(RecordingMode::Snap);
        ASSERT_TRUE(tree.select(c.selected));
        const AnalysisSelection kept = tree.remembered();
        c.change();
        if (c.stale) {
            EXPECT_FALSE(tree.select(c.selected));
            EXPECT_EQ(tree.message().id, ids::kRecordingGone);
            EXPECT_TRUE(tree.samples().empty());
        }
        EXPECT_EQ(tree.reload(c.reloadMode), c.after);
        EXPECT_EQ(tree.selected(), TreePlace{}); // the page selects the place again
        EXPECT_EQ(loaded(c.reloadMode).find(kept), c.after);
    }
}

TEST_F(AnalysisTreeModelTest, ExportWritesTheSelectionUnlessItIsStale) {
    struct Case {
        TreePlace place;
        bool removeFirst;
        int message;
        int asked;
    };
    for (const Case& c :
         {Case{{}, false, ids::kSelectForExport, 0}, Case{{1, 2}, true, ids::kRecordingGone, 0},
          Case{{1, 2}, false, 0, 1}, Case{{1, -1}, false, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << c.place.patient << "/" << c.place.recording);
        fresh();
        const QString out = root + QStringLiteral("/out.csv");
        AnalysisTreeModel tree = loaded(RecordingMode::Snap);
        tree.select(c.place);
        if (c.removeFirst) {
            ASSERT_TRUE(store(RecordingMode::Snap, "42").remove(0).ok());
        }
        SaveAs dialogs;
        dialogs.path = out;
        EXPECT_EQ(tree.exportForOtherTools(dialogs).id, c.message);
        EXPECT_EQ(dialogs.asked, c.asked);
        EXPECT_EQ(QFileInfo::exists(out), c.message == 0);
    }
}

} // namespace
