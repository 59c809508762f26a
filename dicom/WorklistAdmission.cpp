#include "dicom/WorklistAdmission.h"

#include "core/Langpack.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "dicom/StudyLinks.h"
#include "records/PatientRegistry.h"

namespace vantora {

namespace {

// DICOM pads with spaces; anything else (tabs, control characters) stays
// for the check to refuse.
QString withoutPadding(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text[from] == u' ')
        ++from;
    while (to > from && text[to - 1] == u' ')
        --to;
    return text.mid(from, to - from);
}

QString registryName(const QString& personName) {
    QStringList groups;
    for (const QString& group : personName.split(u'=')) {
        QStringList parts;
        for (const QString& part : group.split(u'^'))
            if (const QString p = withoutPadding(part); !p.isEmpty())
                parts << p;
        groups << parts.join(u' ');
    }
    while (!groups.isEmpty() && groups.constLast().isEmpty())
        groups.removeLast();
    return groups.join(QStringLiteral(" = "));
}

bool hasControlCharacter(const QString& text) {
    for (QChar c : text)
        if (c.category() == QChar::Other_Control)
            return true;
    return false;
}

QString label(int id) {
    return Langpack::text(id).remove(u'&').remove(u':').trimmed();
}

} // namespace

WorklistPatient worklistPatient(const WorklistItem& item) {
    WorklistPatient p;
    p.id = item.patientId.trimmed();
    p.name = registryName(item.patientName);
    const QString sex = item.sex.trimmed().toUpper();
    p.sexChoice = sex == u"M" ? 0 : sex == u"F" ? 1 : -1;
    p.birthDate = item.birthDate;
    return p;
}

Message unstorableField(const WorklistPatient& patient) {
    if (patient.id.size() > kMaxPatientIdLength)
        return {ids::kWorklistFieldTooLong, label(ids::kPatientId)};
    if (!isValidPatientId(patient.id))
        return {ids::kWorklistFieldUnstorable, label(ids::kPatientId)};
    if (patient.name.size() > PatientRecord::capacity(PatientRecord::kName))
        return {ids::kWorklistFieldTooLong, label(ids::kName)};
    if (hasControlCharacter(patient.name))
        return {ids::kWorklistFieldUnstorable, label(ids::kName)};
    return {};
}

QStringList worklistDifferences(const PatientRecord& stored, const WorklistPatient& scheduled) {
    QStringList lines;
    const auto differ = [&](int field, const QString& was, const QString& now) {
        if (!was.isEmpty() && !now.isEmpty() && was != now)
            lines << fillText(ids::kWorklistDifference, {label(field), was, now});
    };
    differ(ids::kName, stored.name, scheduled.name);
    differ(ids::kSex, stored.sex, sexText(scheduled.sexChoice));
    // Dates compare as dates: the stored text is in the locale's format.
    const QDate storedDate = parsePatientDate(stored.date);
    if (scheduled.birthDate.isValid() && !stored.date.isEmpty() &&
        storedDate != scheduled.birthDate)
        lines << fillText(ids::kWorklistDifference, {label(ids::kDateOfBirth), stored.date,
                                                     formatPatientDate(scheduled.birthDate)});
    return lines;
}

namespace {

// The stored fields with the scheduler's in place: all of them, or only
// where the registry holds nothing.
PatientFields mergedFields(const PatientRecord& stored, const WorklistPatient& p, bool replace) {
    PatientFields f = PatientFields::fromRecord(stored);
    f.weight = stored.weight; // fromRecord leaves a zero weight blank; edit stores it again
    if (!p.name.isEmpty() && (replace || stored.name.isEmpty()))
        f.name = p.name;
    if (p.sexChoice >= 0 && (replace || stored.sex.isEmpty()))
        f.sexChoice = p.sexChoice;
    if (p.birthDate.isValid() && (replace || stored.date.isEmpty()))
        f.date = formatPatientDate(p.birthDate);
    return f;
}

bool sameFields(const PatientRecord& stored, const PatientFields& f) {
    return f.name == stored.name && sexText(f.sexChoice) == stored.sex && f.date == stored.date;
}

Result<Admission> registerPatient(const PatientRegistry& registry, const WorklistPatient& p) {
    PatientRecord record;
    record.id = p.id;
    record.name = p.name;
    record.sex = sexText(p.sexChoice);
    record.date = p.birthDate.isValid() ? formatPatientDate(p.birthDate) : QString();
    record.weight = normaliseWeight(QString());
    record.revision = PatientRecord::kRevisionAdded;
    const Result<PatientAdded> added = registry.appendRecord(record);
    if (!added.ok())
        return added.message();
    return Admission{added.value().position, p.id, true, false};
}

Result<Admission> updatePatient(const PatientRegistry& registry, int position,
                                const WorklistPatient& p, Prompter& prompter) {
    const Result<PatientRecord> stored = registry.read(position);
    if (!stored.ok())
        return stored.message();
    const QStringList differences = worklistDifferences(stored.value(), p);
    const bool replace = !differences.isEmpty() &&
                         prompter.confirm({ids::kWorklistDiffersQuestion, differences.join(u'\n')});
    const PatientFields fields = mergedFields(stored.value(), p, replace);
    Admission admission{position, stored.value().id, false, false};
    if (sameFields(stored.value(), fields))
        return admission;
    if (const Result<> edited = registry.edit(position, fields); !edited.ok())
        return edited.message();
    admission.updated = true;
    return admission;
}

} // namespace

Result<Admission> admitFromWorklist(const QString& dataRoot, const WorklistItem& item,
                                    Prompter& prompter, const QDateTime& chosenAt) {
    const WorklistPatient patient = worklistPatient(item);
    if (const Message refused = unstorableField(patient); !refused.isNone())
        return refused;
    const PatientRegistry registry(dataRoot);
    const int position = registry.findById(patient.id);
    Result<Admission> admitted = position > 0 ? updatePatient(registry, position, patient, prompter)
                                              : registerPatient(registry, patient);
    if (!admitted.ok())
        return admitted;
    const StudyIdentity study{item.studyInstanceUid, item.accessionNumber, item.requestedProcedure};
    if (const Result<> kept =
            StudyLinks::remember(dataRoot, admitted.value().patientId, study, chosenAt);
        !kept.ok())
        return kept.message();
    return admitted;
}

} // namespace vantora
