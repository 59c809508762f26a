#include "records/RecordsPageModel.h"
#include "StoreFixtures.h"
#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/ChartFile.h"
#include "records/RecordingNotes.h"
#include "records/RecordingTime.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <deque>

using namespace vantora;
using namespace vantora::test;

namespace {

// Answers the page's dialogs from a script and keeps what was asked.
struct ScriptedDialogs : RecordDialogs {
    std::deque<std::optional<QString>> files;
    std::optional<int> patient;
    std::optional<QString> noteText;
    QVector<FileRequest> fileRequests;
    QVector<NoteRequest> noteRequests;
    int picks = 0;

    std::optional<QString> chooseFile(const FileRequest& request) override {
        fileRequests.append(request);
        if (files.empty())
            return std::nullopt;
        std::optional<QString> answer = files.front();
        files.pop_front();
        return answer;
    }
    std::optional<int> pickPatient() override {
        ++picks;
        return patient;
    }
    std::optional<QString> editNote(const NoteRequest& request) override {
        noteRequests.append(request);
        return noteText;
    }
};

// Recorder types 3, 5 and 84 are stored as kinds 1, 0 and 13.
constexpr int kTypes[] = {3, 5, 84};

class RecordsPageModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Langpack::load(binDir() + QStringLiteral("/langpack.rcc")));
        registerPatient(root.path(), QStringLiteral("7"));
        registerPatient(root.path(), QStringLiteral("42"));
        std::vector<SnapRecording> recordings;
        for (int i = 0; i < 3; ++i)
            recordings.push_back(snapRecording(uint64_t(10 + i), at(3, 9, i), kTypes[i], 60 + i));
        ASSERT_EQ(snap42().appendSnap(recordings).saved, 3);
    }
    void TearDown() override { Langpack::unload(); }

    RecordingStore snap42() const {
        return RecordingStore(root.path(), RecordingMode::Snap, QStringLiteral("42"));
    }
    // A model after its first display with patient 42 selected.
    RecordsPageModel shown() {
        RecordsPageModel model(root.path(), RecordingMode::Snap);
        EXPECT_TRUE(model.firstDisplay(state, yes, dialogs).isEmpty());
        model.selectPatient(1);
        return model;
    }

    TempDataRoot root;
    AppState state;
    FixedPrompter yes{true};
    FixedPrompter no{false};
    ScriptedDialogs dialogs;
};

TEST_F(RecordsPageModelTest, SelectionReloadsOnlyWhenItMoves) {
    RecordsPageModel model(root.path(), RecordingMode::Snap);
    ASSERT_TRUE(model.firstDisplay(state, yes, dialogs).isEmpty());
    EXPECT_EQ(model.patients().currentRow(), 0);
    EXPECT_TRUE(model.recordings().empty()); // patient 7 has none
    EXPECT_EQ(model.currentRecording(), -1);
    EXPECT_TRUE(model.previewSamples().empty());
    EXPECT_EQ(model.gainCaption(), Langpack::text(ids::kGain) + QStringLiteral(" 10mm/1mv"));

    model.selectPatient(1);
    ASSERT_EQ(model.recordings().size(), 3u);
    EXPECT_EQ(model.recordings()[2].number, 3);
    EXPECT_EQ(localDateTime(model.recordings()[2].entry.time).toString("yyyy-MM-dd HH:mm"),
              QStringLiteral("2026-11-03 09:02"));
    EXPECT_EQ(model.currentRecording(), 0);
    const int revision = model.listRevision();
    model.selectPatient(1);
    EXPECT_EQ(model.listRevision(), revision);

    model.selectRecording(2);
    const std::vector<int32_t> samples = snap42().readSamples(2).value();
    ASSERT_EQ(samples.size(), 7500u);
    EXPECT_EQ(model.previewSamples(), samples);

    // The gain redraws the same recording; the selection stays.
    model.setGain(2);
    EXPECT_EQ(model.gain(), 2);
    EXPECT_EQ(model.currentRecording(), 2);
    EXPECT_EQ(model.previewSamples(), samples);
    EXPECT_EQ(model.listRevision(), revision);
    EXPECT_EQ(model.gainCaption(), Langpack::text(ids::kGain) + QStringLiteral(" 20mm/1mv"));
}

TEST_F(RecordsPageModelTest, InformationLineAndNote) {
    ASSERT_TRUE(RecordingNotes(root.path(), RecordingMode::Snap, QStringLiteral("42"))
                    .write(at(3, 9, 2), "tall T")
                    .ok());
    RecordsPageModel model = shown();
    struct Case {
        int row;
        QString line;
        QString note;
    };
    const Case cases[] = {{0, Langpack::text(ids::kTypeNormalRhythm), {}},
                          {1, QString(), {}}, // kind 0
                          {2, Langpack::text(ids::kTypeManual), QStringLiteral("tall T")}};
    for (const Case& c : cases) {
        model.selectRecording(c.row);
        EXPECT_EQ(model.infoLine(), c.line) << c.row;
        EXPECT_EQ(model.note(), c.note) << c.row;
    }

    // Continuous: the events of bits 0 and 3, one space between.
    std::vector<AcqPacket> packets = segment(5);
    packets[0].rhythmCode = 1;
    packets[1].rhythmCode = 4;
    const RecordingStore con(root.path(), RecordingMode::Continuous, QStringLiteral("7"));
    ASSERT_TRUE(con.appendContinuous(packets, at(4, 10, 0)).ok());
    RecordsPageModel continuous(root.path(), RecordingMode::Continuous);
    continuous.firstDisplay(state, yes, dialogs);
    ASSERT_EQ(continuous.recordings().size(), 1u);
    EXPECT_EQ(continuous.recordings()[0].entry.kind, 0b1001);
    EXPECT_EQ(continuous.infoLine(), Langpack::text(ids::kEventSinusRhythm) + u' ' +
                                         Langpack::text(ids::kEventIrregularRhythm));
    EXPECT_EQ(continuous.previewSamples(), con.readSamples(0).value());

    // The note dialog gets the patient and the start time; its text is shown.
    dialogs.noteText = QStringLiteral("new note");
    model.selectRecording(0);
    EXPECT_TRUE(model.editNote(dialogs).isNone());
    ASSERT_EQ(dialogs.noteRequests.size(), 1);
    EXPECT_EQ(dialogs.noteRequests[0].patientId, QStringLiteral("42"));
    EXPECT_EQ(dialogs.noteRequests[0].start, at(3, 9, 0));
    EXPECT_EQ(model.note(), QStringLiteral("new note"));
    EXPECT_EQ(model.infoLine(), Langpack::text(ids::kTypeNormalRhythm));
}

TEST_F(RecordsPageModelTest, DeleteOneAllAndTheQuestions) {
    RecordsPageModel model = shown();
    const QByteArray before = readAll(snap42().dataPath());

    model.selectRecording(1);
    EXPECT_TRUE(model.deleteRecordings(no).isNone());
    EXPECT_EQ(no.last().id, ids::kDeleteRecordingQuestion);
    EXPECT_EQ(readAll(snap42().dataPath()), before);
    EXPECT_EQ(model.currentRecording(), 1);

    EXPECT_TRUE(model.deleteRecordings(yes).isNone());
    ASSERT_EQ(model.recordings().size(), 2u);
    EXPECT_EQ(model.recordings()[1].number, 2); // renumbered
    EXPECT_EQ(model.recordings()[1].entry.time, at(3, 9, 2));
    EXPECT_EQ(model.currentRecording(), 0);

    model.setDeleteAll(true);
    EXPECT_TRUE(model.deleteRecordings(no).isNone());
    EXPECT_EQ(no.last(), (Message{ids::kDeleteAllQuestion, QStringLiteral("42")}));
    EXPECT_EQ(model.recordings().size(), 2u);

    // Deleting the only recording leaves the files with count 0.
    model.setDeleteAll(false);
    model.deleteRecordings(yes);
    model.deleteRecordings(yes);
    EXPECT_TRUE(model.recordings().empty());
    EXPECT_TRUE(model.previewSamples().empty());
    EXPECT_EQ(model.currentRecording(), -1);
    EXPECT_EQ(readAll(snap42().dataPath()).left(4), ByteWriter().i32(0).bytes());
    EXPECT_EQ(readAll(snap42().indexPath()).left(4), ByteWriter().i32(0).bytes());
    EXPECT_EQ(model.deleteRecordings(yes), (Message{ids::kSelectItem, {}}));

    RecordsPageModel empty(TempDataRoot().path(), RecordingMode::Snap);
    EXPECT_EQ(empty.deleteRecordings(yes), (Message{ids::kSelectPatient, {}}));
}

// The chart and the store afterwards, byte for byte.
TEST_F(RecordsPageModelTest, ExportOneAndAll) {
    const QByteArray data = readAll(snap42().dataPath());
    const QByteArray index = readAll(snap42().indexPath());
    constexpr int S = kSnapRecordBytes;
    auto item = [&](int k) {
        return ByteWriter()
            .u8(0x55)
            .u8(0xAA)
            .raw(index.mid(4 + k * 24 + 2, 22))
            .u8(0x55)
            .u8(0xAA)
            .raw(data.mid(4 + k * S + 2, S - 2))
            .bytes();
    };
    const QByteArray patient = PatientRegistry(root.path()).read(2).value().encode();

    RecordsPageModel model = shown();
    model.selectRecording(1);
    const QString one = root.file(QStringLiteral("one.cEcg"));
    dialogs.files = {one};
    const QString oneMoved = QStringLiteral("1 recording(s) to \"%1\"").arg(one);
    EXPECT_EQ(model.exportRecordings(yes, dialogs).message, (Message{ids::kExported, oneMoved}));
    EXPECT_EQ(yes.last(), (Message{ids::kExportQuestion, oneMoved}));
    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    const FileRequest& asked = dialogs.fileRequests[0];
    EXPECT_EQ(asked.title, QStringLiteral("Export"));
    EXPECT_EQ(asked.proposedName, QStringLiteral("Snap 42-2.cEcg"));
    EXPECT_EQ(asked.filters.size(), 2);
    EXPECT_EQ(asked.defaultSuffix, QStringLiteral("cEcg"));
    EXPECT_EQ(readAll(one), ByteWriter().i32(1).raw(patient).raw(item(1)).bytes());
    EXPECT_EQ(readAll(snap42().dataPath()).left(4 + 2 * S),
              ByteWriter().i32(2).raw(data.mid(4, S)).raw(data.mid(4 + 2 * S, S)).bytes());
    EXPECT_EQ(readAll(snap42().indexPath()).left(4 + 2 * 24),
              ByteWriter().i32(2).raw(index.mid(4, 24)).raw(index.mid(4 + 48, 24)).bytes());
    ASSERT_EQ(model.recordings().size(), 2u);
    EXPECT_EQ(model.currentRecording(), 0);

    model.setExportAll(true);
    const QString all = root.file(QStringLiteral("all.cEcg"));
    dialogs.files = {all};
    const QString twoMoved = QStringLiteral("2 recording(s) to \"%1\"").arg(all);
    EXPECT_EQ(model.exportRecordings(yes, dialogs).message, (Message{ids::kExported, twoMoved}));
    EXPECT_EQ(yes.last(), (Message{ids::kExportQuestion, twoMoved}));
    EXPECT_EQ(dialogs.fileRequests.last().proposedName, QStringLiteral("Snap 42.cEcg"));
    EXPECT_EQ(dialogs.fileRequests.last().filters, QStringList{"Chart Files (*.cEcg)"});
    EXPECT_EQ(readAll(all), ByteWriter().i32(2).raw(patient).raw(item(0)).raw(item(2)).bytes());
    EXPECT_TRUE(model.recordings().empty());
    EXPECT_EQ(readAll(snap42().dataPath()).left(4), ByteWriter().i32(0).bytes());
    EXPECT_EQ(model.exportRecordings(yes, dialogs).message, (Message{ids::kSelectItem, {}}));
}

// Declining the question moves nothing and writes no chart; a picture or a
// wrong extension is not asked about.
TEST_F(RecordsPageModelTest, ExportAsksBeforeRecordingsLeave) {
    RecordsPageModel model = shown();
    const QByteArray data = readAll(snap42().dataPath());
    const QByteArray index = readAll(snap42().indexPath());
    struct Case {
        bool all;
        QString name;
        int asked; // questions put
        QString moved;
    };
    const Case cases[] = {
        {false, QStringLiteral("one.cEcg"), 1, QStringLiteral("1 recording(s) to")},
        {true, QStringLiteral("all.CECG"), 1, QStringLiteral("3 recording(s) to")},
        {false, QStringLiteral("strip.bmp"), 0, {}},
        {true, QStringLiteral("strip.txt"), 0, {}},
    };
    for (const Case& c : cases) {
        FixedPrompter decline(false);
        model.setExportAll(c.all);
        const QString target = root.file(c.name);
        dialogs.files = {target};
        const RecordsPageModel::ExportOutcome out = model.exportRecordings(decline, dialogs);
        EXPECT_EQ(decline.asked(), c.asked) << c.name.toStdString();
        if (c.asked > 0) {
            EXPECT_TRUE(out.message.isNone()) << c.name.toStdString();
            EXPECT_EQ(decline.last(), (Message{ids::kExportQuestion,
                                               c.moved + QStringLiteral(" \"%1\"").arg(target)}));
        }
        EXPECT_FALSE(QFileInfo::exists(target)) << c.name.toStdString();
        EXPECT_EQ(readAll(snap42().dataPath()), data);
        EXPECT_EQ(readAll(snap42().indexPath()), index);
        EXPECT_EQ(model.recordings().size(), 3u);
    }
}

TEST_F(RecordsPageModelTest, ExportTargetsOtherThanACharts) {
    RecordsPageModel model = shown();
    const QByteArray data = readAll(snap42().dataPath());
    struct Case {
        QString name;
        int messageId;
        bool picture;
    };
    const Case cases[] = {{QStringLiteral("strip.BMP"), 0, true},
                          {QStringLiteral("strip.png"), ids::kNotChartName, false},
                          {QStringLiteral("strip"), ids::kNotChartName, false}};
    for (const Case& c : cases) {
        dialogs.files = {root.file(c.name)};
        const RecordsPageModel::ExportOutcome out = model.exportRecordings(yes, dialogs);
        EXPECT_EQ(out.message.id, c.messageId) << c.name.toStdString();
        EXPECT_EQ(out.picturePath.isEmpty(), !c.picture) << c.name.toStdString();
    }
    dialogs.files = {std::nullopt}; // cancelled
    EXPECT_TRUE(model.exportRecordings(yes, dialogs).message.isNone());
    EXPECT_EQ(readAll(snap42().dataPath()), data);
    EXPECT_EQ(model.recordings().size(), 3u);
}

TEST_F(RecordsPageModelTest, ImportRegistersAnUnknownPatientAndSelectsIt) {
    // A chart of patient 42 taken to another station that does not know 42.
    const QString chart = root.file(QStringLiteral("Snap 42.cEcg"));
    ASSERT_EQ(
        ChartFile(root.path(), RecordingMode::Snap).exportRecordings(2, -1, chart, yes).exported,
        3);
    TempDataRoot other;
    registerPatient(other.path(), QStringLiteral("5"));
    RecordsPageModel model(other.path(), RecordingMode::Snap);
    model.firstDisplay(state, yes, dialogs);

    dialogs.files = {chart};
    EXPECT_TRUE(model.importCommand(no, dialogs).isNone());
    EXPECT_EQ(no.last(), (Message{ids::kImportQuestion, QStringLiteral("42")}));
    EXPECT_EQ(model.patients().rowCount(), 1);
    const FileRequest& asked = dialogs.fileRequests[0];
    EXPECT_EQ(asked.title, Langpack::text(ids::kImportTitle));
    EXPECT_EQ(asked.filters[1], QStringLiteral("SD Card File(ECGDATA.dat) (ECGDATA.DAT)"));

    dialogs.files = {chart};
    EXPECT_TRUE(model.importCommand(yes, dialogs).isNone());
    ASSERT_EQ(model.patients().rowCount(), 2);
    EXPECT_EQ(model.patients().record(1), PatientRegistry(root.path()).read(2).value());
    EXPECT_EQ(model.patients().currentRow(), 1);
    EXPECT_EQ(model.recordings().size(), 3u);

    // The same chart offered in Continuous mode is refused.
    RecordsPageModel continuous(other.path(), RecordingMode::Continuous);
    continuous.firstDisplay(state, yes, dialogs);
    dialogs.files = {chart};
    EXPECT_EQ(continuous.importCommand(yes, dialogs).id, ids::kNotContinuousFile);
    // An extension the import does not know (compared case-sensitively).
    dialogs.files = {root.file(QStringLiteral("x.cecg"))};
    EXPECT_TRUE(model.importCommand(yes, dialogs).isNone());
}

TEST_F(RecordsPageModelTest, CardImportThroughThePicker) {
    // A card file of one record: the store's first recording behind a header.
    const QByteArray blocks = readAll(snap42().dataPath()).mid(4 + 2, kSnapBlockBytes);
    const QString card = root.file(QStringLiteral("ECGDATA.DAT"));
    SystemTime t = at(1, 8, 30);
    t.month = 12;
    ASSERT_TRUE(
        writeAll(card, ByteWriter().i32(1).raw(cardFileRecord(t, 600, 84, blocks)).bytes()));
    RecordsPageModel model(root.path(), RecordingMode::Snap);
    model.firstDisplay(state, yes, dialogs);

    dialogs.files = {card};
    EXPECT_TRUE(model.importCommand(yes, dialogs).isNone()); // picker cancelled
    EXPECT_EQ(dialogs.picks, 1);
    EXPECT_EQ(snap42().count().value(), 3);

    dialogs.patient = 1; // 0-based: patient 42
    dialogs.files = {card};
    EXPECT_TRUE(model.importCommand(yes, dialogs).isNone());
    EXPECT_EQ(model.patients().currentRow(), 1);
    ASSERT_EQ(model.recordings().size(), 4u);
    const RecordIndexEntry& entry = model.recordings()[3].entry;
    EXPECT_EQ(entry.kind, 13);
    EXPECT_EQ(entry.heartRate, 0);
    EXPECT_EQ(localDateTime(entry.time).toString("yyyy-MM-dd HH:mm"),
              QStringLiteral("2026-12-01 08:30"));
    EXPECT_EQ(snap42().readRecordData(3).value(), blocks);

    // A file whose recognition bytes all differ never reaches the picker.
    const QString foreign = root.file(QStringLiteral("OTHER.DAT"));
    ASSERT_TRUE(writeAll(foreign, ByteWriter().i32(1).zeros(7536).bytes()));
    dialogs.files = {foreign};
    EXPECT_EQ(model.importCommand(yes, dialogs).id, ids::kNotContinuousFile);
    dialogs.files = {root.file(QStringLiteral("missing.DAT"))};
    EXPECT_EQ(model.importCommand(yes, dialogs).id, ids::kCannotOpen);
    EXPECT_EQ(dialogs.picks, 2);
}

TEST_F(RecordsPageModelTest, StartedWithAChartImportsWithoutTheQuestion) {
    const QString chart = root.file(QStringLiteral("Snap 42-0.cEcg"));
    ASSERT_EQ(
        ChartFile(root.path(), RecordingMode::Snap).exportRecordings(2, 0, chart, yes).exported, 1);
    state.pendingFile = true;
    state.pendingPath = chart;
    RecordsPageModel model(root.path(), RecordingMode::Snap);
    EXPECT_TRUE(model.firstDisplay(state, no, dialogs).isEmpty());
    EXPECT_EQ(no.asked(), 0);
    EXPECT_FALSE(state.pendingFile);
    EXPECT_EQ(model.patients().currentRow(), 1);
    ASSERT_EQ(model.recordings().size(), 3u);
    EXPECT_EQ(model.recordings()[2].entry.time, at(3, 9, 0)); // appended at the end

    // A handed file that cannot be read: its message, and the first patient listed.
    const QString gone = root.file(QStringLiteral("gone.cEcg"));
    state.pendingFile = true;
    state.pendingPath = gone;
    RecordsPageModel failed(root.path(), RecordingMode::Snap);
    EXPECT_EQ(failed.firstDisplay(state, no, dialogs),
              QVector<Message>{(Message{ids::kCannotOpen, gone})});
    EXPECT_FALSE(state.pendingFile);
    EXPECT_EQ(failed.patients().currentRow(), 0);
    EXPECT_EQ(failed.listRevision(), 1);

    // Search moves to the matching patient and lists its recordings.
    model.patients().setSearchText(QStringLiteral("7"));
    EXPECT_TRUE(model.find().isNone());
    EXPECT_EQ(model.patients().currentRow(), 0);
    EXPECT_TRUE(model.recordings().empty());
    model.patients().setSearchText(QStringLiteral("8"));
    EXPECT_EQ(model.find(), (Message{ids::kNoIdMatch, QStringLiteral("8")}));
    EXPECT_TRUE(model.showAll().isNone());
    EXPECT_EQ(model.patients().currentRow(), 0);
}

TEST(FileRequestTest, TheTypedNameFollowsTheFileType) {
    struct Case {
        QString typed;
        QString filter;
        QString expected;
    };
    const Case cases[] = {
        {"Snap 42-3.cEcg", "Picture Files (*.bmp)", "Snap 42-3.bmp"},
        {"a.b.cEcg", "Picture Files (*.bmp)", "a.bmp"}, // cut at the first dot
        {"strip", "Chart Files (*.cEcg)", ".cEcg"},     // no dot: the bare extension
        {"x.cEcg", "SD Card File(ECGDATA.dat) (ECGDATA.DAT)", "x.DAT"},
        {"x.cEcg", "All (*)", "x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(nameForFilter(c.typed, c.filter), c.expected) << c.typed.toStdString();
}

} // namespace
