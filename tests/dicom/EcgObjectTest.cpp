// The DICOM objects of recordings: checked by dciodvfy, read back by pydicom
// (an independent reader) in millivolts and codes, taken back into a second
// data folder byte for byte, and refused when they are not the station's.
#include "dicom/EcgObject.h"

#include "core/DataPaths.h"
#include "core/SignalFormat.h"
#include "core/StringIds.h"
#include "dicom/DicomDataset.h"
#include "dicom/EcgObjectParts.h"
#include "dicom/StudyLinks.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "support/CliRunner.h"
#include "support/TestData.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <gtest/gtest.h>

#include <functional>

using namespace vantora;

namespace {

// Reads both objects as a viewer would and prints what it found.
const char* kPydicomReader = R"(
import json, sys, pydicom
w = pydicom.dcmread(sys.argv[1]); r = pydicom.dcmread(sys.argv[2])
ch = w.WaveformSequence[0].ChannelDefinitionSequence[0]
out = {
  "mv": [float(v) / 1000 for v in w.waveform_array(0)[:, 0]],
  "lead": [ch.ChannelSourceSequence[0].CodeValue, ch.ChannelSourceSequence[0].CodingSchemeDesignator],
  "units": ch.ChannelSensitivityUnitsSequence[0].CodeValue,
  "annotations": [], "note": "",
  "patient": [w.PatientID, r.PatientID], "study": [w.StudyInstanceUID, r.StudyInstanceUID],
  "modality": [w.Modality, r.Modality], "title": r.DocumentTitle,
}
for a in w.WaveformAnnotationSequence:
  if "UnformattedTextValue" in a: out["note"] = a.UnformattedTextValue; continue
  out["annotations"].append([a.ConceptNameCodeSequence[0].CodeValue,
      a.ConceptNameCodeSequence[0].CodingSchemeDesignator,
      a.MeasurementUnitsCodeSequence[0].CodeValue, float(a.NumericValue)])
pdf = bytes(r.EncapsulatedDocument)[:int(r.EncapsulatedDocumentLength)]
out["pdf"] = pdf.startswith(b"%PDF-") and pdf.rstrip().endswith(b"%%EOF")
print(json.dumps(out))
)";

QString runTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return QStringLiteral("did not finish");
    return QString::fromUtf8(p.readAll());
}

QByteArray edited(const QByteArray& file, const std::function<void(DcmDataset&)>& edit) {
    auto parsed = dicom::readPart10(file);
    if (!parsed)
        return {};
    edit(*parsed.value()->getDataset());
    return dicom::part10Bytes(*parsed.value());
}

DcmItem& waveformGroup(DcmDataset& data) {
    DcmItem* group = nullptr;
    data.findAndGetSequenceItem(DCM_WaveformSequence, group, 0);
    return *group;
}

class EcgObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(test::runCli({"demo", "--data", a.path()}).exitCode, 0);
        // The second station knows the patients but has none of their recordings.
        ASSERT_TRUE(QFile::copy(paths::registry(a.path()), paths::registry(b.path())));
    }
    test::CliRun cli(const QStringList& args) const {
        return test::runCli(QStringList{"--data", a.path(), "--json"} + args);
    }
    DicomObject waveform(RecordingMode mode, int number, const QString& id = "1001") const {
        auto built = buildRecordingObjects(a.path(), {id, mode, number}, "STATION_A", false);
        EXPECT_TRUE(built.ok()) << built.message().id << " " << built.message().arg.toStdString();
        return built.value().waveform;
    }
    test::TempDataRoot a;
    test::TempDataRoot b;
};

TEST_F(EcgObjectTest, ObjectsPassTheCheckerAndReadBackInMillivoltsWithCodedResults) {
    struct Case {
        const char* mode;
        const char* note;
    };
    const Case cases[] = {{"snap", "Sinus rhythm, checked by Dr. Müller ✓"}, {"continuous", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const QString number = "1";
        if (*c.note) {
            ASSERT_EQ(cli({"notes", "set", "--patient", "1001", "--mode", c.mode, "--number",
                           number, "--text", QString::fromUtf8(c.note)})
                          .exitCode,
                      0);
        }
        const QString w = a.file("w.dcm"), r = a.file("r.dcm");
        const QStringList exportArgs{"dicom",    "export", "--patient", "1001", "--mode",   c.mode,
                                     "--number", number,   "--out",     w,      "--report", r};
        ASSERT_EQ(cli(exportArgs).exitCode, 0);
        for (const QString& file : {w, r}) {
            const QString verdict = runTool("dciodvfy", {file});
            EXPECT_FALSE(verdict.contains("Error")) << verdict.toStdString();
        }
        // Exported again: the same waveform file, byte for byte.
        const QByteArray first = test::readAll(w);
        ASSERT_EQ(cli(exportArgs).exitCode, 0);
        EXPECT_EQ(test::readAll(w), first);

        const QJsonObject read =
            QJsonDocument::fromJson(
                runTool("/usr/bin/python3", {"-c", kPydicomReader, w, r}).toUtf8())
                .object();
        ASSERT_FALSE(read.isEmpty());
        const QJsonArray counts = cli({"recordings", "samples", "--patient", "1001", "--mode",
                                       c.mode, "--number", number})
                                      .json()
                                      .toArray();
        const QJsonArray mv = read["mv"].toArray();
        ASSERT_EQ(mv.size(), kSamplesPerRecording);
        ASSERT_EQ(counts.size(), kSamplesPerRecording);
        double worst = 0;
        for (int i = 0; i < kSamplesPerRecording; ++i)
            worst = std::max(
                worst, std::abs(mv[i].toDouble() - (counts[i].toInt() - kSampleBaseline) / 175.0));
        EXPECT_LT(worst, 1e-12);
        EXPECT_EQ(read["lead"].toArray(), (QJsonArray{"2:1", "MDC"}));
        EXPECT_EQ(read["units"].toString(), "uV");

        const QJsonArray p =
            cli({"analyse", "--patient", "1001", "--mode", c.mode, "--number", number})
                .json()["parameters"]
                .toArray();
        ASSERT_EQ(p.size(), 10);
        const QJsonArray expected{QJsonArray{"8867-4", "LN", "/min", p[kSlotHeartRate].toDouble()},
                                  QJsonArray{"2:768", "MDC", "mV", p[kSlotST].toInt() / 175.0},
                                  QJsonArray{"2:15872", "MDC", "ms", p[kSlotPR].toDouble()},
                                  QJsonArray{"2:16156", "MDC", "ms", p[kSlotQRS].toDouble()},
                                  QJsonArray{"2:16160", "MDC", "ms", p[kSlotQT].toDouble()},
                                  QJsonArray{"2:15876", "MDC", "ms", p[kSlotQTc].toDouble()}};
        const QJsonArray got = read["annotations"].toArray();
        ASSERT_EQ(got.size(), expected.size());
        for (int i = 0; i < got.size(); ++i) {
            const QJsonArray g = got[i].toArray(), e = expected[i].toArray();
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(g[k], e[k]);
            EXPECT_NEAR(g[3].toDouble(), e[3].toDouble(), 1e-9) << e[0].toString().toStdString();
        }
        EXPECT_EQ(read["note"].toString(), QString::fromUtf8(c.note));
        EXPECT_EQ(read["patient"].toArray(), (QJsonArray{"1001", "1001"}));
        const QJsonArray study = read["study"].toArray();
        EXPECT_EQ(study[0], study[1]);
        EXPECT_EQ(read["modality"].toArray(), (QJsonArray{"ECG", "DOC"}));
        EXPECT_TRUE(read["pdf"].toBool());
    }
}

// A record the waveform cannot show as it is: a Continuous sample beyond
// 16 bits, a Snap step written as "subtract 0" where the recorder's
// encoder writes "add 0". The store must still get the bytes it had.
QByteArray oddRecord(RecordingMode mode, QByteArray record) {
    if (mode == RecordingMode::Continuous) {
        for (int i = 0; i < 4; ++i)
            record[2 + 4 * 100 + i] = char(i == 3 ? 0x7F : 0xFF);
    } else {
        const qsizetype zeroStep = record.indexOf('\0', 2 + 2);
        record[zeroStep] = char(0x80);
    }
    return record;
}

TEST_F(EcgObjectTest, ASecondStationGetsTheStoreByteForByteAndNoDuplicates) {
    for (RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
        SCOPED_TRACE(toInt(mode));
        const RecordingStore storeA(a.path(), mode, "1001");
        RecordIndexEntry entry = storeA.readEntry(0).value();
        entry.time.hour = uint16_t(entry.time.hour + 1);
        ASSERT_TRUE(storeA.appendRecord(entry, oddRecord(mode, storeA.readRecord(0).value())));
        ASSERT_TRUE(RecordingNotes(a.path(), mode, "1001").write(entry.time, "Late ✓"));
        const int count = storeA.count().value();

        std::vector<DicomObject> sent;
        for (int n = 1; n <= count; ++n)
            sent.push_back(waveform(mode, n));
        for (int pass = 0; pass < 2; ++pass) { // the second pass must add nothing
            for (int n = 1; n <= count; ++n) {
                auto received = readEcgObject(sent[size_t(n - 1)].file);
                ASSERT_TRUE(received.ok()) << received.message().arg.toStdString();
                EXPECT_EQ(received.value().mode, mode);
                const auto number = importEcgObject(b.path(), received.value());
                ASSERT_TRUE(number.ok()) << number.message().id;
                EXPECT_EQ(number.value(), n);
            }
            const RecordingStore storeB(b.path(), mode, "1001");
            EXPECT_EQ(test::readAll(storeB.dataPath()), test::readAll(storeA.dataPath()));
            EXPECT_EQ(test::readAll(storeB.indexPath()), test::readAll(storeA.indexPath()));
            EXPECT_EQ(RecordingNotes(b.path(), mode, "1001").read(entry.time).value(), "Late ✓");
        }
        // Built again, the same identities.
        EXPECT_EQ(waveform(mode, count).sopInstanceUid, sent.back().sopInstanceUid);
        EXPECT_EQ(waveform(mode, count).studyInstanceUid, sent.back().studyInstanceUid);
        EXPECT_NE(sent.front().sopInstanceUid, sent.back().sopInstanceUid);
    }
}

TEST_F(EcgObjectTest, ObjectsTheStationDidNotMakeAreRefusedWithTheReason) {
    const QByteArray good = waveform(RecordingMode::Snap, 2).file;
    ASSERT_TRUE(readEcgObject(good).ok());
    using Edit = std::function<void(DcmDataset&)>;
    struct Case {
        const char* what;
        QByteArray file;
        int refusal;
    };
    const auto with = [&](const Edit& e) { return edited(good, e); };
    const Case cases[] = {
        {"500 Hz", with([](DcmDataset& d) {
             waveformGroup(d).putAndInsertString(DCM_SamplingFrequency, "500");
         }),
         ids::kDicomOtherRate},
        {"two channels", with([](DcmDataset& d) {
             waveformGroup(d).putAndInsertUint16(DCM_NumberOfWaveformChannels, 2);
         }),
         ids::kDicomSeveralChannels},
        {"two multiplex groups", with([](DcmDataset& d) {
             DcmItem* copy = new DcmItem(waveformGroup(d));
             d.insertSequenceItem(DCM_WaveformSequence, copy);
         }),
         ids::kDicomSeveralChannels},
        {"samples counted short", with([](DcmDataset& d) {
             waveformGroup(d).putAndInsertUint32(DCM_NumberOfWaveformSamples, 5000);
         }),
         ids::kDicomOtherLength},
        {"samples cut short", with([](DcmDataset& d) {
             const Uint16 few[4] = {1, 2, 3, 4};
             waveformGroup(d).putAndInsertUint16Array(DCM_WaveformData, few, 4);
         }),
         ids::kDicomOtherLength},
        {"12-lead SOP class", with([](DcmDataset& d) {
             d.putAndInsertString(DCM_SOPClassUID, UID_TwelveLeadECGWaveformStorage);
         }),
         ids::kDicomNotEcgWaveform},
        {"a sample changed", with([](DcmDataset& d) {
             const Uint16* words = nullptr;
             waveformGroup(d).findAndGetUint16Array(DCM_WaveformData, words);
             std::vector<Uint16> changed(words, words + kSamplesPerRecording);
             changed[7000] += 1;
             waveformGroup(d).putAndInsertUint16Array(DCM_WaveformData, changed.data(),
                                                      kSamplesPerRecording);
         }),
         ids::kDicomNotOurs},
        {"no station record",
         with([](DcmDataset& d) { d.findAndDeleteElement(DcmTagKey(0x0009, 0x1012)); }),
         ids::kDicomNotOurs},
        {"entry cut", with([](DcmDataset& d) {
             const Uint8 few[4] = {0x55, 0xAA, 1, 2};
             d.putAndInsertUint8Array(dicom::privateEntryTag(), few, 4);
         }),
         ids::kDicomNotOurs},
        {"patient id with a path",
         with([](DcmDataset& d) { d.putAndInsertString(DCM_PatientID, "../1001"); }),
         ids::kDicomNotOurs},
        {"truncated in the header", good.left(200), ids::kDicomUnreadable},
        {"truncated half-way", good.left(good.size() / 2), ids::kDicomUnreadable},
        {"last byte missing", good.left(good.size() - 1), ids::kDicomUnreadable},
        {"not DICOM", QByteArray(4000, 'x'), ids::kDicomUnreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.file.isEmpty());
        const auto read = readEcgObject(c.file);
        EXPECT_FALSE(read.ok());
        EXPECT_EQ(read.message().id, c.refusal) << read.message().arg.toStdString();
    }
}

TEST_F(EcgObjectTest, AWorklistChoiceGoesToTheNextRecordingOnly) {
    const RecordingListing snaps =
        RecordingStore(a.path(), RecordingMode::Snap, "1001").listIndex();
    ASSERT_GE(snaps.recordings.size(), 3u);
    const QDateTime second = recordingStart(RecordingMode::Snap, snaps.recordings[1].entry);
    const StudyIdentity chosen{"1.2.826.0.1.3680043.2.1125.77", "ACC-17", "Resting ECG"};
    const auto derived = [&](int n) { return waveform(RecordingMode::Snap, n).studyInstanceUid; };
    const QString before[] = {derived(1), derived(2), derived(3)};
    EXPECT_NE(before[0], before[1]);
    ASSERT_TRUE(StudyLinks::remember(a.path(), "1001", chosen, second.addSecs(-60)));
    struct Case {
        int number;
        QString study;
        QString accession;
    };
    const Case cases[] = {
        {1, before[0], ""}, {2, chosen.studyInstanceUid, "ACC-17"}, {3, before[2], ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        const auto study = StudyLinks::studyFor(a.path(), {"1001", RecordingMode::Snap, c.number});
        ASSERT_TRUE(study.ok());
        EXPECT_EQ(study.value().studyInstanceUid, c.study);
        EXPECT_EQ(study.value().accessionNumber, c.accession);
        EXPECT_EQ(derived(c.number), c.study);
    }
    // Another patient's recordings, and a links file that cannot be read, keep their own studies.
    EXPECT_NE(
        StudyLinks::studyFor(a.path(), {"1002", RecordingMode::Snap, 1}).value().studyInstanceUid,
        chosen.studyInstanceUid);
    ASSERT_TRUE(test::writeAll(StudyLinks::path(a.path()), "{\"links\": [ {\"patient\""));
    EXPECT_EQ(derived(2), before[1]);
}

} // namespace
