#include "records/ChartImport.h"

#include "core/Prompter.h"
#include "records/BinaryFile.h"
#include "records/CardRecord.h"
#include "records/DataFolderLock.h"
#include "records/PatientRegistry.h"
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "records/StoreJournal.h"
#include "records/StoreMessages.h"
#include "records/StoreRewrite.h"

namespace vantora {

ChartImport::ChartImport(QString dataRoot, RecordingMode mode)
    : root_(std::move(dataRoot)), mode_(mode) {}

namespace {

Message wrongKind(RecordingMode mode) {
    return {mode == RecordingMode::Snap ? storemsg::kNotSnapChart : storemsg::kNotContinuousFile,
            {}};
}

// The item count of a chart or card file: positive, within capacity and
// within what the file holds; anything else is a damaged file.
std::optional<int> itemCount(BinaryFile& file, qint64 headerBytes, int itemBytes) {
    const auto n = readBoundedCount(file, headerBytes, itemBytes, kStoreCapacity);
    if (!n || *n <= 0)
        return std::nullopt;
    return n;
}

// The source opens and the registry reads whole: an import that may register
// its patient must not touch the store of a registry it cannot list.
Message openSource(BinaryFile& file, const QString& path, const QString& root) {
    if (!file.open(path, BinaryFile::Mode::Read))
        return {storemsg::kCannotOpen, path};
    return PatientRegistry(root).loadAll().message;
}

// A data file whose count is not 0 (or cannot be read as 0).
bool holdsRecordings(const QString& root, RecordingMode mode, const QString& id) {
    StoreJournal::recover(root, id);
    BinaryFile data;
    if (!data.open(paths::dataFile(root, mode, id), BinaryFile::Mode::Read))
        return false;
    return data.size() > 0 && data.readInt32At(0).value_or(1) != 0;
}

// An item of a chart: entry and record carry the chart's marker, and the
// start time is a date and a time of day (a note is keyed by it).
bool isWholeItem(const uint8_t* entry, const uint8_t* record, std::array<uint8_t, 2> marker) {
    const auto is = [&marker](const uint8_t* p) { return p[0] == marker[0] && p[1] == marker[1]; };
    return is(entry) && is(record) &&
           RecordingNotes::oleDateKey(RecordIndexEntry::fromBytes(entry).time).has_value();
}

} // namespace

ChartImport::Target ChartImport::targetFor(const PatientRecord& record) const {
    const PatientRegistry registry(root_);
    // Ids match ignoring case; the recordings go to the registered spelling,
    // whose files the patient owns.
    if (const int position = registry.findById(record.id); position > 0) {
        if (const Result<PatientRecord> registered = registry.read(position); registered.ok())
            return {registered.value().id, false, {}};
    }
    return {record.id, true, record};
}

ChartImportResult ChartImport::write(const Target& target, int count,
                                     const ItemSource& items) const {
    ChartImportResult result;
    result.patientId = target.id;
    const PatientRegistry registry(root_);
    if (target.registerPatient) {
        const auto n = registry.count();
        if (!n.ok() || n.value() > PatientRegistry::kAddLimit) {
            result.message = n.ok() ? Message{storemsg::kRegistryFull, {}} : n.message();
            return result;
        }
    }
    // Recordings already stored under the id of a new patient (files of a
    // patient the registry no longer lists) are kept: the chart's join them.
    StoreRewrite rewrite(root_, mode_, target.id);
    const auto start = target.registerPatient && !holdsRecordings(root_, mode_, target.id)
                           ? StoreRewrite::Start::Fresh
                           : StoreRewrite::Start::Keep;
    if (result.message = rewrite.begin(start); !result.message.isNone())
        return result;
    if (rewrite.count() + count > kStoreCapacity) {
        result.message = {storemsg::kStoreFull, target.id};
        return result;
    }
    QByteArray entry(RecordIndexEntry::kBytes, Qt::Uninitialized);
    QByteArray record(recordBytesOf(mode_), Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        auto* e = reinterpret_cast<uint8_t*>(entry.data());
        auto* r = reinterpret_cast<uint8_t*>(record.data());
        if (result.message = items(i, e, r); !result.message.isNone())
            return result;
        if (!rewrite.append(e, r)) {
            result.message = {storemsg::kWriteFailed, {}};
            return result;
        }
    }
    if (result.message = rewrite.finish(); !result.message.isNone())
        return result;
    // A new patient is registered together with its recordings: the journal
    // of the replacement carries the record, so a kill at any point leaves
    // both or neither.
    const QByteArray newPatient = target.registerPatient ? target.record.encode() : QByteArray();
    if (result.message = rewrite.replace(newPatient); !result.message.isNone())
        return result;
    result.registered = target.registerPatient;
    result.imported = count;
    return result;
}

ChartImportResult ChartImport::importChart(const QString& path, Prompter& prompter,
                                           bool ask) const {
    ChartImportResult result;
    BinaryFile file;
    if (result.message = openSource(file, path, root_); !result.message.isNone())
        return result;
    uint8_t marker[2];
    if (!file.readAt(chart::kItemsOffset, marker, 2) ||
        std::array<uint8_t, 2>{marker[0], marker[1]} != chart::markerOf(mode_)) {
        result.message = wrongKind(mode_);
        return result;
    }
    const int itemBytes = chart::itemBytes(mode_);
    const auto count = itemCount(file, chart::kItemsOffset, itemBytes);
    QByteArray patientBytes(PatientRecord::kSize, Qt::Uninitialized);
    if (!count || !file.readAt(chart::kPatientOffset, patientBytes.data(), patientBytes.size())) {
        result.message = {storemsg::kDamaged, path};
        return result;
    }
    const PatientRecord patient = PatientRecord::decode(patientBytes);
    // The id names files: one that is not a file-name stem is refused.
    if (!isValidPatientId(patient.id)) {
        result.message = {storemsg::kDamaged, path};
        return result;
    }
    if (ask && !prompter.confirm({storemsg::kImportQuestion, patient.id})) {
        result.declined = true;
        return result;
    }
    // Finding the patient and storing under it hold the folder as one: another
    // process must not register the id in between.
    const DataFolderLock lock = DataFolderLock::exclusive(root_);
    if (!lock.held())
        return ChartImportResult::refused(lock.message());
    const int s = recordBytesOf(mode_);
    return write(targetFor(patient), *count, [&](int i, uint8_t* entry, uint8_t* record) {
        const qint64 at = chart::kItemsOffset + qint64(i) * itemBytes;
        if (!file.readAt(at, entry, RecordIndexEntry::kBytes) ||
            !file.readAt(at + RecordIndexEntry::kBytes, record, s) ||
            !isWholeItem(entry, record, chart::markerOf(mode_)))
            return Message{storemsg::kDamaged, path};
        return Message{};
    });
}

ChartImportResult ChartImport::importCard(const QString& path, int position, Prompter& prompter,
                                          bool ask) const {
    ChartImportResult result;
    BinaryFile file;
    if (result.message = openSource(file, path, root_); !result.message.isNone())
        return result;
    if (!ChartFile::looksLikeCardFile(path)) {
        result.message = {storemsg::kNotContinuousFile, {}};
        return result;
    }
    const Result<PatientRecord> patient = PatientRegistry(root_).read(position);
    if (!patient.ok()) {
        result.message = patient.message();
        return result;
    }
    const auto count = itemCount(file, card::kHeaderBytes, card::kRecordBytes);
    if (!count) {
        result.message = {storemsg::kDamaged, path};
        return result;
    }
    if (!isValidPatientId(patient.value().id)) {
        result.message = {msg::kInvalidPatientId, patient.value().id};
        return result;
    }
    if (ask && !prompter.confirm({storemsg::kImportQuestion, patient.value().id})) {
        result.declined = true;
        return result;
    }
    const DataFolderLock lock = DataFolderLock::exclusive(root_);
    if (!lock.held())
        return ChartImportResult::refused(lock.message());
    QByteArray cardRecord(card::kRecordBytes, Qt::Uninitialized);
    const Target target{patient.value().id, false, {}};
    return write(target, *count, [&](int i, uint8_t* entry, uint8_t* record) {
        auto* c = reinterpret_cast<uint8_t*>(cardRecord.data());
        if (!file.readAt(card::kHeaderBytes + qint64(i) * card::kRecordBytes, c,
                         card::kRecordBytes))
            return Message{storemsg::kDamaged, path};
        const auto e = card::entryOf(c).toBytes();
        std::copy(e.begin(), e.end(), entry);
        const QByteArray r = card::storeRecordOf(c, mode_);
        std::copy(r.begin(), r.end(), record);
        return Message{};
    });
}

} // namespace vantora
