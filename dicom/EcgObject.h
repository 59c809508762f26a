#pragma once

#include "core/RecordingMode.h"
#include "core/Result.h"
#include "records/RecordIndexEntry.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vantora {

// One recording of a patient's store: the patient, the store and the 1-based
// number the lists show.
struct RecordingKey {
    QString patientId;
    RecordingMode mode = RecordingMode::None;
    int number = 0; // 1-based
};

// The study a recording belongs to at the archive: from the worklist step it
// was made for, or derived from the recording itself.
struct StudyIdentity {
    QString studyInstanceUid;
    QString accessionNumber;
    QString requestedProcedure;
};

// One DICOM object, whole: `file` is the Part-10 file (preamble, meta header
// and data set), as sent to and received from the archive.
struct DicomObject {
    QString sopClassUid;
    QString sopInstanceUid;
    QString studyInstanceUid;
    QByteArray file;
};

// What a recording becomes for the archive: its waveform and, when asked for,
// its analysis report.
struct RecordingObjects {
    DicomObject waveform;
    std::optional<DicomObject> report;
};

// Builds the General ECG Waveform object of a recording and, if withReport,
// the Encapsulated PDF of its analysis report (the same report the analysis
// page saves and `vantora-cli report --analysis` writes), in one study. UIDs
// are derived from the recording, so building again gives the same objects'
// identities. Reading and rendering only: the store is not changed.
Result<RecordingObjects> buildRecordingObjects(const QString& dataRoot, const RecordingKey& key,
                                               const QString& stationAet, bool withReport);

// A received waveform object, checked: what the store needs to append it
// byte for byte. Objects the station did not make (another sampling rate,
// several channels, another SOP class, a damaged file) are refused with a
// message naming why; counts and lengths in the file are never trusted.
struct ReceivedRecording {
    QString patientId;
    RecordingMode mode = RecordingMode::None;
    QByteArray recordData; // the store's record bytes
    RecordIndexEntry entry;
    QString note;
};
Result<ReceivedRecording> readEcgObject(const QByteArray& file);

// Appends the recording to the patient's store of its mode (and its note),
// unless an identical recording is already there; gives its 1-based number
// either way.
Result<int> importEcgObject(const QString& dataRoot, const ReceivedRecording& recording);

} // namespace vantora
