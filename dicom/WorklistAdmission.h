#pragma once

#include "core/Result.h"
#include "dicom/DicomNetwork.h"
#include "records/PatientRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vantora {

class Prompter;

// The registry's spelling of a scheduled patient: the name's parts ("^"
// between family, given, middle name, prefix, suffix) joined by single
// spaces in that order, each "=" group (alphabetic, ideographic, phonetic)
// kept and separated by " = "; the sex "M" or "F" as the registry's text,
// anything else none; the birth date in the registry's date format.
struct WorklistPatient {
    QString id;
    QString name;
    int sexChoice = -1; // 0 male, 1 female, -1 not given
    QDate birthDate;    // invalid: not given
};
WorklistPatient worklistPatient(const WorklistItem& item);

// Why the registry cannot take the scheduled patient as it is: an id longer
// than the registry holds or a name longer than its field (62885), an id the
// registry cannot use as a file name or control characters in the name
// (62886); each names the field. Nothing is ever cut to fit.
Message unstorableField(const WorklistPatient& patient);

// The lines of the confirmation, one per field the registry holds with a
// different value ("Name: "Ann Smith" in the registry, "Anne Smith" in the
// worklist"). Empty registry fields are no difference: they are filled.
QStringList worklistDifferences(const PatientRecord& stored, const WorklistPatient& scheduled);

struct Admission {
    int position = 0; // 1-based registry position of the patient
    QString patientId;
    bool created = false; // registered afresh
    bool updated = false; // the registry's record was rewritten
};

// Takes a chosen worklist step into the station: registers the patient when
// the registry has no such id (compared ignoring case, as chart import
// does), else fills its empty fields and, only after `prompter` confirmed
// the listed differences, replaces those too. Then remembers the step's
// study (StudyLinks) so that the patient's next recording keeps its
// accession number and study instance UID. The caller makes the patient
// current. A field the registry cannot store refuses the whole step first.
Result<Admission> admitFromWorklist(const QString& dataRoot, const WorklistItem& item,
                                    Prompter& prompter, const QDateTime& chosenAt);

} // namespace vantora
