#include "records/ChartFile.h"

#include "core/DataPaths.h"
#include "core/Prompter.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/CardRecord.h"
#include "records/ChartImport.h"
#include "records/DataFolderLock.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "records/SafeFileWriter.h"
#include "records/StoreFiles.h"
#include "records/StoreJournal.h"
#include "records/StoreRewrite.h"

#include <QFile>
#include <QFileInfo>

namespace vantora {

int chart::itemBytes(RecordingMode mode) {
    return RecordIndexEntry::kBytes + recordBytesOf(mode);
}

std::array<uint8_t, 2> chart::markerOf(RecordingMode mode) {
    return mode == RecordingMode::Snap ? kStoreMarker : kContinuousChartMarker;
}

ChartFile::ChartFile(QString dataRoot, RecordingMode mode)
    : root_(std::move(dataRoot)), mode_(mode) {}

QString ChartFile::proposedName(RecordingMode mode, const QString& patientId, int k) {
    const QString kind =
        mode == RecordingMode::Snap ? QStringLiteral("Snap ") : QStringLiteral("Continuous ");
    const QString suffix = k < 0 ? QString() : QStringLiteral("-%1").arg(k + 1);
    return kind + patientId + suffix + QStringLiteral(".cEcg");
}

bool ChartFile::isCardFileName(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QString extension = path.mid(dot);
    return extension == QStringLiteral(".dat") || extension == QStringLiteral(".DAT");
}

namespace {

// Writes the chart of recordings [first, first + count) of the open store
// through `out`: count, patient record, then per item the entry and the
// record, both behind the chart's marker. False with `out` not failed: the
// store could not be read.
bool writeChart(StoreFiles& store, RecordingMode mode, const PatientRecord& patient, int first,
                int count, SafeFileWriter& out) {
    uint8_t head[4];
    putLE32(head, uint32_t(count));
    if (!out.open() || !out.write(reinterpret_cast<const char*>(head), sizeof head) ||
        !out.write(patient.encode()))
        return false;
    const int s = store.recordBytes;
    const auto marker = chart::markerOf(mode);
    QByteArray item(chart::itemBytes(mode), Qt::Uninitialized);
    auto* p = reinterpret_cast<uint8_t*>(item.data());
    for (int j = 0; j < count; ++j) {
        const int k = first + j;
        std::copy(marker.begin(), marker.end(), p);
        std::copy(marker.begin(), marker.end(), p + RecordIndexEntry::kBytes);
        if (!store.index.readAt(kStoreHeaderBytes + qint64(k) * RecordIndexEntry::kBytes + 2, p + 2,
                                RecordIndexEntry::kPayloadBytes) ||
            !store.data.readAt(kStoreHeaderBytes + qint64(k) * s + 2,
                               p + RecordIndexEntry::kBytes + 2, s - 2))
            return false;
        if (!out.write(item))
            return false;
    }
    return out.commit();
}

// Why a store that lacks a file has nothing to export: no files at all is an
// empty store; one without the other cannot be read.
Message missingStoreFile(const QString& root, RecordingMode mode, const QString& id, int k) {
    StoreJournal::recover(root, id);
    const QString data = paths::dataFile(root, mode, id);
    const QString index = paths::indexFile(root, mode, id);
    const bool hasData = QFileInfo::exists(data);
    const bool hasIndex = QFileInfo::exists(index);
    if (!hasData && !hasIndex)
        return k == RecordingStore::kAll ? Message{ids::kNoRecordingsOfKind, id}
                                         : Message{ids::kNoRecordingNumber, QString::number(k + 1)};
    if (!hasData || !hasIndex)
        return {ids::kCannotOpen, hasData ? index : data};
    return {};
}

} // namespace

ChartExportResult ChartFile::exportRecordings(int position, int k, const QString& target,
                                              Prompter& prompter) const {
    ChartExportResult result;
    const QString extension = QFileInfo(target).suffix();
    if (extension.compare(QStringLiteral("bmp"), Qt::CaseInsensitive) == 0) {
        result.pictureRequested = true;
        return result;
    }
    if (extension.compare(QStringLiteral("cEcg"), Qt::CaseInsensitive) != 0) {
        result.message = {ids::kNotChartName, {}};
        return result;
    }
    const Result<PatientRecord> patient = PatientRegistry(root_).read(position);
    if (!patient.ok()) {
        result.message = patient.message();
        return result;
    }
    const QString id = patient.value().id;
    if (!isValidPatientId(id)) {
        result.message = {ids::kInvalidPatientId, id};
        return result;
    }
    // A refused export creates nothing: opening a store without its files
    // would make them.
    if (const Message m = missingStoreFile(root_, mode_, id, k); !m.isNone()) {
        result.message = m;
        return result;
    }
    // Writing the chart and removing its recordings hold the folder as one:
    // another process must not change the store between the two.
    const DataFolderLock lock = DataFolderLock::exclusive(root_);
    if (!lock.held()) {
        result.message = lock.message();
        return result;
    }
    int first = 0;
    int count = 0;
    {
        StoreFiles store(root_, mode_, id);
        if (result.message = store.open(); !result.message.isNone())
            return result;
        const auto n = store.checkedCount();
        if (!n.ok() || store.indexCount(0).value() != n.value()) {
            result.message = n.ok() ? Message{ids::kDamagedFile, store.data.path()} : n.message();
            return result;
        }
        if (k == RecordingStore::kAll && n.value() == 0) {
            result.message = {ids::kNoRecordingsOfKind, id};
            return result;
        }
        if (k < RecordingStore::kAll || k >= n.value()) {
            result.message = {ids::kNoRecordingNumber, QString::number(k + 1)};
            return result;
        }
        first = k == RecordingStore::kAll ? 0 : k;
        count = k == RecordingStore::kAll ? n.value() : 1;
        if (QFileInfo::exists(target) &&
            !prompter.confirm({ids::kReplaceQuestion, QFileInfo(target).fileName()})) {
            result.declined = true;
            return result;
        }
        // The chart is written beside the target and put in place, synced,
        // only when whole: the recordings leave the store after that.
        SafeFileWriter chartFile(target);
        if (!writeChart(store, mode_, patient.value(), first, count, chartFile)) {
            result.message = chartFile.failed() ? chartFile.message(ids::kChartNotWritten)
                                                : Message{ids::kExportFailed, {}};
            return result;
        }
    }
    // Recordings leave the store only once the chart holds them.
    if (!RecordingStore(root_, mode_, id).remove(k).ok()) {
        QFile::remove(target);
        result.message = {ids::kExportFailed, {}};
        return result;
    }
    result.exported = count;
    return result;
}

ChartImportResult ChartFile::importChart(const QString& path, Prompter& prompter, bool ask) const {
    return ChartImport(root_, mode_).importChart(path, prompter, ask);
}

ChartImportResult ChartFile::importCard(const QString& path, int position, Prompter& prompter,
                                        bool ask) const {
    return ChartImport(root_, mode_).importCard(path, position, prompter, ask);
}

bool ChartFile::looksLikeCardFile(const QString& path) {
    BinaryFile file;
    uint8_t head[3];
    if (!file.open(path, BinaryFile::Mode::Read) || !file.readAt(card::kRecognitionOffset, head, 3))
        return false;
    return head[0] == card::kFrameHead[0] || head[1] == card::kFrameHead[1] ||
           head[2] == card::kFrameHead[2];
}

} // namespace vantora
