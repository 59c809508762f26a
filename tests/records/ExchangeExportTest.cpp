// EDF+ and CSV exports read back by an independent reader: biosig's save2gdf
// for EDF+ (header as JSON, samples as ASCII), the CSV text parsed here.
#include "records/ExchangeExport.h"
#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/EdfExport.h"
#include "records/PatientRegistry.h"
#include "records/RecordDialogs.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "support/TestData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace vantora;

namespace {

// Segment s: a ramp over the whole 10-bit range, one sample pushed to
// 512 + 175 * 3 + 1 (widens the range to 4 mV) in segment 1.
std::vector<AcqPacket> segment(int s) {
    std::vector<AcqPacket> packets(1875);
    for (int i = 0; i < 7500; ++i)
        packets[size_t(i / 4)].samples[size_t(i % 4)] = (i * 7 + s * 101) % 1024;
    if (s == 1)
        packets[100].samples[2] = 512 + 175 * 3 + 1;
    for (AcqPacket& p : packets)
        p.heartRate = 70;
    return packets;
}

SystemTime endAt(int hour, int minute, int second) {
    return SystemTime::fromDateTime(QDateTime(QDate(2026, 3, 14), QTime(hour, minute, second)));
}

QByteArray run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("save2gdf"), args);
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

class ExchangeExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("save2gdf").isEmpty())
            GTEST_SKIP() << "save2gdf (biosig-tools) is not installed; scripts/deps installs it";
        ASSERT_TRUE(Langpack::load(test::binDir() + QStringLiteral("/langpack.rcc")));
        patient_.id = "P7";
        patient_.name = "Anna Berg";
        patient_.sex = sexText(1);
        patient_.date = formatPatientDate(QDate(1964, 2, 12));
        patient_.revision = 8;
        ASSERT_TRUE(PatientRegistry(root_.path()).appendRecord(patient_).ok());
        const RecordingStore store(root_.path(), RecordingMode::Continuous, patient_.id);
        // Three segments that follow each other, then one after a gap.
        const SystemTime ends[] = {endAt(9, 0, 30), endAt(9, 1, 0), endAt(9, 1, 30),
                                   endAt(10, 0, 30)};
        for (int s = 0; s < 4; ++s)
            ASSERT_TRUE(store.appendContinuous(segment(s), ends[s]).ok());
        ASSERT_TRUE(RecordingNotes(root_.path(), RecordingMode::Continuous, patient_.id)
                        .write(ends[1], "ST up after stairs")
                        .ok());
    }
    test::TempDataRoot root_;
    PatientRecord patient_;
};

} // namespace

TEST_F(ExchangeExportTest, EdfPlusHeaderSamplesAndAnnotations) {
    auto set = readExchangeSet(root_.path(), RecordingMode::Continuous, patient_, -1);
    ASSERT_TRUE(set.ok());
    ASSERT_EQ(set.value().recordings.size(), 4u);
    const QString path = root_.file("out.edf");
    const Result<QStringList> written = writeEdf(set.value(), path);
    ASSERT_TRUE(written.ok());
    ASSERT_EQ(written.value(), (QStringList{path, root_.file("out-2.edf")}));

    const struct {
        QString file;
        std::vector<int> segments;
        const char* start;
        int millivolts;
    } files[] = {{path, {0, 1, 2}, "2026-03-14 09:00:00", 4},
                 {root_.file("out-2.edf"), {3}, "2026-03-14 10:00:00", 3}};
    for (const auto& f : files) {
        const QJsonObject h = QJsonDocument::fromJson(run({"-JSON", f.file})).object();
        EXPECT_EQ(h["TYPE"].toString(), "EDF");
        EXPECT_EQ(h["NumberOfSamples"].toInt(), 7500 * int(f.segments.size()));
        // The reader keeps the start as a fraction of a day: within a second.
        const QDateTime start = QDateTime::fromString(h["StartOfRecording"].toString().left(19),
                                                      QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        EXPECT_LE(std::abs(start.secsTo(QDateTime::fromString(f.start, "yyyy-MM-dd HH:mm:ss"))), 1)
            << h["StartOfRecording"].toString().toStdString();
        EXPECT_EQ(h["Patient"]["Id"].toString(), "P7");
        EXPECT_EQ(h["Patient"]["Gender"].toString(), "Female");
        const QJsonObject ecg = h["CHANNEL"][0].toObject();
        EXPECT_EQ(ecg["Label"].toString(), "ECG");
        EXPECT_EQ(ecg["PhysicalUnit"].toString(), "mV");
        EXPECT_EQ(ecg["Samplingrate"].toDouble(), 250.0);
        EXPECT_EQ(ecg["PhysicalMaximum"].toDouble(), f.millivolts);
        EXPECT_EQ(ecg["DigitalMinimum"].toDouble(), 512 - 175 * f.millivolts);
        // The EDF+ patient field: code, sex, birth date, name.
        const QByteArray raw = test::readAll(f.file);
        EXPECT_EQ(raw.mid(8, 80).trimmed(), "P7 F 12-FEB-1964 Anna_Berg");

        // Samples as the reader scales them, (count - 512) / 175 mV, printed
        // with 6 significant digits.
        const QString ascii = root_.file("ascii");
        run({"-f=ASCII", f.file, ascii});
        const QList<QByteArray> values = test::readAll(ascii + ".a01").split('\n');
        ASSERT_GE(values.size(), qsizetype(7500 * f.segments.size()));
        for (size_t n = 0; n < f.segments.size(); ++n) {
            const auto& samples = set.value().recordings[size_t(f.segments[n])].samples;
            for (size_t i = 0; i < 7500; i += 37)
                ASSERT_NEAR(values[qsizetype(n * 7500 + i)].toDouble(), (samples[i] - 512) / 175.0,
                            5e-6)
                    << n << " " << i;
        }
    }
    // Annotations of the first file: each recording at its second, the note.
    const QJsonArray events =
        QJsonDocument::fromJson(run({"-JSON", path})).object()["EVENT"].toArray();
    QStringList texts;
    for (const QJsonValue& e : events)
        texts << QStringLiteral("%1 %2").arg(e["POS"].toDouble()).arg(e["Description"].toString());
    EXPECT_TRUE(texts.contains("0 Recording 1")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("30 Recording 2")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("30 ST up after stairs")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("60 Recording 3")) << texts.join('|').toStdString();
}

// Texts that survive the trip: a note longer than an annotation holds (40
// bytes in EDFlib) is split between characters, so every annotation is valid
// UTF-8 and the annotations at the recording's start give the whole note
// back; the ASCII patient field gets the name without its accents.
TEST_F(ExchangeExportTest, LongNotesAndAccentedNamesSurviveTheTrip) {
    auto set = readExchangeSet(root_.path(), RecordingMode::Continuous, patient_, 3);
    ASSERT_TRUE(set.ok());
    ASSERT_EQ(set.value().recordings.size(), 1u);
    const struct {
        const char* name;
        const char* field; // the EDF+ name subfield
        const char* note;
    } cases[] = {
        {"Élodie Dubois", "Elodie_Dubois",
         "Douleur thoracique après l'effort, éèàç — contrôle dans deux semaines"},
        {"Zoë Müller-Łukasiewicz", "Zoe_Muller-Lukasiewicz",
         "ÄÖÜäöüßÄÖÜäöüßÄÖÜäöüßÄÖÜäöüß: jeder Buchstabe zwei Bytes"},
        {"Øystein Æbeltoft Œuvre Đorđe", "Oystein_AEbeltoft_OEuvre_Dorde",
         "心电图显示窦性心律，无明显异常，建议复查 🫀🫀🫀 ✓"},
    };
    for (const auto& c : cases) {
        set.value().patient.name = QString::fromUtf8(c.name);
        set.value().recordings[0].note = QString::fromUtf8(c.note);
        const QString path = root_.file("texts.edf");
        ASSERT_TRUE(writeEdf(set.value(), path).ok()) << c.name;
        EXPECT_EQ(test::readAll(path).mid(8, 80).trimmed(),
                  QByteArray("P7 F 12-FEB-1964 ") + c.field);
        QString joined;
        const QByteArray json = run({"-JSON", path});
        for (const QJsonValue& e : QJsonDocument::fromJson(json).object()["EVENT"].toArray()) {
            const QString text = e["Description"].toString();
            EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << text.toStdString();
            EXPECT_LE(text.toUtf8().size(), 40) << text.toStdString();
            if (!text.startsWith(QLatin1String("Recording ")))
                joined += text;
        }
        EXPECT_EQ(joined, QString::fromUtf8(c.note)) << json.toStdString();
    }
}

TEST_F(ExchangeExportTest, CsvRowsInSecondsAndMillivolts) {
    auto set = readExchangeSet(root_.path(), RecordingMode::Continuous, patient_, -1);
    ASSERT_TRUE(set.ok());
    const QList<QByteArray> lines = exchangeCsv(set.value()).split('\n');
    ASSERT_TRUE(lines[0].startsWith("# patient: P7, Anna Berg"));
    EXPECT_TRUE(lines[2].contains("start 2026-03-14T09:00:30") &&
                lines[2].contains("note: ST up after stairs"))
        << lines[2].toStdString();
    ASSERT_EQ(lines[5], "recording,time_s,mV");
    // Rows of recording 4 start an hour after recording 1.
    const struct {
        int row;
        int recording;
        double seconds;
        int sample;
    } rows[] = {{0, 1, 0.0, 0},
                {7499, 1, 29.996, 7499},
                {7500, 2, 30.0, 0},
                {22500, 4, 3600.0, 0},
                {29999, 4, 3629.996, 7499}};
    for (const auto& r : rows) {
        const QList<QByteArray> cells = lines[6 + r.row].split(',');
        ASSERT_EQ(cells.size(), 3) << r.row;
        EXPECT_EQ(cells[0].toInt(), r.recording) << r.row;
        EXPECT_DOUBLE_EQ(cells[1].toDouble(), r.seconds) << r.row;
        const int32_t count =
            set.value().recordings[size_t(r.recording - 1)].samples[size_t(r.sample)];
        EXPECT_NEAR(cells[2].toDouble(), (count - 512) / 175.0, 5e-7) << r.row;
    }
    EXPECT_EQ(lines.size(), 6 + 30000 + 1); // the last line ends with a newline
}

namespace {

// Answers the save dialog with a fixed path (none: cancelled).
struct SavePath : RecordDialogs {
    std::optional<QString> path;
    QList<FileRequest> asked;
    std::optional<QString> chooseFile(const FileRequest& request) override {
        asked << request;
        return path;
    }
    std::optional<int> pickPatient() override { return std::nullopt; }
    std::optional<QString> editNote(const NoteRequest&) override { return std::nullopt; }
};

} // namespace

// The record page's "Export for other tools": the type by the chosen name.
TEST_F(ExchangeExportTest, ExportForOtherToolsByTheChosenType) {
    SavePath dialogs;
    EXPECT_EQ(exportForOtherTools(root_.path(), RecordingMode::Continuous, nullptr, 0, dialogs).id,
              ids::kSelectForExport);
    EXPECT_TRUE(dialogs.asked.isEmpty());
    EXPECT_TRUE(exportForOtherTools(root_.path(), RecordingMode::Continuous, &patient_, 0, dialogs)
                    .isNone());
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].proposedName, "P7.edf");
    EXPECT_EQ(dialogs.asked[0].filters.size(), 2);

    dialogs.path = root_.file("two.CSV");
    ASSERT_TRUE(exportForOtherTools(root_.path(), RecordingMode::Continuous, &patient_, 1, dialogs)
                    .isNone());
    EXPECT_EQ(test::readAll(root_.file("two.CSV")).count('\n'), 3 + 7500);
    dialogs.path = root_.file("three.edf");
    ASSERT_TRUE(exportForOtherTools(root_.path(), RecordingMode::Continuous, &patient_, 2, dialogs)
                    .isNone());
    const QJsonObject h = QJsonDocument::fromJson(run({"-JSON", root_.file("three.edf")})).object();
    EXPECT_EQ(h["NumberOfSamples"].toInt(), 7500);
    dialogs.path = root_.file("missing/x.edf");
    EXPECT_EQ(exportForOtherTools(root_.path(), RecordingMode::Continuous, &patient_, 2, dialogs),
              (Message{ids::kFileNotWritten,
                       root_.file("missing/x.edf") + ": No such file or directory"}));
    // All four: two runs, two files, and the message lists them.
    dialogs.path = root_.file("all.edf");
    EXPECT_EQ(
        exportForOtherTools(root_.path(), RecordingMode::Continuous, &patient_, -1, dialogs),
        (Message{ids::kSeveralFiles, root_.file("all.edf") + '\n' + root_.file("all-2.edf")}));
    // The store keeps all four.
    EXPECT_EQ(RecordingStore(root_.path(), RecordingMode::Continuous, patient_.id).count().value(),
              4);
}
