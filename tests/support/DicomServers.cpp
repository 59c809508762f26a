#include "support/DicomServers.h"

#include <dcmtk/config/osconfig.h>
#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcistrmb.h>
#include <dcmtk/dcmdata/dcostrmb.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <memory>

namespace vantora::test {

namespace {

const QStringList kProgramDirs{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                               QStringLiteral("/usr/local/bin")};

QString findProgram(const char* name) {
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
    return found.isEmpty() ? QStandardPaths::findExecutable(QString::fromLatin1(name), kProgramDirs)
                           : found;
}

bool listening(int port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    const bool up = socket.waitForConnected(200);
    socket.abort();
    return up;
}

// The servers answer at once too (their DCMTK reads the same switch as ours).
void quickReplies(QProcess& process) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TCP_NODELAY"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
}

void endProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// One HTTP/1.0 exchange on loopback; the server closes after the reply.
HttpReply exchange(int port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(5000))
        return {};
    socket.write(request);
    QByteArray raw;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(30000))
        raw += socket.readAll();
    raw += socket.readAll();
    const qsizetype headerEnd = raw.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return {};
    const QList<QByteArray> statusLine = raw.left(raw.indexOf("\r\n")).split(' ');
    HttpReply reply;
    reply.status = statusLine.size() > 1 ? statusLine[1].toInt() : 0;
    reply.body = raw.mid(headerEnd + 4);
    return reply;
}

} // namespace

int freeLoopbackPort() {
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 0;
    return server.serverPort();
}

// --- Orthanc ---------------------------------------------------------------

OrthancArchive::OrthancArchive(Options options) : options_(std::move(options)) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(dir_.filePath(QStringLiteral("orthanc.log")));
    quickReplies(process_);
}

OrthancArchive::~OrthancArchive() {
    stop();
}

bool OrthancArchive::fail(const QString& why) {
    error_ = why;
    return false;
}

bool OrthancArchive::installed() {
    program_ = findProgram("Orthanc");
    return !program_.isEmpty() || fail(QStringLiteral("Orthanc is not installed (scripts/deps)"));
}

void OrthancArchive::writeConfiguration() {
    QJsonObject config{
        {"Name", "vantora-test-archive"},
        {"StorageDirectory", dir_.filePath(QStringLiteral("storage"))},
        {"IndexDirectory", dir_.filePath(QStringLiteral("index"))},
        {"DicomAet", options_.aet},
        {"DicomPort", dicomPort_},
        {"HttpPort", httpPort_},
        {"RemoteAccessAllowed", false},
        {"AuthenticationEnabled", false},
        {"DicomCheckCalledAet", options_.checkCalledAet},
        {"DicomModalities", QJsonObject{}},
        {"OrthancPeers", QJsonObject{}},
        {"DicomAlwaysAllowEcho", true},
        {"DicomAlwaysAllowStore", true},
        {"DicomAlwaysAllowFind", true},
        {"DicomAlwaysAllowGet", true},
        {"Plugins", QJsonArray{}},
        {"StorageCompression", false},
        {"SaveJobs", false},
        {"ConcurrentJobs", 1},
        {"HttpThreadsCount", 4},
    };
    QFile file(dir_.filePath(QStringLiteral("orthanc.json")));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(config).toJson());
}

bool OrthancArchive::start() {
    if (!dir_.isValid())
        return fail(QStringLiteral("no temporary folder"));
    if (program_.isEmpty() && !installed())
        return false;
    if (dicomPort_ == 0) {
        dicomPort_ = freeLoopbackPort();
        httpPort_ = freeLoopbackPort();
        while (httpPort_ == dicomPort_)
            httpPort_ = freeLoopbackPort();
        writeConfiguration();
    }
    process_.start(program_, {dir_.filePath(QStringLiteral("orthanc.json"))});
    if (!process_.waitForStarted(10000))
        return fail(QStringLiteral("Orthanc did not start: ") + process_.errorString());
    for (int wait = 0; wait < 300; ++wait) { // 30 s
        if (get(QStringLiteral("/system")).status == 200 && listening(dicomPort_))
            return true;
        if (process_.waitForFinished(100))
            break;
    }
    QFile log(dir_.filePath(QStringLiteral("orthanc.log")));
    log.open(QIODevice::ReadOnly);
    return fail(QStringLiteral("Orthanc did not answer on its ports: ") +
                QString::fromLocal8Bit(log.readAll().right(2000)));
}

void OrthancArchive::stop() {
    endProcess(process_);
}

void OrthancArchive::kill() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.kill();
    process_.waitForFinished(5000);
}

HttpReply OrthancArchive::get(const QString& path) const {
    return exchange(httpPort_, "GET " + path.toUtf8() +
                                   " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

HttpReply OrthancArchive::post(const QString& path, const QByteArray& body) const {
    return exchange(httpPort_, "POST " + path.toUtf8() +
                                   " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                                   "Content-Length: " +
                                   QByteArray::number(body.size()) + "\r\n\r\n" + body);
}

QJsonDocument OrthancArchive::getJson(const QString& path) const {
    return QJsonDocument::fromJson(get(path).body);
}

QStringList OrthancArchive::instanceIds() const {
    QStringList ids;
    for (const QJsonValue& id : getJson(QStringLiteral("/instances")).array())
        ids << id.toString();
    return ids;
}

QByteArray OrthancArchive::instanceFile(const QString& id) const {
    return get(QStringLiteral("/instances/%1/file").arg(id)).body;
}

QJsonObject OrthancArchive::instanceTags(const QString& id) const {
    return getJson(QStringLiteral("/instances/%1/simplified-tags").arg(id)).object();
}

QStringList OrthancArchive::instanceUidsOf(const QString& patientId) const {
    const QJsonObject query{
        {"Level", "Instance"}, {"Expand", true}, {"Query", QJsonObject{{"PatientID", patientId}}}};
    QStringList uids;
    for (const QJsonValue& found :
         QJsonDocument::fromJson(
             post(QStringLiteral("/tools/find"), QJsonDocument(query).toJson()).body)
             .array())
        uids << found["MainDicomTags"]["SOPInstanceUID"].toString();
    return uids;
}

QString OrthancArchive::findInstance(const QString& sopInstanceUid) const {
    const QJsonObject query{{"Level", "Instance"},
                            {"Query", QJsonObject{{"SOPInstanceUID", sopInstanceUid}}}};
    const QJsonArray found =
        QJsonDocument::fromJson(
            post(QStringLiteral("/tools/find"), QJsonDocument(query).toJson()).body)
            .array();
    return found.isEmpty() ? QString() : found.first().toString();
}

// --- wlmscpfs --------------------------------------------------------------

WorklistProvider::WorklistProvider(QString aet) : aet_(std::move(aet)) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardOutputFile(dir_.filePath(QStringLiteral("wlmscpfs.log")));
    quickReplies(process_);
}

WorklistProvider::~WorklistProvider() {
    stop();
}

bool WorklistProvider::fail(const QString& why) {
    error_ = why;
    return false;
}

bool WorklistProvider::installed() {
    program_ = findProgram("wlmscpfs");
    dump2dcm_ = findProgram("dump2dcm");
    return (!program_.isEmpty() && !dump2dcm_.isEmpty()) ||
           fail(QStringLiteral("wlmscpfs or dump2dcm is not installed (scripts/deps: dcmtk)"));
}

bool WorklistProvider::writeEntry(const WorklistEntry& e, int number) {
    auto line = [](const char* tag, const char* vr, const QString& value) {
        return QStringLiteral("(%1) %2 [%3]\n")
            .arg(QLatin1String(tag), QLatin1String(vr), value)
            .toUtf8();
    };
    QByteArray dump;
    dump += line("0008,0005", "CS", QStringLiteral("ISO_IR 192"));
    dump += line("0008,0050", "SH", e.accessionNumber);
    dump += line("0010,0010", "PN", e.patientName);
    dump += line("0010,0020", "LO", e.patientId);
    dump += line("0010,0030", "DA", e.birthDate);
    dump += line("0010,0040", "CS", e.sex);
    dump += line("0020,000d", "UI", e.studyInstanceUid);
    dump += line("0032,1060", "LO", e.requestedProcedure);
    dump += "(0040,0100) SQ (Sequence with undefined length)\n(fffe,e000) na (Item)\n";
    dump += line("0008,0060", "CS", e.modality);
    dump += line("0040,0001", "AE", e.stationAet);
    dump += line("0040,0002", "DA", e.date);
    dump += line("0040,0003", "TM", e.time);
    dump += line("0040,0006", "PN", QStringLiteral("Cardio^Clinic"));
    dump += line("0040,0007", "LO", e.requestedProcedure);
    dump += line("0040,0009", "SH", e.stepId);
    dump += "(fffe,e00d) na (ItemDelimitationItem)\n(fffe,e0dd) na (SequenceDelimitationItem)\n";
    dump += line("0040,1001", "SH", QStringLiteral("RP") + e.stepId);
    const QString dumpPath = dir_.filePath(QStringLiteral("entry%1.dump").arg(number));
    QFile file(dumpPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(dump) != dump.size())
        return fail(QStringLiteral("cannot write ") + dumpPath);
    file.close();
    QProcess convert;
    convert.setProcessChannelMode(QProcess::MergedChannels);
    convert.start(dump2dcm_, {QStringLiteral("--write-xfer-little"), dumpPath,
                              dir_.filePath(aet_ + QStringLiteral("/entry%1.wl").arg(number))});
    if (!convert.waitForFinished(10000) || convert.exitCode() != 0)
        return fail(QStringLiteral("dump2dcm failed: ") +
                    QString::fromLocal8Bit(convert.readAll()));
    return true;
}

bool WorklistProvider::start(const std::vector<WorklistEntry>& entries) {
    if (!dir_.isValid())
        return fail(QStringLiteral("no temporary folder"));
    if (program_.isEmpty() && !installed())
        return false;
    QDir(dir_.path()).mkpath(aet_);
    QFile lock(dir_.filePath(aet_ + QStringLiteral("/lockfile")));
    lock.open(QIODevice::WriteOnly);
    int number = 0;
    for (const WorklistEntry& entry : entries)
        if (!writeEntry(entry, ++number))
            return false;
    port_ = freeLoopbackPort();
    process_.start(program_, {QStringLiteral("--single-process"), QStringLiteral("-dfr"),
                              QStringLiteral("--keep-char-set"), QStringLiteral("-dfp"),
                              dir_.path(), QString::number(port_)});
    if (!process_.waitForStarted(10000))
        return fail(QStringLiteral("wlmscpfs did not start: ") + process_.errorString());
    for (int wait = 0; wait < 100; ++wait) { // 10 s
        if (listening(port_))
            return true;
        if (process_.waitForFinished(100))
            break;
    }
    return fail(QStringLiteral("wlmscpfs did not listen on its port"));
}

void WorklistProvider::stop() {
    endProcess(process_);
}

// --- objects ---------------------------------------------------------------

QByteArray sampleObject(const SampleObject& o) {
    DcmFileFormat format;
    DcmDataset* ds = format.getDataset();
    auto put = [&](const DcmTagKey& tag, const QString& value) {
        ds->putAndInsertString(tag, value.toUtf8().constData());
    };
    const bool document = QByteArray(o.sopClassUid) == UID_EncapsulatedPDFStorage;
    ds->putAndInsertString(DCM_SpecificCharacterSet, "ISO_IR 192");
    ds->putAndInsertString(DCM_SOPClassUID, o.sopClassUid);
    put(DCM_SOPInstanceUID, o.sopInstanceUid);
    put(DCM_StudyInstanceUID, o.studyInstanceUid);
    if (!o.seriesInstanceUid.isEmpty())
        put(DCM_SeriesInstanceUID, o.seriesInstanceUid);
    put(DCM_PatientID, o.patientId);
    put(DCM_PatientName, QStringLiteral("Test^Patient"));
    put(DCM_StudyDate, QStringLiteral("20261208"));
    put(DCM_StudyTime, QStringLiteral("101500"));
    put(DCM_StudyDescription, QStringLiteral("Resting ECG"));
    put(DCM_Modality, document ? QStringLiteral("DOC") : QStringLiteral("ECG"));
    put(DCM_StationName, o.stationName);
    if (document) {
        put(DCM_MIMETypeOfEncapsulatedDocument, QStringLiteral("application/pdf"));
        QByteArray even = o.payload;
        if (even.size() % 2 != 0)
            even.append('\0');
        ds->putAndInsertUint8Array(DCM_EncapsulatedDocument,
                                   reinterpret_cast<const Uint8*>(even.constData()),
                                   unsigned(even.size()));
    } else {
        DcmItem* waveform = nullptr;
        ds->findOrCreateSequenceItem(DCM_WaveformSequence, waveform, -2);
        waveform->putAndInsertUint16(DCM_NumberOfWaveformChannels, 1);
        waveform->putAndInsertUint16(DCM_WaveformBitsAllocated, 16);
        waveform->putAndInsertString(DCM_WaveformSampleInterpretation, "SS");
        QByteArray even = o.payload;
        if (even.size() % 2 != 0)
            even.append('\0');
        waveform->putAndInsertUint16Array(DCM_WaveformData,
                                          reinterpret_cast<const Uint16*>(even.constData()),
                                          unsigned(even.size() / 2));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("object.dcm"));
    if (format.saveFile(path.toLocal8Bit().constData(), EXS_LittleEndianExplicit).bad())
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

namespace {

std::unique_ptr<DcmFileFormat> parsed(const QByteArray& file) {
    auto format = std::make_unique<DcmFileFormat>();
    DcmInputBufferStream in;
    in.setBuffer(file.constData(), offile_off_t(file.size()));
    in.setEos();
    format->transferInit();
    const OFCondition cond = format->read(in);
    format->transferEnd();
    return cond.good() ? std::move(format) : nullptr;
}

} // namespace

QByteArray sameEncoding(const QByteArray& file) {
    const auto format = parsed(file);
    if (!format)
        return {};
    DcmDataset* ds = format->getDataset();
    ds->chooseRepresentation(EXS_LittleEndianExplicit, nullptr);
    QByteArray out(qsizetype(ds->calcElementLength(EXS_LittleEndianExplicit, EET_ExplicitLength)) +
                       1024,
                   '\0');
    DcmOutputBufferStream stream(out.data(), offile_off_t(out.size()));
    ds->transferInit();
    const OFCondition cond =
        ds->write(stream, EXS_LittleEndianExplicit, EET_ExplicitLength, nullptr, EGL_withoutGL);
    ds->transferEnd();
    if (cond.bad())
        return {};
    void* buffer = nullptr;
    offile_off_t length = 0;
    stream.flushBuffer(buffer, length);
    return QByteArray(static_cast<const char*>(buffer), qsizetype(length));
}

QByteArray payloadOf(const QByteArray& file) {
    const auto format = parsed(file);
    if (!format)
        return {};
    DcmDataset* ds = format->getDataset();
    const Uint8* bytes = nullptr;
    unsigned long count = 0;
    if (ds->findAndGetUint8Array(DCM_EncapsulatedDocument, bytes, &count).good())
        return QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(count));
    DcmItem* waveform = nullptr;
    const Uint16* words = nullptr;
    if (ds->findAndGetSequenceItem(DCM_WaveformSequence, waveform, 0).good() &&
        waveform->findAndGetUint16Array(DCM_WaveformData, words, &count).good())
        return QByteArray(reinterpret_cast<const char*>(words), qsizetype(count * 2));
    return {};
}

} // namespace vantora::test
