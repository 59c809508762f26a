#pragma once

// What the waveform and the report objects of one recording share, and the
// private elements that let the station take back its own recordings byte for
// byte. Internal to the dicom layer.
#include "core/SignalFormat.h"
#include "dicom/EcgObject.h"
#include "records/PatientRecord.h"

#include <QDateTime>

#include <dcmtk/dcmdata/dctag.h>

class DcmDataset;
class DcmFileFormat;

namespace vantora::dicom {

// The recording the objects are made of, read from the store once.
struct ObjectSource {
    PatientRecord patient; // registered spelling of the id
    RecordingKey key;
    RecordIndexEntry entry;
    QByteArray record; // whole, with its marker
    std::vector<int32_t> samples;
    QString note;
    QDateTime start; // local, no zone
    StudyIdentity study;
    QString stationAet;
    QByteArray identity; // what every UID of the recording is made from
};

// The registered patient of an id given in any case (61912 when none).
Result<PatientRecord> registeredPatient(const QString& dataRoot, const QString& id);

// A stored recording as the objects use it: its entry, its whole record and
// the identity its UIDs are made from.
struct StoredRecording {
    RecordIndexEntry entry;
    QByteArray record;
    QByteArray identity;
};
Result<StoredRecording> readStored(const QString& dataRoot, const RecordingKey& key);

// The series and instance one object sits in.
struct ObjectPlace {
    const char* sopClassUid;
    QString sopInstanceUid;
    QString seriesUid;
    const char* modality;
    int seriesNumber;
};

// Patient, General Study, the series, General Equipment and SOP Common.
void putCommonModules(DcmDataset& data, const ObjectSource& source, const ObjectPlace& place);
// The object's whole file, or a failure naming the object.
Result<DicomObject> finishObject(DcmFileFormat& file, const ObjectSource& source,
                                 const ObjectPlace& place);

// The Encapsulated PDF of the recording's analysis report, referring to the
// waveform it was drawn from.
Result<DicomObject> buildReportObject(const ObjectSource& source, const QByteArray& pdf,
                                      const DicomObject& waveform);

// The private block of a waveform object: the store's mode, index entry and
// record exactly as the store holds them.
constexpr Uint16 kPrivateGroup = 0x0009;
constexpr const char* kPrivateCreator = "VANTORA ECG RECORD";
const DcmTag& privateCreatorTag();
const DcmTag& privateModeTag();
const DcmTag& privateEntryTag();
const DcmTag& privateRecordTag();

// The stored mode's name in the private block.
const char* modeName(RecordingMode mode);

// What a reader gets in mV is (sample + baseline) x sensitivity x correction
// / 1000; the samples are stored less the zero line, see EcgObject.cpp.
constexpr int32_t storedSample(int32_t count) {
    const int32_t s = count - kSampleBaseline;
    return s < -32768 ? -32768 : (s > 32767 ? 32767 : s);
}

} // namespace vantora::dicom
