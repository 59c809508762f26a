#include "records/PatientIdMap.h"

namespace vantora {

PatientIdMap::PatientIdMap(const QVector<PatientRecord>& records) {
    for (const PatientRecord& r : records)
        insert(r);
}

bool PatientIdMap::contains(const QString& id) const {
    return byValue_.contains(patientIdValue(id));
}

void PatientIdMap::insert(const PatientRecord& record) {
    byValue_.insert(patientIdValue(record.id), record);
}

void PatientIdMap::remove(const QString& id) {
    byValue_.remove(patientIdValue(id));
}

} // namespace vantora
