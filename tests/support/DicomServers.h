#pragma once

// The DICOM peers the tests talk to, started by the test on free loopback
// ports with their own configuration and storage in a temporary folder, and
// stopped by it: Orthanc as the archive (checked through its REST API on its
// own HTTP port) and DCMTK's wlmscpfs as the worklist provider (its files
// made by dump2dcm). Only processes started here are ever stopped.
#include "dicom/DicomNode.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

namespace vantora::test {

// A TCP port nobody listens on at this moment, on 127.0.0.1.
int freeLoopbackPort();

struct HttpReply {
    int status = 0; // 0: no answer
    QByteArray body;
};

// Orthanc as the station's archive.
class OrthancArchive {
public:
    struct Options {
        QString aet = QStringLiteral("ARCHIVE");
        // Refuse associations that call another title.
        bool checkCalledAet = true;
    };
    OrthancArchive() : OrthancArchive(Options{}) {}
    explicit OrthancArchive(Options options);
    ~OrthancArchive();
    OrthancArchive(const OrthancArchive&) = delete;
    OrthancArchive& operator=(const OrthancArchive&) = delete;

    // Whether the program is installed; error() says what is missing.
    bool installed();
    // Starts it and waits until its REST API answers; false with error().
    // Starting again after stop() keeps the ports and what it stored.
    bool start();
    // Ends it (SIGTERM, then SIGKILL) and waits for the end. Orthanc waits
    // for open associations to end first.
    void stop();
    // Ends it at once (SIGKILL), as a crash or a pulled cable would.
    void kill();
    bool running() const { return process_.state() != QProcess::NotRunning; }
    QString error() const { return error_; }

    DicomNode node() const { return {options_.aet, QStringLiteral("127.0.0.1"), dicomPort_}; }
    // The same archive called by another title.
    DicomNode nodeCalled(const QString& aet) const { return {aet, node().host, dicomPort_}; }
    int httpPort() const { return httpPort_; }

    HttpReply get(const QString& path) const;
    HttpReply post(const QString& path, const QByteArray& body) const;
    QJsonDocument getJson(const QString& path) const;
    // The REST ids of every instance it holds.
    QStringList instanceIds() const;
    // The instance's whole file, as it was received.
    QByteArray instanceFile(const QString& id) const;
    // Its main tags by keyword ("PatientID": "...").
    QJsonObject instanceTags(const QString& id) const;
    // The SOP instance UIDs of every instance it holds of the patient.
    QStringList instanceUidsOf(const QString& patientId) const;
    // The REST id of the instance with this SOP instance UID, empty if none.
    QString findInstance(const QString& sopInstanceUid) const;

private:
    bool fail(const QString& why);
    void writeConfiguration();

    Options options_;
    QTemporaryDir dir_;
    QProcess process_;
    QString program_;
    QString error_;
    int dicomPort_ = 0;
    int httpPort_ = 0;
};

// One scheduled procedure step as the scheduler writes it.
struct WorklistEntry {
    QString patientName; // "Family^Given", UTF-8
    QString patientId;
    QString birthDate; // YYYYMMDD, may be empty
    QString sex;
    QString date; // scheduled YYYYMMDD
    QString time; // scheduled HHMMSS
    QString modality = QStringLiteral("ECG");
    QString stationAet = QStringLiteral("VANTORAECG");
    QString accessionNumber;
    QString requestedProcedure;
    QString studyInstanceUid;
    QString stepId;
};

// wlmscpfs serving worklist files made by dump2dcm.
class WorklistProvider {
public:
    explicit WorklistProvider(QString aet = QStringLiteral("WORKLIST"));
    ~WorklistProvider();
    WorklistProvider(const WorklistProvider&) = delete;
    WorklistProvider& operator=(const WorklistProvider&) = delete;

    bool installed();
    // Writes one worklist file per entry and starts the provider; false with
    // error().
    bool start(const std::vector<WorklistEntry>& entries);
    void stop();
    QString error() const { return error_; }
    DicomNode node() const { return {aet_, QStringLiteral("127.0.0.1"), port_}; }

private:
    bool fail(const QString& why);
    bool writeEntry(const WorklistEntry& entry, int number);

    QString aet_;
    QTemporaryDir dir_;
    QProcess process_;
    QString program_;
    QString dump2dcm_;
    QString error_;
    int port_ = 0;
};

// A small object of a storage class, made with DCMTK, for talking to a
// peer without a recording: an ECG waveform sequence or an encapsulated
// document carrying `payload`. An empty seriesInstanceUid leaves the series
// out, which the archive refuses with a failure status.
struct SampleObject {
    const char* sopClassUid = "1.2.840.10008.5.1.4.1.1.9.1.2"; // General ECG Waveform
    QString sopInstanceUid;
    QString studyInstanceUid;
    QString seriesInstanceUid;
    QString patientId = QStringLiteral("P-1");
    QString stationName = QStringLiteral("VANTORAECG");
    QByteArray payload = QByteArrayLiteral("ECG0");
};
QByteArray sampleObject(const SampleObject& object);

// The data set of a Part-10 file written out again in one fixed encoding
// (explicit VR little endian, explicit lengths, no group lengths): equal for
// two files that hold the same elements with the same values, whatever meta
// header and length encoding the archive chose. Empty if it does not parse.
QByteArray sameEncoding(const QByteArray& file);
// The value bytes of the encapsulated document, or of the first waveform's
// samples: what must come back byte for byte.
QByteArray payloadOf(const QByteArray& file);

} // namespace vantora::test

// Starts `server` (with the arguments given), skipping the test with the
// reason when the program is not installed and failing it when it is but
// does not start.
#define VANTORA_START_SERVER(server, ...)                                                          \
    do {                                                                                           \
        if (!(server).installed())                                                                 \
            GTEST_SKIP() << (server).error().toStdString();                                        \
        ASSERT_TRUE((server).start(__VA_ARGS__)) << (server).error().toStdString();                \
    } while (false)
