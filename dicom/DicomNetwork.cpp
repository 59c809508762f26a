#include "dicom/DicomNetwork.h"

#include "core/StringIds.h"
#include "dicom/Association.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcfilefo.h>
#include <dcmtk/dcmdata/dcistrmb.h>
#include <dcmtk/dcmdata/dcuid.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <set>

namespace vantora {

using dicomnet::Association;
using dicomnet::statusKept;
using dicomnet::statusText;

namespace {

// The storage classes an ECG station sends and takes back.
const char* const kStationClasses[] = {
    UID_GeneralECGWaveformStorage, UID_TwelveLeadECGWaveformStorage,
    UID_AmbulatoryECGWaveformStorage, UID_EncapsulatedPDFStorage};

struct ParsedFile {
    std::unique_ptr<DcmFileFormat> format;
    OFString sopClass;
    OFString transferSyntax;
};

Result<ParsedFile> parseFile(const QByteArray& bytes) {
    ParsedFile parsed{std::make_unique<DcmFileFormat>(), {}, {}};
    DcmInputBufferStream in;
    in.setBuffer(bytes.constData(), offile_off_t(bytes.size()));
    in.setEos();
    parsed.format->transferInit();
    OFCondition cond = parsed.format->read(in);
    parsed.format->transferEnd();
    DcmMetaInfo* meta = parsed.format->getMetaInfo();
    if (cond.good())
        cond = meta->findAndGetOFString(DCM_MediaStorageSOPClassUID, parsed.sopClass);
    if (cond.good())
        cond = meta->findAndGetOFString(DCM_TransferSyntaxUID, parsed.transferSyntax);
    if (cond.bad() || parsed.sopClass.empty())
        return Message{ids::kNotADicomFile, QString::fromLocal8Bit(cond.text())};
    return parsed;
}

QString text(DcmItem* item, const DcmTagKey& tag) {
    OFString value;
    item->findAndGetOFStringArray(tag, value);
    return QString::fromUtf8(value.c_str()).trimmed();
}

QDate dateOf(const QString& da) {
    return QDate::fromString(da.left(8), QStringLiteral("yyyyMMdd"));
}

QTime timeOf(const QString& tm) {
    const QString digits = tm.left(6).leftJustified(6, QLatin1Char('0'));
    return QTime::fromString(digits, QStringLiteral("HHmmss"));
}

QDateTime dateTimeOf(const QString& da, const QString& tm) {
    const QDate date = dateOf(da);
    return date.isValid() ? QDateTime(date, timeOf(tm).isValid() ? timeOf(tm) : QTime(0, 0))
                          : QDateTime();
}

// C-FIND responses, freed with the list.
struct Responses {
    OFList<QRResponse*> list;
    ~Responses() {
        for (QRResponse* r : list)
            delete r;
    }
    // The final status when it is a failure.
    std::optional<Uint16> failed() const {
        if (list.empty())
            return std::nullopt;
        const Uint16 status = list.back()->m_status;
        return DICOM_PENDING_STATUS(status) || statusKept(status) ? std::nullopt
                                                                  : std::optional(status);
    }
};

Result<> find(Association& assoc, const char* model, DcmDataset& query, Responses& out) {
    const T_ASC_PresentationContextID id = assoc.contextFor(model);
    if (id == 0)
        return Message{ids::kDicomKindRefused, assoc.peerText()};
    const OFCondition cond = assoc.scu().sendFINDRequest(id, &query, &out.list);
    if (cond.bad())
        return assoc.failure(cond);
    if (const auto status = out.failed())
        return Message{ids::kDicomQueryFailed, statusText(*status)};
    return {};
}

WorklistItem worklistItem(DcmDataset* ds) {
    ds->convertToUTF8();
    WorklistItem item;
    item.patientName = text(ds, DCM_PatientName);
    item.patientId = text(ds, DCM_PatientID);
    item.birthDate = dateOf(text(ds, DCM_PatientBirthDate));
    item.sex = text(ds, DCM_PatientSex);
    item.accessionNumber = text(ds, DCM_AccessionNumber);
    item.requestedProcedure = text(ds, DCM_RequestedProcedureDescription);
    item.studyInstanceUid = text(ds, DCM_StudyInstanceUID);
    DcmItem* step = nullptr;
    if (ds->findAndGetSequenceItem(DCM_ScheduledProcedureStepSequence, step, 0).good()) {
        item.scheduled = dateTimeOf(text(step, DCM_ScheduledProcedureStepStartDate),
                                    text(step, DCM_ScheduledProcedureStepStartTime));
        item.stepId = text(step, DCM_ScheduledProcedureStepID);
        item.stationAet = text(step, DCM_ScheduledStationAETitle);
        if (item.requestedProcedure.isEmpty())
            item.requestedProcedure = text(step, DCM_ScheduledProcedureStepDescription);
    }
    return item;
}

} // namespace

Result<EchoOutcome> echo(const QString& callingAet, const DicomNode& peer, int timeoutSeconds) {
    Association assoc(callingAet, peer, timeoutSeconds);
    assoc.propose(UID_VerificationSOPClass);
    QElapsedTimer clock;
    clock.start();
    if (auto opened = assoc.open(); !opened)
        return opened.message();
    const OFCondition cond = assoc.scu().sendECHORequest(0);
    if (cond.bad())
        return assoc.failure(cond);
    return EchoOutcome{int(clock.elapsed())};
}

Result<std::vector<WorklistItem>> queryWorklist(const QString& callingAet,
                                                const DicomNode& provider, const QDate& day,
                                                int timeoutSeconds) {
    Association assoc(callingAet, provider, timeoutSeconds);
    assoc.propose(UID_FINDModalityWorklistInformationModel);
    if (auto opened = assoc.open(); !opened)
        return opened.message();
    DcmDataset query;
    for (const DcmTagKey& key :
         {DCM_PatientName, DCM_PatientID, DCM_PatientBirthDate, DCM_PatientSex, DCM_AccessionNumber,
          DCM_RequestedProcedureDescription, DCM_RequestedProcedureID, DCM_StudyInstanceUID})
        query.insertEmptyElement(key);
    DcmItem* step = nullptr;
    query.findOrCreateSequenceItem(DCM_ScheduledProcedureStepSequence, step, -2);
    step->putAndInsertString(DCM_Modality, "ECG");
    step->putAndInsertString(DCM_ScheduledStationAETitle, callingAet.toStdString().c_str());
    step->putAndInsertString(DCM_ScheduledProcedureStepStartDate,
                             day.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData());
    for (const DcmTagKey& key : {DCM_ScheduledProcedureStepStartTime, DCM_ScheduledProcedureStepID,
                                 DCM_ScheduledProcedureStepDescription})
        step->insertEmptyElement(key);
    Responses responses;
    if (auto found = find(assoc, UID_FINDModalityWorklistInformationModel, query, responses);
        !found)
        return found.message();
    std::vector<WorklistItem> items;
    for (QRResponse* r : responses.list)
        if (r->m_dataset != nullptr)
            items.push_back(worklistItem(r->m_dataset));
    return items;
}

Result<> storeObject(const QString& callingAet, const DicomNode& archive, const QByteArray& file,
                     int timeoutSeconds) {
    auto sent = storeObjects(
        callingAet, archive, 1, [&](int) { return file; }, {}, nullptr, timeoutSeconds);
    if (!sent)
        return sent.message();
    if (!sent.value().failedIndexes.empty())
        return sent.value().firstFailure;
    return {};
}

Result<StoreBatchOutcome> storeObjects(const QString& callingAet, const DicomNode& archive,
                                       int count, const std::function<QByteArray(int)>& file,
                                       const std::function<void(int index)>& stored,
                                       const std::atomic<bool>* cancel, int timeoutSeconds) {
    // Each class is proposed with the transfer syntax its files are in, so
    // the archive gets the data set as it was written.
    std::set<std::pair<std::string, std::string>> kinds;
    for (const char* sopClass : kStationClasses)
        kinds.emplace(sopClass, UID_LittleEndianExplicitTransferSyntax);
    for (int i = 0; i < count; ++i)
        if (auto parsed = parseFile(file(i)))
            kinds.emplace(parsed.value().sopClass.c_str(), parsed.value().transferSyntax.c_str());
    Association assoc(callingAet, archive, timeoutSeconds);
    for (const auto& [sopClass, syntax] : kinds)
        assoc.propose(sopClass.c_str(), syntax.c_str());
    if (auto opened = assoc.open(); !opened)
        return opened.message();
    StoreBatchOutcome outcome;
    auto refuse = [&](int i, Message why) {
        outcome.failedIndexes.push_back(i);
        if (outcome.firstFailure.isNone())
            outcome.firstFailure = std::move(why);
    };
    for (int i = 0; i < count; ++i) {
        if (cancel != nullptr && cancel->load())
            break;
        auto parsed = parseFile(file(i));
        if (!parsed) {
            refuse(i, parsed.message());
            continue;
        }
        const ParsedFile& f = parsed.value();
        const T_ASC_PresentationContextID id =
            assoc.contextFor(f.sopClass.c_str(), f.transferSyntax.c_str());
        if (id == 0) {
            refuse(i, Message{ids::kDicomKindRefused, QString::fromLatin1(f.sopClass.c_str())});
            continue;
        }
        Uint16 status = 0;
        const OFCondition cond =
            assoc.scu().sendSTORERequest(id, OFFilename(), f.format->getDataset(), status);
        if (cond.bad())
            return assoc.failure(cond);
        if (!statusKept(status)) {
            refuse(i, Message{ids::kDicomStoreRefused, statusText(status)});
            continue;
        }
        ++outcome.stored;
        if (stored)
            stored(i);
    }
    return outcome;
}

Result<std::vector<ArchivedStudy>> findStudies(const QString& callingAet, const DicomNode& archive,
                                               const QString& patientId, int timeoutSeconds) {
    Association assoc(callingAet, archive, timeoutSeconds);
    assoc.propose(UID_FINDStudyRootQueryRetrieveInformationModel);
    if (auto opened = assoc.open(); !opened)
        return opened.message();
    DcmDataset query;
    query.putAndInsertString(DCM_QueryRetrieveLevel, "STUDY");
    query.putAndInsertString(DCM_PatientID, patientId.toUtf8().constData());
    query.putAndInsertString(DCM_ModalitiesInStudy, "ECG");
    for (const DcmTagKey& key : {DCM_StudyInstanceUID, DCM_StudyDate, DCM_StudyTime,
                                 DCM_StudyDescription, DCM_NumberOfStudyRelatedInstances})
        query.insertEmptyElement(key);
    Responses responses;
    if (auto found = find(assoc, UID_FINDStudyRootQueryRetrieveInformationModel, query, responses);
        !found)
        return found.message();
    std::vector<ArchivedStudy> studies;
    for (QRResponse* r : responses.list) {
        if (r->m_dataset == nullptr)
            continue;
        DcmDataset* ds = r->m_dataset;
        ds->convertToUTF8();
        ArchivedStudy study;
        study.studyInstanceUid = text(ds, DCM_StudyInstanceUID);
        study.studyTime = dateTimeOf(text(ds, DCM_StudyDate), text(ds, DCM_StudyTime));
        study.description = text(ds, DCM_StudyDescription);
        study.patientId = text(ds, DCM_PatientID).isEmpty() ? patientId : text(ds, DCM_PatientID);
        study.instances = text(ds, DCM_NumberOfStudyRelatedInstances).toInt();
        studies.push_back(study);
    }
    // The station's name is kept per series.
    for (ArchivedStudy& study : studies) {
        DcmDataset series;
        series.putAndInsertString(DCM_QueryRetrieveLevel, "SERIES");
        series.putAndInsertString(DCM_StudyInstanceUID,
                                  study.studyInstanceUid.toLatin1().constData());
        for (const DcmTagKey& key :
             {DCM_SeriesInstanceUID, DCM_Modality, DCM_StationName, DCM_SeriesDescription})
            series.insertEmptyElement(key);
        Responses found;
        if (auto asked = find(assoc, UID_FINDStudyRootQueryRetrieveInformationModel, series, found);
            !asked)
            return asked.message();
        for (QRResponse* r : found.list) {
            if (r->m_dataset == nullptr)
                continue;
            r->m_dataset->convertToUTF8();
            if (study.stationName.isEmpty())
                study.stationName = text(r->m_dataset, DCM_StationName);
            if (study.description.isEmpty() && text(r->m_dataset, DCM_Modality) == u"ECG")
                study.description = text(r->m_dataset, DCM_SeriesDescription);
        }
    }
    return studies;
}

QString sopClassOf(const QByteArray& file) {
    const auto parsed = parseFile(file);
    return parsed ? QString::fromLatin1(parsed.value().sopClass.c_str()) : QString();
}

Result<std::vector<QByteArray>> getStudy(const QString& callingAet, const DicomNode& archive,
                                         const QString& studyInstanceUid, int timeoutSeconds) {
    QTemporaryDir received;
    if (!received.isValid())
        return Message{ids::kDicomRetrieveFailed, received.errorString()};
    Association assoc(callingAet, archive, timeoutSeconds);
    assoc.propose(UID_GETStudyRootQueryRetrieveInformationModel);
    for (const char* sopClass : kStationClasses)
        assoc.propose(sopClass, nullptr, ASC_SC_ROLE_SCP);
    // Kept as the archive sent them: the data set bytes are not re-encoded.
    assoc.scu().setStorageMode(DCMSCU_STORAGE_BIT_PRESERVING);
    assoc.scu().setStorageDir(received.path().toLocal8Bit().constData());
    if (auto opened = assoc.open(); !opened)
        return opened.message();
    const T_ASC_PresentationContextID id =
        assoc.contextFor(UID_GETStudyRootQueryRetrieveInformationModel);
    if (id == 0)
        return Message{ids::kDicomKindRefused, assoc.peerText()};
    DcmDataset query;
    query.putAndInsertString(DCM_QueryRetrieveLevel, "STUDY");
    query.putAndInsertString(DCM_StudyInstanceUID, studyInstanceUid.toLatin1().constData());
    OFList<RetrieveResponse*> responses;
    const OFCondition cond = assoc.scu().sendCGETRequest(id, &query, &responses);
    Uint16 status = responses.empty() ? Uint16(0) : responses.back()->m_status;
    for (RetrieveResponse* r : responses)
        delete r;
    if (cond.bad())
        return assoc.failure(cond);
    assoc.close();
    std::vector<QByteArray> files;
    const QDir dir(received.path());
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            files.push_back(f.readAll());
    }
    if (files.empty() && !statusKept(status))
        return Message{ids::kDicomRetrieveFailed, statusText(status)};
    if (files.empty())
        return Message{ids::kNoSuchStudy, studyInstanceUid};
    return files;
}

} // namespace vantora
