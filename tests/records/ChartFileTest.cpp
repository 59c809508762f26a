#include "records/ChartFile.h"
#include "StoreFixtures.h"
#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/SafeFileWriter.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

struct Station {
    TempDataRoot root;
    FixedPrompter yes{true};
    QString path(const QString& name) const { return root.file(name); }
    ChartFile charts(RecordingMode mode) const { return ChartFile(root.path(), mode); }
    RecordingStore store(RecordingMode mode, const QString& id) const {
        return RecordingStore(root.path(), mode, id);
    }
    // Files of the data root and both folders with their contents.
    QMap<QString, QByteArray> snapshot() const {
        QMap<QString, QByteArray> files;
        for (const QString& dir :
             {QString(), QStringLiteral("SnapData"), QStringLiteral("ContinueData")})
            for (const QString& f : QDir(root.file(dir)).entryList(QDir::Files))
                files[dir + u'/' + f] = readAll(root.file(dir + u'/' + f));
        return files;
    }
};

void fillSnap(const Station& s, const QString& id, int n, int seed = 0) {
    std::vector<SnapRecording> r;
    for (int i = 0; i < n; ++i)
        r.push_back(snapRecording(uint64_t(seed + i), at(2, 8, i), 3 + i, 60 + i));
    ASSERT_EQ(s.store(RecordingMode::Snap, id).appendSnap(r).saved, n);
}

void fillContinuous(const Station& s, const QString& id, int n, int seed = 0) {
    for (int i = 0; i < n; ++i)
        ASSERT_TRUE(s.store(RecordingMode::Continuous, id)
                        .appendContinuous(segment(uint64_t(seed + i)), at(3, 9, i))
                        .ok());
}

// A chart written field by field.
QByteArray chartBytes(const PatientRecord& patient, int32_t count, const QByteArray& items) {
    return ByteWriter().i32(count).raw(patient.encode()).raw(items).bytes();
}

// One Snap chart item: the entry, then the record, both behind 0x55 0xAA.
QByteArray snapItem(const SnapRecording& r, const SystemTime& t, uint16_t kind, uint16_t rate) {
    return ByteWriter()
        .raw(entryBytes(t, kind, rate))
        .u8(0x55)
        .u8(0xAA)
        .raw(blockBytes(r.blocks))
        .bytes();
}

} // namespace

TEST(ChartExport, ProposedNames) {
    EXPECT_EQ(ChartFile::proposedName(RecordingMode::Snap, QStringLiteral("42"), 3),
              QStringLiteral("Snap 42-4.cEcg"));
    EXPECT_EQ(ChartFile::proposedName(RecordingMode::Continuous, QStringLiteral("42"), -1),
              QStringLiteral("Continuous 42.cEcg"));
}

TEST(ChartExport, OneSnapRecordingByteForByte) {
    Station s;
    const int position = registerPatient(s.root.path(), QStringLiteral("42"));
    fillSnap(s, QStringLiteral("42"), 5);
    const auto store = s.store(RecordingMode::Snap, QStringLiteral("42"));
    const QByteArray record3 = store.readRecordData(3).value();
    const QString target =
        s.path(ChartFile::proposedName(RecordingMode::Snap, QStringLiteral("42"), 3));
    const ChartExportResult result =
        s.charts(RecordingMode::Snap).exportRecordings(position, 3, target, s.yes);
    EXPECT_TRUE(result.message.isNone());
    EXPECT_EQ(result.exported, 1);
    const QByteArray item = ByteWriter()
                                .raw(entryBytes(at(2, 8, 3), recordingTypeCode(6), 63))
                                .u8(0x55)
                                .u8(0xAA)
                                .raw(record3)
                                .bytes();
    const QByteArray chart = readAll(target);
    EXPECT_EQ(chart.size(), 4 + 1388 + 7541);
    EXPECT_EQ(chart, chartBytes(patientRecord(QStringLiteral("42")), 1, item));
    const auto left = store.listIndex().recordings;
    ASSERT_EQ(left.size(), 4u);
    EXPECT_EQ(left[3].entry.time, at(2, 8, 4));
    EXPECT_EQ(s.yes.asked(), 0); // a new target is not asked about
}

TEST(ChartExport, AllContinuousCarryTheirOwnMarkers) {
    Station s;
    const int position = registerPatient(s.root.path(), QStringLiteral("C1"));
    fillContinuous(s, QStringLiteral("C1"), 2);
    const QString target = s.path(QStringLiteral("all.CECG"));
    EXPECT_EQ(
        s.charts(RecordingMode::Continuous).exportRecordings(position, -1, target, s.yes).exported,
        2);
    const QByteArray chart = readAll(target);
    ASSERT_EQ(chart.size(), 1392 + 2 * 30026);
    for (int j = 0; j < 2; ++j) {
        EXPECT_EQ(chart.mid(1392 + j * 30026, 2), QByteArray("\x77\xEE"));
        EXPECT_EQ(chart.mid(1392 + j * 30026 + 24, 2), QByteArray("\x77\xEE"));
    }
    EXPECT_EQ(s.store(RecordingMode::Continuous, QStringLiteral("C1")).count().value(), 0);
}

TEST(ChartExport, TargetsQuestionsAndRefusals) {
    Station s;
    const int position = registerPatient(s.root.path(), QStringLiteral("E"));
    fillSnap(s, QStringLiteral("E"), 2);
    const ChartFile charts = s.charts(RecordingMode::Snap);
    EXPECT_TRUE(charts.exportRecordings(position, 0, s.path(QStringLiteral("x.BMP")), s.yes)
                    .pictureRequested);
    EXPECT_EQ(charts.exportRecordings(position, 0, s.path(QStringLiteral("x.txt")), s.yes).message,
              (Message{ids::kNotChartName, {}}));
    EXPECT_EQ(
        charts.exportRecordings(position, 2, s.path(QStringLiteral("x.cEcg")), s.yes).message.id,
        ids::kNoRecordingNumber);
    const QString existing = s.path(QStringLiteral("old.cEcg"));
    writeAll(existing, "keep");
    FixedPrompter no(false);
    const auto before = s.snapshot();
    EXPECT_TRUE(charts.exportRecordings(position, 0, existing, no).declined);
    EXPECT_EQ(no.last(), (Message{ids::kReplaceQuestion, QStringLiteral("old.cEcg")}));
    EXPECT_EQ(s.snapshot(), before);
    EXPECT_EQ(charts.exportRecordings(position, -1, existing, s.yes).exported, 2);
    EXPECT_EQ(readAll(existing).size(), 1392 + 2 * 7541);
    EXPECT_EQ(charts.exportRecordings(position, -1, existing, s.yes).message,
              (Message{ids::kNoRecordingsOfKind, QStringLiteral("E")}));
}

TEST(ChartExport, FailedWriteLeavesEverythingAsItWas) {
    for (qint64 cut : {0LL, 3LL, 1391LL, 1400LL, 1392LL + 7541LL, 1392LL + 2 * 7541LL + 3,
                       1392LL + 3 * 7541LL + 2}) {
        Station s;
        const int position = registerPatient(s.root.path(), QStringLiteral("F"));
        fillSnap(s, QStringLiteral("F"), 3);
        const auto before = s.snapshot();
        BinaryFile::failWritesAfter(cut);
        const ChartExportResult r =
            s.charts(RecordingMode::Snap)
                .exportRecordings(position, -1, s.path(QStringLiteral("f.cEcg")), s.yes);
        BinaryFile::failWritesAfter(-1);
        // A full disk while the chart is written names the chart and why;
        // past the chart's end it is the store's removal that fails.
        const qint64 chartBytes = 1392 + 3 * 7541;
        const QString chart = s.path(QStringLiteral("f.cEcg"));
        const Message expected = cut < chartBytes
                                     ? Message{ids::kChartNotWritten,
                                               chart + QStringLiteral(": No space left on device")}
                                     : Message{ids::kExportFailed, {}};
        EXPECT_EQ(r.message, expected) << cut;
        EXPECT_EQ(s.snapshot(), before) << cut;
    }
}

TEST(ChartImport, RoundTripsBothModes) {
    for (RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
        Station s;
        const int position = registerPatient(s.root.path(), QStringLiteral("R"));
        mode == RecordingMode::Snap ? fillSnap(s, QStringLiteral("R"), 3)
                                    : fillContinuous(s, QStringLiteral("R"), 3);
        const auto store = s.store(mode, QStringLiteral("R"));
        const auto entries = store.listIndex().recordings;
        std::vector<std::vector<int32_t>> samples;
        for (int k = 0; k < 3; ++k)
            samples.push_back(store.readSamples(k).value());
        const QString chart = s.path(QStringLiteral("r.cEcg"));
        ASSERT_EQ(s.charts(mode).exportRecordings(position, -1, chart, s.yes).exported, 3);
        const ChartImportResult in = s.charts(mode).importChart(chart, s.yes);
        EXPECT_TRUE(in.message.isNone()) << toInt(mode);
        EXPECT_EQ(in.imported, 3);
        EXPECT_FALSE(in.registered);
        EXPECT_EQ(s.yes.last(), (Message{ids::kImportQuestion, QStringLiteral("R")}));
        const auto back = store.listIndex().recordings;
        ASSERT_EQ(back.size(), 3u);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(back[size_t(k)].entry.time, entries[size_t(k)].entry.time);
            EXPECT_EQ(back[size_t(k)].entry.heartRate, entries[size_t(k)].entry.heartRate);
            EXPECT_EQ(store.readSamples(k).value(), samples[size_t(k)]);
        }
        // Continuous records keep the chart's markers in the store.
        const QByteArray marker = readAll(store.dataPath()).mid(4, 2);
        EXPECT_EQ(marker,
                  mode == RecordingMode::Snap ? QByteArray("\x55\xAA") : QByteArray("\x77\xEE"));
    }
}

TEST(ChartImport, WrongKindIsRefused) {
    Station s;
    const int position = registerPatient(s.root.path(), QStringLiteral("W"));
    fillSnap(s, QStringLiteral("W"), 1);
    fillContinuous(s, QStringLiteral("W"), 1);
    const QString snapChart = s.path(QStringLiteral("s.cEcg"));
    const QString conChart = s.path(QStringLiteral("c.cEcg"));
    s.charts(RecordingMode::Snap).exportRecordings(position, 0, snapChart, s.yes);
    s.charts(RecordingMode::Continuous).exportRecordings(position, 0, conChart, s.yes);
    EXPECT_EQ(s.charts(RecordingMode::Snap).importChart(conChart, s.yes).message,
              (Message{ids::kNotSnapFile, {}}));
    EXPECT_EQ(s.charts(RecordingMode::Continuous).importChart(snapChart, s.yes).message,
              (Message{ids::kNotContinuousFile, {}}));
    EXPECT_EQ(s.charts(RecordingMode::Snap)
                  .importChart(s.path(QStringLiteral("none.cEcg")), s.yes)
                  .message,
              (Message{ids::kCannotOpen, s.path(QStringLiteral("none.cEcg"))}));
}

TEST(ChartImport, UnknownPatientIsRegisteredWithAllFields) {
    Station s;
    registerPatient(s.root.path(), QStringLiteral("other"));
    PatientRecord patient = patientRecord(QStringLiteral("NEW9"));
    patient.date = QStringLiteral("1/2/1960");
    patient.revision = 10;
    const SnapRecording r = snapRecording(5, at(4, 4, 4));
    const QByteArray item = snapItem(r, at(4, 4, 4), 2, 66);
    const QString chart = s.path(QStringLiteral("new.cEcg"));
    writeAll(chart, chartBytes(patient, 1, item));
    // A stale index of an id nobody owns must not survive.
    writeAll(paths::snapIndex(s.root.path(), QStringLiteral("NEW9")), ByteWriter().i32(7).bytes());
    const ChartImportResult in = s.charts(RecordingMode::Snap).importChart(chart, s.yes);
    EXPECT_TRUE(in.message.isNone());
    EXPECT_TRUE(in.registered);
    const PatientList list = PatientRegistry(s.root.path()).loadAll();
    ASSERT_EQ(list.records.size(), 2);
    EXPECT_EQ(list.records[1], patient);
    const auto store = s.store(RecordingMode::Snap, QStringLiteral("NEW9"));
    EXPECT_EQ(readAll(store.indexPath()),
              ByteWriter().i32(1).raw(entryBytes(at(4, 4, 4), 2, 66)).bytes());
    EXPECT_EQ(store.readSamples(0).value(), decodeSnapBlocks(r.blocks));
}

TEST(ChartImport, IdsMatchingUpToCaseGoToTheRegisteredSpelling) {
    Station s;
    const int position = registerPatient(s.root.path(), QStringLiteral("ABC"));
    fillSnap(s, QStringLiteral("ABC"), 1);
    PatientRecord lower = patientRecord(QStringLiteral("abc"));
    const SnapRecording r = snapRecording(8, at(5, 5, 5));
    const QByteArray item = snapItem(r, at(5, 5, 5), 1, 70);
    const QString chart = s.path(QStringLiteral("abc.cEcg"));
    writeAll(chart, chartBytes(lower, 1, item));
    const ChartImportResult in = s.charts(RecordingMode::Snap).importChart(chart, s.yes);
    EXPECT_TRUE(in.message.isNone());
    EXPECT_EQ(in.patientId, QStringLiteral("ABC"));
    EXPECT_FALSE(in.registered);
    EXPECT_EQ(s.store(RecordingMode::Snap, QStringLiteral("ABC")).count().value(), 2);
    EXPECT_FALSE(QFile::exists(paths::snapData(s.root.path(), QStringLiteral("abc"))));
    EXPECT_EQ(PatientRegistry(s.root.path()).loadAll().records.size(), 1);
    Q_UNUSED(position);
}

TEST(ChartImport, Capacity5760) {
    Station s;
    registerPatient(s.root.path(), QStringLiteral("CAP"));
    const auto store = s.store(RecordingMode::Snap, QStringLiteral("CAP"));
    writeCountedFile(store.dataPath(), 5700, kSnapRecordBytes);
    writeCountedFile(store.indexPath(), 5700, RecordIndexEntry::kBytes);
    const SnapRecording r = snapRecording(9, at(6, 6, 6));
    const QByteArray one = snapItem(r, at(6, 6, 6), 1, 70);
    const QString chart = s.path(QStringLiteral("cap.cEcg"));
    writeAll(chart, chartBytes(patientRecord(QStringLiteral("CAP")), 61, one.repeated(61)));
    const QByteArray index = readAll(store.indexPath());
    EXPECT_EQ(s.charts(RecordingMode::Snap).importChart(chart, s.yes).message,
              (Message{ids::kStoreFull, QStringLiteral("CAP")}));
    EXPECT_EQ(readAll(store.indexPath()), index);
    writeAll(chart, chartBytes(patientRecord(QStringLiteral("CAP")), 60, one.repeated(60)));
    EXPECT_EQ(s.charts(RecordingMode::Snap).importChart(chart, s.yes).imported, 60);
    EXPECT_EQ(store.count().value(), 5760);
    EXPECT_EQ(store.readEntry(5759).value().time, at(6, 6, 6));
}

TEST(ChartImport, DamagedChartsAndUnusableIdsRegisterNothing) {
    Station s;
    const SnapRecording r = snapRecording(10, at(7, 7, 7));
    const QByteArray item = snapItem(r, at(7, 7, 7), 1, 70);
    const QString chart = s.path(QStringLiteral("bad.cEcg"));
    const auto changed = [&item](int offset, char value) {
        QByteArray bad = item;
        bad[offset] = value;
        return bad;
    };
    SystemTime month13 = at(7, 7, 7);
    month13.month = 13;
    SystemTime hour99 = at(7, 7, 7);
    hour99.hour = 99;
    const auto secondItem = [&](const QByteArray& bad) {
        return chartBytes(patientRecord(QStringLiteral("D")), 2, item + bad);
    };
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"entry marker", secondItem(changed(1, char(0xEE)))},
        {"record marker", secondItem(changed(24, 0x77))},
        {"month 13", secondItem(snapItem(r, month13, 1, 70))},
        {"hour 99", secondItem(snapItem(r, hour99, 1, 70))},
        {"lone surrogate in the id",
         chartBytes(patientRecord(QString(QChar(0xD800)) + QStringLiteral("1")), 1, item)},
        {"negative count", chartBytes(patientRecord(QStringLiteral("D")), -1, item)},
        {"zero count", chartBytes(patientRecord(QStringLiteral("D")), 0, item)},
        {"count beyond the file", chartBytes(patientRecord(QStringLiteral("D")), 2, item)},
        {"count above capacity", chartBytes(patientRecord(QStringLiteral("D")), 5761, item)},
        {"path in the id", chartBytes(patientRecord(QStringLiteral("../D")), 1, item)},
        {"separator in the id", chartBytes(patientRecord(QStringLiteral("a/b")), 1, item)},
        {"id of 16 characters", ByteWriter()
                                    .i32(1)
                                    .raw(QByteArray("7\0", 2).repeated(16)) // no terminator
                                    .raw(patientRecord(QStringLiteral("D")).encode().mid(32))
                                    .raw(item)
                                    .bytes()},
    };
    // The chart's patient new, then listed without store files (a rewrite
    // that opened the store would leave two empty files behind).
    for (const bool listed : {false, true}) {
        if (listed) {
            EXPECT_EQ(PatientRegistry(s.root.path()).count().value(), 0);
            registerPatient(s.root.path(), QStringLiteral("D"));
        }
        for (const Case& c : cases) {
            writeAll(chart, c.bytes);
            const auto before = s.snapshot();
            EXPECT_EQ(s.charts(RecordingMode::Snap).importChart(chart, s.yes).message,
                      (Message{ids::kDamagedFile, chart}))
                << c.what << " listed " << listed;
            EXPECT_EQ(s.snapshot(), before) << c.what << " listed " << listed;
        }
    }
}

TEST(ChartImport, DeclinedQuestionAndPendingFileSkipsIt) {
    Station s;
    const int position = registerPatient(s.root.path(), QStringLiteral("Q"));
    fillSnap(s, QStringLiteral("Q"), 1);
    const QString chart = s.path(QStringLiteral("q.cEcg"));
    s.charts(RecordingMode::Snap).exportRecordings(position, 0, chart, s.yes);
    FixedPrompter no(false);
    EXPECT_TRUE(s.charts(RecordingMode::Snap).importChart(chart, no).declined);
    EXPECT_EQ(s.store(RecordingMode::Snap, QStringLiteral("Q")).count().value(), 0);
    EXPECT_EQ(s.charts(RecordingMode::Snap).importChart(chart, no, false).imported, 1);
    EXPECT_EQ(no.asked(), 1);
}

// An import that fails part-way leaves registry and store exactly as they were.
TEST(ChartImport, FailedWritesLeaveEverythingAsItWas) {
    for (bool known : {true, false}) {
        Station s;
        const int position = registerPatient(s.root.path(), QStringLiteral("T"));
        fillContinuous(s, QStringLiteral("T"), 3);
        const QString chart = s.path(QStringLiteral("t.cEcg"));
        ASSERT_EQ(s.charts(RecordingMode::Continuous)
                      .exportRecordings(position, -1, chart, s.yes)
                      .exported,
                  3);
        if (known)
            fillContinuous(s, QStringLiteral("T"), 2, 30);
        else // the chart names a patient the registry does not hold
            ASSERT_TRUE(PatientRegistry(s.root.path()).remove(position, nullptr).ok());
        const auto before = s.snapshot();
        const qint64 total = 8 + (known ? 5 : 3) * (30002 + 24) + (known ? 0 : 1392);
        for (qint64 cut = 0; cut < total; cut += 7001) {
            BinaryFile::failWritesAfter(cut);
            const ChartImportResult r =
                s.charts(RecordingMode::Continuous).importChart(chart, s.yes);
            BinaryFile::failWritesAfter(-1);
            EXPECT_FALSE(r.message.isNone()) << cut;
            EXPECT_EQ(s.snapshot(), before) << known << " " << cut;
        }
        const ChartImportResult r = s.charts(RecordingMode::Continuous).importChart(chart, s.yes);
        EXPECT_TRUE(r.message.isNone());
        EXPECT_EQ(s.store(RecordingMode::Continuous, QStringLiteral("T")).count().value(),
                  known ? 5 : 3);
    }
}
