// The analysis page's tree: patients and their recordings read from the
// files, the selection checked against the store before anything is shown.
// Tested by tests/records/AnalysisTreeModelTest.cpp.
#include "records/AnalysisTreeModel.h"

#include "core/StringIds.h"
#include "records/ExchangeExport.h"
#include "records/PatientRegistry.h"
#include "records/RecordingDescription.h"
#include "records/RecordingNotes.h"
#include "records/RecordingTime.h"
#include "records/RecordsPageModel.h"

namespace vantora {

AnalysisTreeModel::AnalysisTreeModel(QString dataRoot) : root_(std::move(dataRoot)) {}

void AnalysisTreeModel::load(RecordingMode recordingMode) {
    mode_ = RecordsPageModel::storeModeOf(recordingMode);
    selected_ = {};
    clearRecording();
    patients_.clear();
    for (const PatientRecord& patient : PatientRegistry(root_).loadAll().records) {
        AnalysisTreePatient listed{patient.id, patient.id + u' ' + patient.name, {}};
        const RecordingStore store(root_, mode_, patient.id);
        const int held = store.count().value();
        for (const ListedRecording& r : store.listIndex().recordings) {
            if (r.number > held)
                break;
            listed.recordings.push_back(r);
        }
        patients_.push_back(std::move(listed));
    }
}

namespace {
QByteArray entryBytes(const RecordIndexEntry& entry) {
    const auto bytes = entry.toBytes();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}
} // namespace

TreePlace AnalysisTreeModel::reload(RecordingMode recordingMode) {
    const AnalysisSelection was = remembered();
    load(recordingMode);
    return find(was);
}

AnalysisSelection AnalysisTreeModel::remembered() const {
    const AnalysisTreePatient* patient = selectedPatient();
    if (!patient)
        return {};
    const ListedRecording* r = selectedRecording();
    return {mode_, patient->id, r ? r->number : 0, r ? entryBytes(r->entry) : QByteArray()};
}

TreePlace AnalysisTreeModel::find(const AnalysisSelection& selection) const {
    if (selection.patientId.isEmpty() || selection.mode != mode_)
        return {};
    for (int p = 0; p < int(patients_.size()); ++p) {
        if (patients_[size_t(p)].id != selection.patientId)
            continue;
        if (selection.recordingNumber <= 0)
            return {p, -1};
        const auto& listed = patients_[size_t(p)].recordings;
        const int row = selection.recordingNumber - 1;
        if (row < int(listed.size()) && entryBytes(listed[size_t(row)].entry) == selection.entry)
            return {p, row};
        return {};
    }
    return {};
}

const AnalysisTreePatient* AnalysisTreeModel::selectedPatient() const {
    return selected_.patient >= 0 ? &patients_[size_t(selected_.patient)] : nullptr;
}

const ListedRecording* AnalysisTreeModel::selectedRecording() const {
    return selected_.isRecording()
               ? &patients_[size_t(selected_.patient)].recordings[size_t(selected_.recording)]
               : nullptr;
}

void AnalysisTreeModel::clearRecording() {
    samples_.clear();
    note_.clear();
    message_ = {};
}

bool AnalysisTreeModel::stillStored(const AnalysisTreePatient& patient,
                                    const ListedRecording& r) const {
    const auto entry = RecordingStore(root_, mode_, patient.id).readEntry(r.number - 1);
    return entry.ok() && entry.value().toBytes() == r.entry.toBytes();
}

bool AnalysisTreeModel::select(TreePlace place) {
    clearRecording();
    const bool known = place.patient >= 0 && place.patient < int(patients_.size()) &&
                       place.recording < int(patients_[size_t(place.patient)].recordings.size());
    selected_ = known ? place : TreePlace{};
    const ListedRecording* r = selectedRecording();
    if (!r)
        return true;
    const AnalysisTreePatient& patient = *selectedPatient();
    // Deleted or replaced since the tree was read: said instead of an empty strip.
    auto read = RecordingStore(root_, mode_, patient.id).readSamples(r->number - 1);
    if (!stillStored(patient, *r) || !read.ok()) {
        message_ = Message{ids::kRecordingGone, {}};
        return false;
    }
    samples_ = std::move(read).value();
    const auto note = RecordingNotes(root_, mode_, patient.id).read(r->entry.time);
    note_ = note.value();
    message_ = note.message();
    return true;
}

QString AnalysisTreeModel::recordingLabel(const ListedRecording& r) const {
    const RecordingSpan span = recordingSpan(mode_, r.entry);
    const QString time = mode_ == RecordingMode::Continuous && span.start.isValid()
                             ? stationTimeText(span.start.time()) + QStringLiteral(" \u2013 ") +
                                   stationTimeText(span.end.time())
                             : recordingTimeText(mode_, r.entry);
    return QString::number(r.number) + QStringLiteral("  ") + time;
}

QString AnalysisTreeModel::rateText() const {
    const ListedRecording* r = selectedRecording();
    return r ? storedHeartRateText(r->entry.heartRate) : QStringLiteral("...");
}

Message AnalysisTreeModel::exportForOtherTools(RecordDialogs& dialogs) const {
    const AnalysisTreePatient* listed = selectedPatient();
    if (!listed)
        return Message{ids::kSelectForExport, {}};
    const ListedRecording* r = selectedRecording();
    if (r && !stillStored(*listed, *r))
        return Message{ids::kRecordingGone, {}};
    const PatientList patients = PatientRegistry(root_).loadAll();
    const PatientRecord* patient = nullptr;
    for (const PatientRecord& p : patients.records)
        if (p.id == listed->id)
            patient = &p;
    if (!patient && !patients.message.isNone())
        return patients.message;
    return vantora::exportForOtherTools(root_, mode_, patient, r ? r->number - 1 : -1, dialogs);
}

} // namespace vantora
