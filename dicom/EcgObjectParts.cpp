// The modules both objects of a recording share, the report's Encapsulated
// PDF object, and the private block of the waveform object.
#include "dicom/EcgObjectParts.h"

#include "core/StringIds.h"
#include "dicom/DicomDataset.h"
#include "dicom/DicomUids.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcuid.h>

namespace vantora::dicom {

namespace {

DcmTag privateTag(Uint16 element, DcmEVR vr) {
    DcmTag tag(kPrivateGroup, element, DcmVR(vr));
    if (element != 0x0010)
        tag.setPrivateCreator(kPrivateCreator);
    return tag;
}

const char* sexCode(const QString& stored) {
    switch (sexChoiceOf(stored)) {
    case 0:
        return "M";
    case 1:
        return "F";
    default:
        return "";
    }
}

} // namespace

const DcmTag& privateCreatorTag() {
    static const DcmTag tag = privateTag(0x0010, EVR_LO);
    return tag;
}
const DcmTag& privateModeTag() {
    static const DcmTag tag = privateTag(0x1010, EVR_CS);
    return tag;
}
const DcmTag& privateEntryTag() {
    static const DcmTag tag = privateTag(0x1011, EVR_OB);
    return tag;
}
const DcmTag& privateRecordTag() {
    static const DcmTag tag = privateTag(0x1012, EVR_OB);
    return tag;
}

const char* modeName(RecordingMode mode) {
    return mode == RecordingMode::Snap ? "SNAP" : "CONTINUOUS";
}

Result<PatientRecord> registeredPatient(const QString& dataRoot, const QString& id) {
    const PatientRegistry registry(dataRoot);
    const int position = registry.findById(id);
    if (position <= 0)
        return Message{ids::kNoPatientWithId, id};
    return registry.read(position);
}

Result<StoredRecording> readStored(const QString& dataRoot, const RecordingKey& key) {
    const RecordingStore store(dataRoot, key.mode, key.patientId);
    auto entry = store.readEntry(key.number - 1);
    if (!entry)
        return entry.message();
    auto record = store.readRecord(key.number - 1);
    if (!record)
        return record.message();
    return StoredRecording{
        entry.value(), record.value(),
        recordingIdentity(key.patientId, key.mode, entry.value(), record.value())};
}

void putCommonModules(DcmDataset& data, const ObjectSource& source, const ObjectPlace& place) {
    putAscii(data, DCM_SpecificCharacterSet, "ISO_IR 192");
    putAscii(data, DCM_SOPClassUID, place.sopClassUid);
    putText(data, DCM_SOPInstanceUID, place.sopInstanceUid);
    // Patient
    putText(data, DCM_PatientName, personName(source.patient.name));
    putText(data, DCM_PatientID, source.patient.id);
    putText(data, DCM_PatientBirthDate, dicomDate(parsePatientDate(source.patient.date)));
    putAscii(data, DCM_PatientSex, sexCode(source.patient.sex));
    // General Study
    putText(data, DCM_StudyInstanceUID, source.study.studyInstanceUid);
    putText(data, DCM_StudyDate, dicomDate(source.start.date()));
    putText(data, DCM_StudyTime, dicomTime(source.start.time()));
    putAscii(data, DCM_ReferringPhysicianName, "");
    putAscii(data, DCM_StudyID, "");
    putText(data, DCM_AccessionNumber, source.study.accessionNumber);
    if (!source.study.requestedProcedure.isEmpty())
        putText(data, DCM_StudyDescription, source.study.requestedProcedure);
    // Series
    putAscii(data, DCM_Modality, place.modality);
    putText(data, DCM_SeriesInstanceUID, place.seriesUid);
    putText(data, DCM_SeriesNumber, QString::number(place.seriesNumber));
    putText(data, DCM_InstanceNumber, QStringLiteral("1"));
    // General Equipment
    putAscii(data, DCM_Manufacturer, "Vantora");
    putText(data, DCM_StationName, source.stationAet);
    putAscii(data, DCM_SoftwareVersions, "VantoraECG");
}

Result<DicomObject> finishObject(DcmFileFormat& file, const ObjectSource& source,
                                 const ObjectPlace& place) {
    DicomObject object;
    object.sopClassUid = QString::fromLatin1(place.sopClassUid);
    object.sopInstanceUid = place.sopInstanceUid;
    object.studyInstanceUid = source.study.studyInstanceUid;
    object.file = part10Bytes(file);
    if (object.file.isEmpty())
        return Message{ids::kDicomNotMade, object.sopInstanceUid};
    return object;
}

Result<DicomObject> buildReportObject(const ObjectSource& source, const QByteArray& pdf,
                                      const DicomObject& waveform) {
    const ObjectPlace place{UID_EncapsulatedPDFStorage,
                            nameBasedUid(source.identity + "/pdf" + source.note.toUtf8()),
                            nameBasedUid(source.identity + "/series/doc"), "DOC", 2};
    DcmFileFormat file;
    DcmDataset& data = *file.getDataset();
    putCommonModules(data, source, place);
    putAscii(data, DCM_ConversionType, "WSD"); // a workstation drew it
    putText(data, DCM_ContentDate, dicomDate(source.start.date()));
    putText(data, DCM_ContentTime, dicomTime(source.start.time()));
    putText(data, DCM_AcquisitionDateTime, dicomDateTime(source.start));
    putAscii(data, DCM_BurnedInAnnotation, "YES"); // the patient is named on the sheet
    putAscii(data, DCM_DocumentTitle, "ECG Analysis");
    data.insertEmptyElement(DCM_ConceptNameCodeSequence);
    DcmItem* from = appendItem(data, DCM_SourceInstanceSequence);
    putText(*from, DCM_ReferencedSOPClassUID, waveform.sopClassUid);
    putText(*from, DCM_ReferencedSOPInstanceUID, waveform.sopInstanceUid);
    putAscii(data, DCM_MIMETypeOfEncapsulatedDocument, "application/pdf");
    data.putAndInsertUint32(DCM_EncapsulatedDocumentLength, Uint32(pdf.size()));
    // OB values have even length: one zero byte pads an odd document.
    QByteArray value = pdf;
    if (value.size() % 2 != 0)
        value.append('\0');
    putBytes(data, DcmTag(DCM_EncapsulatedDocument, EVR_OB), value);
    return finishObject(file, source, place);
}

} // namespace vantora::dicom
