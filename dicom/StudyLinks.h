#pragma once

#include "core/Result.h"
#include "dicom/EcgObject.h"

#include <QDateTime>
#include <QString>

namespace vantora::StudyLinks {

// The worklist step chosen for a patient is kept until the patient's next
// recording is made: that recording (the first of either mode whose time is
// at or after `chosenAt`) belongs to the step's study. Kept durably in the
// data folder, so a restart between the choice and the recording keeps it.
Result<> remember(const QString& dataRoot, const QString& patientId, const StudyIdentity& study,
                  const QDateTime& chosenAt);

// The study of a recording: the remembered step's when the recording is the
// first one made after the choice, else a study UID derived from the
// recording alone (the same every time, with no accession number). A links
// file that cannot be read counts as holding no links.
Result<StudyIdentity> studyFor(const QString& dataRoot, const RecordingKey& key);
// The same for a recording already read: its entry and the identity its UIDs
// are made from (recordingIdentity).
Result<StudyIdentity> studyFor(const QString& dataRoot, const RecordingKey& key,
                               const RecordIndexEntry& entry, const QByteArray& identity);

// Where the links are kept: "<dataRoot>/StudyLinks.json".
QString path(const QString& dataRoot);

} // namespace vantora::StudyLinks
