#pragma once

#include "records/PatientRecord.h"

#include <QHash>
#include <QVector>

namespace vantora {

// The patient manager's duplicate check: the ids of the registry keyed by
// their integer value (patientIdValue), so "007" and "7" collide and every id
// without leading digits counts as 0. The manager builds it when it opens and
// holds it as long as its dialog lives; add inserts, delete removes the value.
class PatientIdMap {
public:
    PatientIdMap() = default;
    explicit PatientIdMap(const QVector<PatientRecord>& records);

    bool contains(const QString& id) const;
    void insert(const PatientRecord& record);
    // Removes the id's value, whichever record put it there.
    void remove(const QString& id);
    int size() const { return int(byValue_.size()); }

private:
    QHash<int32_t, PatientRecord> byValue_;
};

} // namespace vantora
