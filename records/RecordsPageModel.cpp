#include "records/RecordsPageModel.h"

#include "core/AppState.h"
#include "core/Langpack.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/ChartFile.h"
#include "records/RecordingDescription.h"
#include "records/RecordingNotes.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <utility>

namespace vantora {

namespace {

const QString kChartFilter = QStringLiteral("Chart Files (*.cEcg)");

// How many recordings go to which file, as the export question and its
// report say it.
QString movedRecordingsText(int count, const QString& path) {
    return fillDollar(fillDollar(Langpack::text(ids::kMovedRecordings), QString::number(count)),
                      QDir::toNativeSeparators(path));
}
} // namespace

RecordsPageModel::RecordsPageModel(QString dataRoot, RecordingMode mode)
    : root_(std::move(dataRoot)), mode_(storeModeOf(mode)), patients_(root_) {}

RecordingMode RecordsPageModel::storeModeOf(RecordingMode recordingMode) {
    return recordingMode == RecordingMode::Continuous ? RecordingMode::Continuous
                                                      : RecordingMode::Snap;
}

QVector<Message> RecordsPageModel::firstDisplay(AppState& state, Prompter& prompter,
                                                RecordDialogs& dialogs) {
    gain_ = 1;
    deleteAll_ = false;
    exportAll_ = false;
    patients_.setSearchField(PatientSearchField::Id);
    QVector<Message> messages;
    auto keep = [&messages](const Message& m) {
        if (!m.isNone())
            messages.append(m);
    };
    keep(patients_.load());
    const int listed = listRevision_;
    if (state.pendingFile) {
        const QString path = state.pendingPath;
        keep(importPath(path, prompter, dialogs, false));
        state.pendingFile = false;
        state.pendingPath.clear();
    }
    // Without an import that listed its patient, the first patient's recordings.
    if (listRevision_ == listed && patients_.hasSelection())
        keep(listRecordings());
    return messages;
}

Message RecordsPageModel::reload(RecordingMode mode) {
    mode_ = storeModeOf(mode);
    const PatientRecord* selected = selectedPatient();
    const QString id = selected ? selected->id : QString();
    const Message loaded = patients_.load();
    const Message listed = id.isEmpty() ? listRecordings() : selectPatientById(id);
    return loaded.isNone() ? listed : loaded;
}

Message RecordsPageModel::selectPatient(int row) {
    if (!patients_.select(row))
        return {};
    return listRecordings();
}

Message RecordsPageModel::find() {
    const PatientListModel::FindResult found = patients_.find();
    if (!found.moved)
        return found.message;
    const Message listed = listRecordings();
    return found.message.isNone() ? listed : found.message;
}

Message RecordsPageModel::showAll() {
    const Message loaded = patients_.showAll();
    const Message listed = listRecordings();
    return loaded.isNone() ? listed : loaded;
}

void RecordsPageModel::clearRecording() {
    recording_ = -1;
    infoLine_.clear();
    note_.clear();
    preview_.clear();
}

// The selected patient's index, as far as the data file holds records for it.
Message RecordsPageModel::listRecordings() {
    clearRecording();
    recordings_.clear();
    ++listRevision_;
    const PatientRecord* patient = selectedPatient();
    if (!patient)
        return {};
    const RecordingStore store(root_, mode_, patient->id);
    RecordingListing listing = store.listIndex();
    const int held = store.count().value();
    if (int(listing.recordings.size()) > held)
        listing.recordings.resize(size_t(std::max(held, 0)));
    recordings_ = std::move(listing.recordings);
    if (!listing.message.isNone())
        return listing.message;
    return recordings_.empty() ? Message{} : selectRecording(0);
}

Message RecordsPageModel::selectRecording(int row) {
    if (row < 0 || row >= int(recordings_.size()) || row == recording_)
        return {};
    clearRecording();
    recording_ = row;
    const RecordIndexEntry& entry = recordings_[size_t(row)].entry;
    infoLine_ = recordingDescription(mode_, entry);
    const Result<QString> note =
        RecordingNotes(root_, mode_, selectedPatient()->id).read(entry.time);
    note_ = note.value();
    const Message shown = showRecording();
    return note.ok() ? shown : note.message();
}

Message RecordsPageModel::showRecording() {
    preview_.clear();
    if (recording_ < 0)
        return {};
    Result<std::vector<int32_t>> samples =
        RecordingStore(root_, mode_, selectedPatient()->id).readSamples(recording_);
    preview_ = std::move(samples).value();
    return samples.message();
}

Message RecordsPageModel::setGain(int gain) {
    if (gain != 1 && gain != 2)
        return {};
    gain_ = gain;
    return showRecording();
}

QString RecordsPageModel::gainCaption() const {
    return Langpack::text(ids::kGain) +
           (gain_ == 2 ? QStringLiteral(" 20mm/1mv") : QStringLiteral(" 10mm/1mv"));
}

Message RecordsPageModel::deleteRecordings(Prompter& prompter) {
    if (!deleteAll_)
        return deleteSelected(prompter);
    const PatientRecord* patient = selectedPatient();
    if (!patient)
        return {ids::kSelectPatient, {}};
    if (!prompter.confirm({ids::kDeleteAllQuestion, patient->id}))
        return {};
    return removeAndList(RecordingStore::kAll);
}

Message RecordsPageModel::deleteSelected(Prompter& prompter) {
    if (!selectedPatient())
        return {ids::kSelectPatient, {}};
    if (recording_ < 0)
        return {ids::kSelectItem, {}};
    if (!prompter.confirm({ids::kDeleteRecordingQuestion, {}}))
        return {};
    return removeAndList(recording_);
}

// A failed removal leaves the lists as they were.
Message RecordsPageModel::removeAndList(int k) {
    const Result<> removed = RecordingStore(root_, mode_, selectedPatient()->id).remove(k);
    return removed.ok() ? listRecordings() : removed.message();
}

Message RecordsPageModel::editNote(RecordDialogs& dialogs) {
    const PatientRecord* patient = selectedPatient();
    if (!patient)
        return {ids::kSelectPatient, {}};
    if (recording_ < 0)
        return {ids::kSelectItem, {}};
    const SystemTime& start = recordings_[size_t(recording_)].entry.time;
    if (!RecordingNotes::oleDateKey(start))
        return {}; // no date and time to find the note by
    const NoteRequest request{patient->id, patient->id + u' ' + patient->name, start};
    if (const std::optional<QString> text = dialogs.editNote(request))
        note_ = *text;
    return {};
}

FileRequest RecordsPageModel::exportRequest() const {
    FileRequest request;
    request.kind = FileRequest::Kind::Save;
    request.title = QStringLiteral("Export");
    request.filters = {kChartFilter};
    if (!exportAll_)
        request.filters.append(QStringLiteral("Picture Files (*.bmp)"));
    request.defaultSuffix = QStringLiteral("cEcg");
    const PatientRecord* patient = selectedPatient();
    request.proposedName = ChartFile::proposedName(mode_, patient ? patient->id : QString(),
                                                   exportAll_ ? RecordingStore::kAll : recording_);
    request.directory = QDir::currentPath();
    return request;
}

RecordsPageModel::ExportOutcome RecordsPageModel::exportRecordings(Prompter& prompter,
                                                                   RecordDialogs& dialogs) {
    ExportOutcome outcome;
    if (!selectedPatient()) {
        outcome.message = {ids::kSelectPatient, {}};
        return outcome;
    }
    if (recording_ < 0) {
        outcome.message = {ids::kSelectItem, {}};
        return outcome;
    }
    const std::optional<QString> target = dialogs.chooseFile(exportRequest());
    if (!target)
        return outcome;
    // The recordings leave the station: the user says so first, and is told
    // afterwards what went where. A picture moves nothing and asks nothing.
    const int moving = exportAll_ ? int(recordings_.size()) : 1;
    const QString what = movedRecordingsText(moving, *target);
    const bool chart = QFileInfo(*target).suffix().compare(u"cEcg", Qt::CaseInsensitive) == 0;
    if (chart && !prompter.confirm({ids::kExportQuestion, what}))
        return outcome;
    const ChartExportResult result =
        ChartFile(root_, mode_)
            .exportRecordings(patients_.selectedPosition(),
                              exportAll_ ? RecordingStore::kAll : recording_, *target, prompter);
    if (result.pictureRequested) {
        outcome.picturePath = *target;
        return outcome;
    }
    outcome.message = result.message;
    if (result.exported > 0) {
        const Message listed = listRecordings();
        if (outcome.message.isNone())
            outcome.message = listed;
        if (outcome.message.isNone())
            outcome.message = {ids::kExported, movedRecordingsText(result.exported, *target)};
    }
    return outcome;
}

FileRequest RecordsPageModel::importRequest() const {
    FileRequest request;
    request.kind = FileRequest::Kind::Open;
    request.title = Langpack::text(ids::kImportTitle);
    request.filters = {kChartFilter, mode_ == RecordingMode::Snap
                                         ? QStringLiteral("SD Card File(ECGDATA.dat) (ECGDATA.DAT)")
                                         : QStringLiteral("SD Card File(*.dat) (*.DAT)")};
    request.defaultSuffix = QStringLiteral("cEcg");
    request.directory = QDir::currentPath();
    return request;
}

Message RecordsPageModel::importCommand(Prompter& prompter, RecordDialogs& dialogs) {
    const std::optional<QString> path = dialogs.chooseFile(importRequest());
    if (!path)
        return {};
    const qsizetype dot = path->lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : path->mid(dot + 1);
    if (extension == QStringLiteral("cEcg"))
        return importPath(*path, prompter, dialogs, true);
    if (extension == QStringLiteral("DAT"))
        return importCard(*path, prompter, dialogs, true);
    return {};
}

Message RecordsPageModel::importPath(const QString& path, Prompter& prompter,
                                     RecordDialogs& dialogs, bool ask) {
    if (ChartFile::isCardFileName(path))
        return importCard(path, prompter, dialogs, ask);
    const ChartImportResult result = ChartFile(root_, mode_).importChart(path, prompter, ask);
    if (result.imported == 0)
        return result.message;
    if (result.registered)
        patients_.load();
    const Message shown = selectPatientById(result.patientId);
    return result.message.isNone() ? shown : result.message;
}

Message RecordsPageModel::importCard(const QString& path, Prompter& prompter,
                                     RecordDialogs& dialogs, bool ask) {
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::Read))
        return {ids::kCannotOpen, path};
    file.close();
    if (!ChartFile::looksLikeCardFile(path))
        return {ids::kNotContinuousFile, {}};
    const std::optional<int> picked = dialogs.pickPatient();
    if (!picked || *picked < 0)
        return {};
    const ChartImportResult result =
        ChartFile(root_, mode_).importCard(path, *picked + 1, prompter, ask);
    if (result.imported == 0)
        return result.message;
    patients_.load(); // the picker may have added the patient
    const Message shown = selectPatientById(result.patientId);
    return result.message.isNone() ? shown : result.message;
}

// Selects the patient with `id` (ignoring case) and lists its recordings
// afresh, even when its row was already selected.
Message RecordsPageModel::selectPatientById(const QString& id) {
    for (int row = 0; row < patients_.rowCount(); ++row) {
        if (patients_.record(row).id.compare(id, Qt::CaseInsensitive) == 0) {
            patients_.select(row);
            break;
        }
    }
    return listRecordings();
}

} // namespace vantora
