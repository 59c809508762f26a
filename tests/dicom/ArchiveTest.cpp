// The station's conversations with a real archive (Orthanc) and a real
// worklist provider (wlmscpfs), each started by the test on loopback ports:
// what an echo says in each situation, which worklist steps come back, and
// objects stored, found and retrieved as they were sent.
#include "dicom/DicomNetwork.h"

#include "core/StringIds.h"
#include "records/RecordingStore.h"
#include "support/CliRunner.h"
#include "support/DicomServers.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vantora;
using namespace vantora::test;

namespace {

const QString kStation = QStringLiteral("VANTORAECG");

} // namespace

TEST(Archive, EchoSaysPlainlyWhatHappened) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    // Accepts connections and never answers: the association times out.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const int closedPort = freeLoopbackPort();
    struct Case {
        const char* what;
        DicomNode peer;
        int expected; // 0: answered
    };
    const Case cases[] = {
        {"answered", archive.node(), 0},
        {"wrong called title", archive.nodeCalled(QStringLiteral("NOT_ARCHIVE")),
         ids::kDicomCalledAetRefused},
        {"nobody listening",
         {QStringLiteral("ARCHIVE"), QStringLiteral("127.0.0.1"), closedPort},
         ids::kDicomConnectionRefused},
        {"unknown host",
         {QStringLiteral("ARCHIVE"), QStringLiteral("no-such-host.invalid"), 104},
         ids::kDicomUnknownHost},
        {"silent peer",
         {QStringLiteral("ARCHIVE"), QStringLiteral("127.0.0.1"), int(silent.serverPort())},
         ids::kDicomTimedOut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto outcome = echo(kStation, c.peer, 1);
        EXPECT_EQ(outcome.message().id, c.expected) << outcome.message().text().toStdString();
        if (c.expected != 0) {
            EXPECT_TRUE(outcome.message().arg.contains(c.peer.text()));
        }
    }
}

TEST(Archive, WorklistListsTodaysEcgStepsForThisStation) {
    const QDate today(2026, 12, 8);
    const QString day = today.toString(QStringLiteral("yyyyMMdd"));
    auto entry = [&](QString id, QString name, QString date, QString modality, QString station) {
        WorklistEntry e;
        e.patientId = id;
        e.patientName = name;
        e.birthDate = QStringLiteral("19580214");
        e.sex = QStringLiteral("F");
        e.date = date;
        e.time = QStringLiteral("093000");
        e.modality = modality;
        e.stationAet = station;
        e.accessionNumber = QStringLiteral("ACC-") + id;
        e.requestedProcedure = QStringLiteral("Resting ECG");
        e.studyInstanceUid = QStringLiteral("1.2.826.0.1.3680043.10.1.") + id.mid(2);
        e.stepId = QStringLiteral("SPS") + id.mid(2);
        return e;
    };
    WorklistProvider provider;
    VANTORA_START_SERVER(
        provider,
        {entry("P-1", "Müller^Jörg", day, "ECG", kStation),
         entry("P-2", "Smith^Ann", day, "ECG", kStation),
         entry("P-3", "Other^Station", day, "ECG", QStringLiteral("OTHERECG")),
         entry("P-4", "Scan^Only", day, "CT", kStation),
         entry("P-5", "Next^Day", today.addDays(1).toString("yyyyMMdd"), "ECG", kStation)});
    const auto items = queryWorklist(kStation, provider.node(), today, 5);
    ASSERT_TRUE(items.ok()) << items.message().text().toStdString();
    ASSERT_EQ(items.value().size(), 2u);
    std::vector<WorklistItem> sorted = items.value();
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.patientId < b.patientId; });
    const WorklistItem& first = sorted[0];
    EXPECT_EQ(first.patientId, "P-1");
    EXPECT_EQ(first.patientName, QStringLiteral("Müller^Jörg"));
    EXPECT_EQ(first.birthDate, QDate(1958, 2, 14));
    EXPECT_EQ(first.sex, "F");
    EXPECT_EQ(first.scheduled, QDateTime(today, QTime(9, 30)));
    EXPECT_EQ(first.accessionNumber, "ACC-P-1");
    EXPECT_EQ(first.requestedProcedure, "Resting ECG");
    EXPECT_EQ(first.studyInstanceUid, "1.2.826.0.1.3680043.10.1.1");
    EXPECT_EQ(first.stepId, "SPS1");
    EXPECT_EQ(first.stationAet, kStation);
    EXPECT_EQ(sorted[1].patientName, "Smith^Ann");

    const auto wrongTitle = queryWorklist(
        kStation, {QStringLiteral("NOT_WL"), provider.node().host, provider.node().port}, today, 5);
    // wlmscpfs answers every called title; what matters is a plain outcome.
    EXPECT_TRUE(wrongTitle.ok() || wrongTitle.message().id == ids::kDicomCalledAetRefused);
}

TEST(Archive, StoredObjectsAreFoundAndComeBackAsSent) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    const QString study = QStringLiteral("1.2.826.0.1.3680043.10.2.1");
    SampleObject ecg;
    ecg.sopInstanceUid = study + QStringLiteral(".1.1");
    ecg.studyInstanceUid = study;
    ecg.seriesInstanceUid = study + QStringLiteral(".1");
    ecg.payload = QByteArray(15000, '\x11') + QByteArray("\x00\x80\xff\x7f", 4);
    SampleObject pdf = ecg;
    pdf.sopClassUid = "1.2.840.10008.5.1.4.1.1.104.1";
    pdf.sopInstanceUid = study + QStringLiteral(".2.1");
    pdf.seriesInstanceUid = study + QStringLiteral(".2");
    pdf.payload = QByteArrayLiteral("%PDF-1.4\n% a report\n%%EOF\n");
    const QByteArray files[] = {sampleObject(ecg), sampleObject(pdf)};
    for (const QByteArray& file : files) {
        ASSERT_FALSE(file.isEmpty());
        const auto stored = storeObject(kStation, archive.node(), file, 5);
        ASSERT_TRUE(stored.ok()) << stored.message().text().toStdString();
    }
    // The archive has both, with the tags as sent, the same elements, and the
    // samples and the document byte for byte.
    ASSERT_EQ(archive.instanceIds().size(), 2);
    for (const auto& [object, file] : {std::pair{&ecg, files[0]}, std::pair{&pdf, files[1]}}) {
        const QString id = archive.findInstance(object->sopInstanceUid);
        ASSERT_FALSE(id.isEmpty());
        const QJsonObject tags = archive.instanceTags(id);
        EXPECT_EQ(tags["SOPClassUID"].toString(), QString::fromLatin1(object->sopClassUid));
        EXPECT_EQ(tags["PatientID"].toString(), object->patientId);
        EXPECT_EQ(tags["StudyInstanceUID"].toString(), study);
        const QByteArray kept = archive.instanceFile(id);
        EXPECT_EQ(payloadOf(kept), object->payload);
        EXPECT_EQ(sameEncoding(kept), sameEncoding(file));
    }

    const auto studies = findStudies(kStation, archive.node(), QStringLiteral("P-1"), 5);
    ASSERT_TRUE(studies.ok()) << studies.message().text().toStdString();
    ASSERT_EQ(studies.value().size(), 1u);
    const ArchivedStudy& found = studies.value()[0];
    EXPECT_EQ(found.studyInstanceUid, study);
    EXPECT_EQ(found.studyTime, QDateTime(QDate(2026, 12, 8), QTime(10, 15)));
    EXPECT_EQ(found.stationName, kStation);
    EXPECT_EQ(found.description, "Resting ECG");
    EXPECT_EQ(found.instances, 2);
    const auto nobody = findStudies(kStation, archive.node(), QStringLiteral("P-404"), 5);
    ASSERT_TRUE(nobody.ok());
    EXPECT_TRUE(nobody.value().empty());

    const auto got = getStudy(kStation, archive.node(), study, 10);
    ASSERT_TRUE(got.ok()) << got.message().text().toStdString();
    ASSERT_EQ(got.value().size(), 2u);
    QList<QByteArray> sent{sameEncoding(files[0]), sameEncoding(files[1])};
    QList<QByteArray> back{sameEncoding(got.value()[0]), sameEncoding(got.value()[1])};
    std::sort(sent.begin(), sent.end());
    std::sort(back.begin(), back.end());
    ASSERT_FALSE(sent[0].isEmpty() || sent[1].isEmpty());
    EXPECT_EQ(back, sent);
    const auto missing =
        getStudy(kStation, archive.node(), QStringLiteral("1.2.826.0.1.3680043.10.2.404"), 10);
    EXPECT_FALSE(missing.ok());
}

TEST(Archive, RefusedObjectsAndPeersAreNamed) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    SampleObject noSeries;
    noSeries.sopInstanceUid = QStringLiteral("1.2.826.0.1.3680043.10.3.1");
    noSeries.studyInstanceUid = QStringLiteral("1.2.826.0.1.3680043.10.3");
    struct Case {
        const char* what;
        QByteArray file;
        DicomNode peer;
        int expected;
        const char* arg; // part of the message's argument
    };
    const Case cases[] = {
        {"failure status", sampleObject(noSeries), archive.node(), ids::kDicomStoreRefused, "0xA7"},
        {"not DICOM", QByteArrayLiteral("%PDF-1.4 not an object"), archive.node(),
         ids::kNotADicomFile, ""},
        {"refused title", sampleObject(noSeries), archive.nodeCalled(QStringLiteral("PACS")),
         ids::kDicomCalledAetRefused, "PACS@127.0.0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto stored = storeObject(kStation, c.peer, c.file, 5);
        EXPECT_EQ(stored.message().id, c.expected) << stored.message().text().toStdString();
        EXPECT_TRUE(stored.message().arg.contains(QLatin1String(c.arg)))
            << stored.message().arg.toStdString();
    }
    EXPECT_TRUE(archive.instanceIds().isEmpty());
}

// Two data folders standing for two stations: the first sends its
// recordings with their reports, the second finds them at the archive and
// gets them into its own store, where they are the first's byte for byte.
TEST(Archive, SecondStationGetsTheFirstStationsRecordingsAsRecorded) {
    OrthancArchive archive;
    VANTORA_START_SERVER(archive);
    QTemporaryDir first;
    QTemporaryDir second;
    ASSERT_EQ(runCli({"demo", "--data", first.path()}).exitCode, 0);
    auto station = [&](const QTemporaryDir& root, const char* aet, QStringList args) {
        args << "--data" << root.path() << "--aet" << aet << "--archive" << archive.node().text()
             << "--json";
        return runCli(args);
    };
    struct Case {
        RecordingMode mode;
        const char* modeName;
        QStringList which; // what the first station sends
        int sent;          // recordings sent (an object and its report each)
    };
    const Case cases[] = {
        {RecordingMode::Snap, "snap", {"--all"}, -1},
        {RecordingMode::Continuous, "continuous", {"--number", "2"}, 1},
    };
    QStringList added;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.modeName);
        // The first demo patient with recordings of this kind.
        QString id;
        int count = 0;
        for (const char* candidate : {"1001", "1002", "1003"}) {
            count = RecordingStore(first.path(), c.mode, candidate).count().value();
            if (count > 0) {
                id = QString::fromLatin1(candidate);
                break;
            }
        }
        ASSERT_FALSE(id.isEmpty());
        const int sent = c.sent < 0 ? count : c.sent;
        const CliRun send =
            station(first, "STATION_A",
                    QStringList{"dicom", "send", "--patient", id, "--mode", c.modeName} + c.which);
        ASSERT_EQ(send.exitCode, 0) << send.err.toStdString();
        EXPECT_EQ(send.json()["sent"].toInt(), 2 * sent);
        EXPECT_EQ(send.json()["waiting"].toInt(), 0);

        if (!added.contains(id)) {
            ASSERT_EQ(runCli({"patients", "add", "--id", id, "--name", "Second^Station", "--data",
                              second.path()})
                          .exitCode,
                      0);
            added << id;
        }
        const CliRun find = station(second, "STATION_B", {"dicom", "find", "--patient", id});
        ASSERT_EQ(find.exitCode, 0) << find.err.toStdString();
        ASSERT_FALSE(find.json().toArray().isEmpty());
        EXPECT_EQ(find.json()[0]["station"].toString(), "STATION_A");
        const CliRun get = station(
            second, "STATION_B", {"dicom", "get", "--patient", id, "--mode", c.modeName, "--all"});
        ASSERT_EQ(get.exitCode, 0) << get.err.toStdString();
        ASSERT_EQ(get.json().toArray().size(), sent) << get.out.toStdString();

        const RecordingStore from(first.path(), c.mode, id);
        const RecordingStore to(second.path(), c.mode, id);
        if (sent == count) {
            EXPECT_EQ(readAll(to.dataPath()), readAll(from.dataPath()));
            EXPECT_EQ(readAll(to.indexPath()), readAll(from.indexPath()));
        }
        const int number = c.sent < 0 ? 1 : c.which[1].toInt();
        EXPECT_EQ(to.readRecordData(0).value(), from.readRecordData(number - 1).value());
        EXPECT_EQ(to.readEntry(0).value(), from.readEntry(number - 1).value());
        // Getting again adds nothing: the recordings are already there.
        ASSERT_EQ(station(second, "STATION_B",
                          {"dicom", "get", "--patient", id, "--mode", c.modeName, "--all"})
                      .exitCode,
                  0);
        EXPECT_EQ(to.count().value(), sent);
    }
}
