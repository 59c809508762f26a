#include "records/StoreJournal.h"

#include "core/DataPaths.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"
#include "records/PatientRegistry.h"
#include "records/RecordIndexEntry.h"

#include <QDir>
#include <QFile>

namespace vantora {

namespace {
// Journal content: a tag and the mode, so that a journal cut short by a kill
// is told apart from a whole one.
constexpr char kJournalTag[] = "VANTORA-REPLACE";
constexpr int kJournalBytes = sizeof(kJournalTag); // with the terminating zero

constexpr char kDeleteTag[] = "VANTORA-DELETE";

QByteArray journalBytes(RecordingMode mode) {
    QByteArray bytes(kJournalTag, kJournalBytes);
    bytes.append(char(toInt(mode)));
    return bytes;
}

// Set while journals are being finished: registering a patient reads the
// registry, which would look for journals again.
bool g_recovering = false;

// The patient a replacement brings with it is registered unless the registry
// already lists its id.
bool registerUnlessListed(const QString& root, const QByteArray& record) {
    const bool outer = !g_recovering;
    g_recovering = true;
    const PatientRecord patient = PatientRecord::decode(record);
    const PatientRegistry registry(root);
    const bool listed = registry.findById(patient.id) > 0 || registry.appendRecord(patient).ok();
    if (outer)
        g_recovering = false;
    return listed;
}
} // namespace

StoreJournal::StoreJournal(QString dataRoot, RecordingMode mode, QString patientId)
    : root_(std::move(dataRoot)), mode_(mode), id_(std::move(patientId)) {}

bool StoreJournal::announce(const QByteArray& newPatient) const {
    const QByteArray bytes = journalBytes(mode_) + newPatient;
    BinaryFile journal;
    return journal.open(paths::journalFile(root_, mode_, id_), BinaryFile::Mode::Truncate) &&
           journal.writeAt(0, bytes.constData(), bytes.size()) && journal.sync() &&
           syncFolder(root_);
}

bool StoreJournal::finish(const QByteArray& newPatient) const {
    return (newPatient.isEmpty() || registerUnlessListed(root_, newPatient)) && close();
}

bool StoreJournal::close() const {
    return QFile::remove(paths::journalFile(root_, mode_, id_)) && syncFolder(root_);
}

std::optional<QByteArray> StoreJournal::readIntent() const {
    const QString path = paths::journalFile(root_, mode_, id_);
    if (!QFile::exists(path))
        return std::nullopt;
    const QByteArray expected = journalBytes(mode_);
    BinaryFile journal;
    if (!journal.open(path, BinaryFile::Mode::Read))
        return std::nullopt;
    const qint64 size = journal.size();
    if (size != expected.size() && size != expected.size() + PatientRecord::kSize)
        return std::nullopt;
    QByteArray bytes(int(size), '\0');
    if (!journal.readAt(0, bytes.data(), size) || !bytes.startsWith(expected))
        return std::nullopt;
    return bytes.mid(expected.size());
}

bool StoreJournal::rollForward(const QByteArray& newPatient) const {
    // Each rename that has not happened yet is done now, in the same order.
    const QString scratchData = paths::scratchDataFile(root_, mode_, id_);
    const QString scratchIndex = paths::scratchIndexFile(root_, id_);
    if (QFile::exists(scratchData) && !replaceFile(scratchData, paths::dataFile(root_, mode_, id_)))
        return false;
    if (QFile::exists(scratchIndex) &&
        !replaceFile(scratchIndex, paths::indexFile(root_, mode_, id_)))
        return false;
    return finish(newPatient);
}

void StoreJournal::recoverAll(const QString& dataRoot) {
    if (g_recovering)
        return;
    // Journals and scratch files are the only files of the data root named
    // id + "-...".
    const QStringList leftovers = QDir(dataRoot).entryList(
        {QStringLiteral("*-Snap.jnl"), QStringLiteral("*-Con.jnl"), QStringLiteral("*-Del.jnl"),
         QStringLiteral("*-Snap.dat"), QStringLiteral("*-Con.dat"), QStringLiteral("*-idx.dat")},
        QDir::Files);
    for (const QString& name : leftovers)
        recover(dataRoot, name.left(name.lastIndexOf(u'-')));
}

// An append raises the data file's count, then the index file's; an append
// stopped between the two has its record and entry whole (both were synced
// before the first count). The data count the index count must be raised to,
// or nullopt when the two belong together.
static std::optional<int32_t> pendingAppend(const QString& dataRoot, RecordingMode mode,
                                            const QString& patientId) {
    const QString indexPath = paths::indexFile(dataRoot, mode, patientId);
    const QString dataPath = paths::dataFile(dataRoot, mode, patientId);
    if (!QFile::exists(indexPath) || !QFile::exists(dataPath))
        return std::nullopt;
    BinaryFile data;
    BinaryFile index;
    if (!data.open(dataPath, BinaryFile::Mode::Read) ||
        !index.open(indexPath, BinaryFile::Mode::Read))
        return std::nullopt;
    const auto n = data.readInt32At(0);
    const auto entries = index.readInt32At(0);
    // Widened: a damaged index count of INT32_MAX must not overflow.
    if (!n || !entries || qint64(*n) != qint64(*entries) + 1 ||
        index.size() < 4 + qint64(*n) * RecordIndexEntry::kBytes)
        return std::nullopt;
    return *n;
}

static void finishAppend(const QString& dataRoot, RecordingMode mode, const QString& patientId) {
    const auto n = pendingAppend(dataRoot, mode, patientId);
    BinaryFile index;
    if (n && index.open(paths::indexFile(dataRoot, mode, patientId), BinaryFile::Mode::ReadWrite) &&
        index.writeInt32At(0, *n))
        index.sync();
}

// Whether anything of the patient's is left for recover() to finish: the
// check every open makes without taking the folder.
static bool hasLeftovers(const QString& dataRoot, const QString& patientId) {
    if (QFile::exists(paths::deleteJournal(dataRoot, patientId)) ||
        QFile::exists(paths::scratchIndexFile(dataRoot, patientId)))
        return true;
    for (const RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
        if (QFile::exists(paths::journalFile(dataRoot, mode, patientId)) ||
            QFile::exists(paths::scratchDataFile(dataRoot, mode, patientId)) ||
            pendingAppend(dataRoot, mode, patientId))
            return true;
    }
    return false;
}

bool StoreJournal::announceDelete(const QString& dataRoot, const QString& patientId) {
    BinaryFile journal;
    return journal.open(paths::deleteJournal(dataRoot, patientId), BinaryFile::Mode::Truncate) &&
           journal.writeAt(0, kDeleteTag, sizeof(kDeleteTag)) && journal.sync() &&
           syncFolder(dataRoot);
}

void StoreJournal::finishDelete(const QString& dataRoot, const QString& patientId) {
    // A missing file or one that cannot be deleted is skipped. Notes go too:
    // a later patient of the same id must not inherit them; the trend cache
    // would only be rebuilt for one.
    for (const RecordingMode mode : {RecordingMode::Continuous, RecordingMode::Snap}) {
        QFile::remove(paths::indexFile(dataRoot, mode, patientId));
        QFile::remove(paths::dataFile(dataRoot, mode, patientId));
        QFile::remove(paths::notesFile(dataRoot, mode, patientId));
    }
    QFile::remove(paths::continueTrendCache(dataRoot, patientId));
    syncFolder(paths::continueFolder(dataRoot));
    syncFolder(paths::snapFolder(dataRoot));
    if (QFile::remove(paths::deleteJournal(dataRoot, patientId)))
        syncFolder(dataRoot);
}

// A whole delete journal of a patient the registry no longer lists: the
// rename happened, the deletion is finished now. One of a listed patient, or
// cut short, stopped before the rename and goes. An unreadable registry
// keeps everything for a later open.
void StoreJournal::settleDelete(const QString& dataRoot, const QString& patientId) {
    const QString path = paths::deleteJournal(dataRoot, patientId);
    if (!QFile::exists(path))
        return;
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot);
    if (!lock.held() || !QFile::exists(path))
        return;
    QFile file(path);
    const bool whole = file.open(QIODevice::ReadOnly) &&
                       file.readAll() == QByteArray(kDeleteTag, sizeof(kDeleteTag));
    file.close();
    bool listed = false;
    if (whole) {
        const bool was = g_recovering;
        g_recovering = true;
        const PatientList patients = PatientRegistry(dataRoot).loadAll();
        g_recovering = was;
        if (!patients.message.isNone())
            return;
        for (const PatientRecord& p : patients.records)
            listed = listed || p.id.compare(patientId, Qt::CaseInsensitive) == 0;
    }
    if (whole && !listed)
        finishDelete(dataRoot, patientId);
    else if (QFile::remove(path))
        syncFolder(dataRoot);
}

void StoreJournal::recover(const QString& dataRoot, const QString& patientId) {
    // Leftovers may be another process's write in progress: they are touched
    // only while holding the folder, and looked at again then.
    if (!hasLeftovers(dataRoot, patientId))
        return;
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot);
    if (!lock.held() || !hasLeftovers(dataRoot, patientId))
        return;
    settleDelete(dataRoot, patientId);
    bool leftovers = false;
    for (const RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
        const StoreJournal journal(dataRoot, mode, patientId);
        // A replacement that cannot be finished now keeps its journal and its
        // scratch files for the next open.
        const auto intent = journal.readIntent();
        const bool was = g_recovering;
        g_recovering = true;
        const bool finished = !intent || journal.rollForward(*intent);
        g_recovering = was;
        if (!finished)
            return;
        leftovers = leftovers || QFile::exists(paths::journalFile(dataRoot, mode, patientId)) ||
                    QFile::exists(paths::scratchDataFile(dataRoot, mode, patientId));
    }
    // Only once no replacement is pending do the two counts belong together.
    for (const RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous})
        finishAppend(dataRoot, mode, patientId);
    leftovers = leftovers || QFile::exists(paths::scratchIndexFile(dataRoot, patientId));
    if (!leftovers)
        return;
    // No whole journal announces these: the rewrite stopped before its renames.
    for (const RecordingMode mode : {RecordingMode::Snap, RecordingMode::Continuous}) {
        QFile::remove(paths::journalFile(dataRoot, mode, patientId));
        QFile::remove(paths::scratchDataFile(dataRoot, mode, patientId));
    }
    QFile::remove(paths::scratchIndexFile(dataRoot, patientId));
    syncFolder(dataRoot);
}

} // namespace vantora
