#include "records/PatientRegistry.h"

#include "core/DataPaths.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"
#include "records/StoreJournal.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace vantora {

namespace {

constexpr int kMsgSearchEmpty = 61240;
constexpr int kMsgNoIdMatch = 61241;
constexpr int kMsgNoNameMatch = 61242;
constexpr int kMsgFull = 61265;
constexpr int kMsgIdEmpty = 61314;
constexpr int kMsgNameEmpty = 61315;
constexpr int kMsgSecondPartEmpty = 61316;
constexpr int kMsgIdTaken = 61317;
constexpr int kMsgCannotCreateFiles = 61318;
constexpr int kMsgNoSelection = 61319;
constexpr int kMsgIdTooLong = 61325;

const QString kRegistryName = QStringLiteral("UserDA.txt");

Message registryMessage(int id) {
    return {id, kRegistryName};
}

qint64 recordOffset(int32_t index) {
    return 4 + qint64(index) * PatientRecord::kSize;
}

// The count at offset 0 (0 for an empty file). A file of 1 to 3 bytes or a
// negative count is damaged; so is, when `whole`, a count the file's length
// cannot hold.
Result<int32_t> readCount(BinaryFile& file, bool whole) {
    if (file.size() == 0)
        return 0;
    const auto n = file.size() < 4 ? std::nullopt : file.readInt32At(0);
    if (!n || *n < 0 || (whole && recordOffset(*n) > file.size()))
        return registryMessage(msg::kDamagedFile);
    return *n;
}

// The count of a registry that can take one more record, or why it cannot.
Result<int32_t> appendableCount(BinaryFile& file) {
    Result<int32_t> n = readCount(file, true);
    if (n.ok() && n.value() > PatientRegistry::kAddLimit)
        return Message{kMsgFull, {}};
    return n;
}

// None when the registry opens for writing and its count fits the file.
Message writableWholeRegistry(const QString& path) {
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::ReadWrite))
        return registryMessage(msg::kCannotOpen);
    return readCount(file, true).message();
}

// Reads the record at a 0-based index; false for a short read or a stored id
// that is no usable file-name stem (a damaged registry).
bool readRecord(BinaryFile& file, int32_t index, PatientRecord& out) {
    QByteArray bytes(PatientRecord::kSize, '\0');
    if (!file.readAt(recordOffset(index), bytes.data(), bytes.size()))
        return false;
    out = PatientRecord::decode(bytes);
    return isValidPatientId(out.id);
}

PatientRecord recordFromFields(const PatientFields& f) {
    PatientRecord r;
    r.name = f.name;
    r.sex = sexText(f.sexChoice);
    r.date = f.date;
    r.height = f.height;
    r.weight = normaliseWeight(f.weight);
    r.telephone = f.telephone;
    r.address = f.address;
    r.history = f.history;
    r.remarks = f.remarks;
    return r;
}

// The quick-add filler: a 32-bit 0 and a copy of the record.
bool writeFiller(const QString& path, const QByteArray& record) {
    BinaryFile file;
    return file.open(path, BinaryFile::Mode::ReadWrite) && file.writeInt32At(0, 0) &&
           file.writeAt(4, record.constData(), record.size()) && file.flush();
}

// Makes an empty store data file for a new patient, except where a whole one
// is there already (a registry that lost the patient's record): it is kept,
// with any recordings, and the patient is registered over it. `created` only
// for a file this call made, which a failed add removes again.
bool createUnlessHolding(const QString& path, bool& created) {
    created = false;
    BinaryFile file;
    if (file.open(path, BinaryFile::Mode::Read) && file.size() >= 4 &&
        file.readInt32At(0).has_value())
        return true;
    file.close();
    created = file.open(path, BinaryFile::Mode::Truncate);
    return created;
}

// A scratch registry left by a rewrite that did not reach its rename. One
// that another process is writing right now is left to it.
void dropScratch(const QString& root) {
    const QString scratch = paths::scratchRegistry(root);
    if (!QFileInfo::exists(scratch))
        return;
    if (const DataFolderLock lock = DataFolderLock::exclusive(root); lock.held())
        QFile::remove(scratch);
}

// Writes the registry anew in a scratch file, puts it on the disk and renames
// it over "UserDA.txt": a kill leaves the old registry or the new one.
bool rewriteRegistry(const QString& root, const QByteArray& bytes) {
    const QString scratch = paths::scratchRegistry(root);
    BinaryFile file;
    const bool written = file.open(scratch, BinaryFile::Mode::Truncate) &&
                         file.writeAt(0, bytes.constData(), bytes.size()) && file.sync();
    file.close();
    if (written && replaceFile(scratch, paths::registry(root)))
        return true;
    QFile::remove(scratch);
    return false;
}

// The whole registry file, when its count fits it, for a rewrite that keeps
// every byte it does not change (the file is never shortened).
struct RegistryBytes {
    QByteArray bytes;
    int32_t count = 0;
    Message message;
};

RegistryBytes wholeRegistry(const QString& path) {
    RegistryBytes out;
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::Read)) {
        out.message = registryMessage(msg::kCannotOpen);
        return out;
    }
    const Result<int32_t> n = readCount(file, true);
    out.message = n.message();
    out.count = n.value();
    out.bytes.resize(file.size());
    if (out.message.isNone() && !file.readAt(0, out.bytes.data(), out.bytes.size()))
        out.message = registryMessage(msg::kCannotOpen);
    return out;
}

} // namespace

PatientFields PatientFields::fromRecord(const PatientRecord& r) {
    PatientFields f;
    f.id = r.id;
    f.name = r.name;
    f.sexChoice = sexChoiceOf(r.sex);
    f.date = r.date;
    f.height = r.height;
    f.weight = weightForEdit(r.weight);
    f.telephone = r.telephone;
    f.address = r.address;
    f.history = r.history;
    f.remarks = r.remarks;
    return f;
}

PatientRegistry::PatientRegistry(QString dataRoot) : dataRoot_(std::move(dataRoot)) {}

QString PatientRegistry::filePath() const {
    return paths::registry(dataRoot_);
}

Result<int32_t> PatientRegistry::count() const {
    dropScratch(dataRoot_);
    if (!QFileInfo::exists(filePath()))
        return 0;
    const DataFolderLock lock = DataFolderLock::shared(dataRoot_);
    if (!lock.held())
        return lock.message();
    BinaryFile file;
    if (!file.open(filePath(), BinaryFile::Mode::Read))
        return registryMessage(msg::kCannotOpen);
    return readCount(file, false);
}

PatientList PatientRegistry::loadAll() const {
    dropScratch(dataRoot_);
    StoreJournal::recoverAll(dataRoot_);
    PatientList list;
    if (!QFileInfo::exists(filePath()))
        return list;
    const DataFolderLock lock = DataFolderLock::shared(dataRoot_);
    if (!lock.held()) {
        list.message = lock.message();
        return list;
    }
    BinaryFile file;
    if (!file.open(filePath(), BinaryFile::Mode::Read)) {
        list.message = registryMessage(msg::kCannotOpen);
        return list;
    }
    const Result<int32_t> n = readCount(file, false);
    list.message = n.message();
    for (int32_t i = 0; i < n.value(); ++i) {
        PatientRecord r;
        if (!readRecord(file, i, r)) {
            list.message = registryMessage(msg::kDamagedFile);
            break;
        }
        list.records.append(r);
    }
    return list;
}

Result<PatientRecord> PatientRegistry::read(int position) const {
    if (position < 1)
        return Message{kMsgNoSelection, {}};
    const DataFolderLock lock = DataFolderLock::shared(dataRoot_);
    if (!lock.held())
        return lock.message();
    BinaryFile file;
    if (!file.open(filePath(), BinaryFile::Mode::Read))
        return registryMessage(msg::kCannotOpen);
    const Result<int32_t> n = readCount(file, false);
    if (!n.ok())
        return n.message();
    if (position > n.value())
        return Message{msg::kNoPatientAtPosition, QString::number(position)};
    PatientRecord r;
    if (!readRecord(file, position - 1, r))
        return registryMessage(msg::kDamagedFile);
    return r;
}

int PatientRegistry::findById(const QString& id) const {
    const PatientList list = loadAll();
    for (int i = 0; i < list.records.size(); ++i) {
        if (list.records[i].id.compare(id, Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

QStringList PatientRegistry::ids() const {
    QStringList out;
    for (const PatientRecord& r : loadAll().records)
        out.append(r.id);
    return out;
}

Result<PatientAdded> PatientRegistry::add(const PatientFields& fields, PatientIdMap& ids,
                                          bool homeShown) const {
    if (fields.id.isEmpty())
        return Message{kMsgIdEmpty, {}};
    if (fields.name.isEmpty())
        return Message{kMsgNameEmpty, {}};
    if (!isValidPatientId(fields.id))
        return Message{msg::kInvalidPatientId, fields.id};
    // The check and the append hold the folder together, and the check also
    // asks the registry itself: another process may have added the id.
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return lock.message();
    if (ids.contains(fields.id) || PatientIdMap(loadAll().records).contains(fields.id))
        return Message{msg::kPatientIdExists, {}};

    PatientRecord record = recordFromFields(fields);
    record.id = fields.id;
    const qsizetype crlf = record.name.indexOf(QStringLiteral("\r\n"));
    if (crlf >= 0)
        record.name.remove(crlf, 2);
    record.revision =
        homeShown ? PatientRecord::kRevisionAdded : PatientRecord::kRevisionBeforeHome;

    Result<PatientAdded> result = append(record);
    if (!result.ok())
        return result;
    ids.insert(record);
    const Result<PatientRecord> back = read(result.value().position);
    if (!back.ok() || back.value().id.size() > kMaxPatientIdLength || back.value().id != record.id)
        result.value().notice = Message{kMsgIdTooLong, {}};
    return result;
}

Result<PatientAdded> PatientRegistry::quickAdd(const QString& id, const QString& first,
                                               const QString& second,
                                               const QStringList& knownIds) const {
    if (id.isEmpty())
        return Message{kMsgIdEmpty, {}};
    if (first.isEmpty())
        return Message{kMsgNameEmpty, {}};
    if (second.isEmpty())
        return Message{kMsgSecondPartEmpty, {}};
    PatientRecord record;
    record.id = id.trimmed();
    record.name = first.trimmed() + u' ' + second.trimmed();
    record.revision = PatientRecord::kRevisionAdded;
    if (!isValidPatientId(record.id))
        return Message{msg::kInvalidPatientId, record.id};
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return lock.message();
    if (knownIds.contains(record.id, Qt::CaseInsensitive) ||
        ids().contains(record.id, Qt::CaseInsensitive))
        return Message{kMsgIdTaken, {}};

    // The registry must take the record before any recording file is made.
    {
        BinaryFile file;
        if (!file.open(filePath(), BinaryFile::Mode::OpenOrCreate))
            return registryMessage(msg::kCannotOpen);
        if (const Result<int32_t> n = appendableCount(file); !n.ok())
            return n.message();
    }
    // A delete of this id stopped after its registry rename is finished
    // first: its recordings are not the new patient's.
    StoreJournal::recover(dataRoot_, record.id);
    const QString conPath = paths::continueData(dataRoot_, record.id);
    const QString snapPath = paths::snapData(dataRoot_, record.id);
    // The files come first, each with its filler, the registration last; a
    // failure on the way removes the files this add made, so a full disk
    // leaves neither a patient without files nor files without a patient.
    const QByteArray bytes = record.encode();
    bool conCreated = false;
    bool snapCreated = false;
    const bool made = createUnlessHolding(conPath, conCreated) &&
                      (!conCreated || writeFiller(conPath, bytes)) &&
                      createUnlessHolding(snapPath, snapCreated) &&
                      (!snapCreated || writeFiller(snapPath, bytes));
    const Result<PatientAdded> result =
        made ? append(record) : Result<PatientAdded>(Message{kMsgCannotCreateFiles, {}});
    if (!result.ok()) {
        if (conCreated)
            QFile::remove(conPath);
        if (snapCreated)
            QFile::remove(snapPath);
    }
    return result;
}

Result<PatientAdded> PatientRegistry::appendRecord(const PatientRecord& record) const {
    if (!isValidPatientId(record.id))
        return Message{msg::kInvalidPatientId, record.id};
    return append(record);
}

// Writes the record behind the last counted one, then raises the count, so an
// interrupted append leaves at worst an uncounted record.
Result<PatientAdded> PatientRegistry::append(const PatientRecord& record) const {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return lock.message();
    dropScratch(dataRoot_);
    BinaryFile file;
    if (!file.open(filePath(), BinaryFile::Mode::OpenOrCreate))
        return registryMessage(msg::kCannotOpen);
    const Result<int32_t> counted = appendableCount(file);
    if (!counted.ok())
        return counted.message();
    const int32_t n = counted.value();
    const QByteArray bytes = record.encode();
    const qint64 oldSize = file.size();
    if (!file.writeAt(recordOffset(n), bytes.constData(), bytes.size()) || !file.sync() ||
        !file.writeInt32At(0, n + 1) || !file.sync()) {
        // A failed append (a full disk) takes back what it wrote: the count
        // as it was, the file at its old length.
        if (file.writeInt32At(0, n))
            file.sync();
        file.close();
        if (QFileInfo(filePath()).size() > oldSize)
            QFile::resize(filePath(), oldSize);
        return registryMessage(msg::kCannotOpen);
    }
    return PatientAdded{n + 1, {}};
}

Result<> PatientRegistry::edit(int position, const PatientFields& fields) const {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return lock.message();
    const Result<PatientRecord> stored = read(position);
    if (!stored.ok())
        return stored.message();
    RegistryBytes all = wholeRegistry(filePath());
    if (!all.message.isNone())
        return all.message;
    PatientRecord record = recordFromFields(fields);
    record.id = stored.value().id;
    record.revision = PatientRecord::kRevisionEdited;
    const QByteArray bytes = record.encode();
    std::copy(bytes.begin(), bytes.end(), all.bytes.begin() + recordOffset(position - 1));
    if (!rewriteRegistry(dataRoot_, all.bytes))
        return registryMessage(msg::kCannotOpen);
    return {};
}

// The patient at `position` when it can be removed, with the whole registry
// to rewrite: a registry that could not be rewritten keeps the patient's
// files too.
static Result<PatientRecord> removableIn(const PatientRegistry& registry, int position,
                                         RegistryBytes& all) {
    Result<PatientRecord> stored = registry.read(position);
    if (!stored.ok())
        return stored;
    if (const Message why = writableWholeRegistry(registry.filePath()); !why.isNone())
        return why;
    all = wholeRegistry(registry.filePath());
    if (!all.message.isNone())
        return all.message;
    return stored;
}

Result<PatientRecord> PatientRegistry::removable(int position) const {
    RegistryBytes all;
    return removableIn(*this, position, all);
}

Result<> PatientRegistry::remove(int position, PatientIdMap* ids, const QString& expectedId) const {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return lock.message();
    RegistryBytes all;
    const Result<PatientRecord> stored = removableIn(*this, position, all);
    if (!stored.ok())
        return stored.message();
    // The user was asked about this id, perhaps while another process moved
    // the patients: only that patient goes.
    const QString id = stored.value().id;
    if (!expectedId.isNull() && id != expectedId)
        return Message{msg::kNoPatientAtPosition, QString::number(position)};
    // The patient leaves the registry first, in one rename: a kill before it
    // keeps everything; after it, the journal has the next open delete the
    // files. Later records move up one place; the last stays behind, uncounted.
    if (!StoreJournal::announceDelete(dataRoot_, id))
        return registryMessage(msg::kCannotOpen);
    char* const at = all.bytes.data() + recordOffset(position - 1);
    std::memmove(at, at + PatientRecord::kSize,
                 size_t(recordOffset(all.count) - recordOffset(position)));
    putLE32(reinterpret_cast<uint8_t*>(all.bytes.data()), uint32_t(all.count - 1));
    if (!rewriteRegistry(dataRoot_, all.bytes)) {
        // The rename may have happened before a sync failed.
        StoreJournal::settleDelete(dataRoot_, id);
        return registryMessage(msg::kCannotOpen);
    }
    if (ids)
        ids->remove(id);
    StoreJournal::finishDelete(dataRoot_, id);
    return {};
}

Result<QVector<int>> PatientRegistry::search(PatientSearchField field, const QString& text) const {
    return search(loadAll().records, field, text);
}

Result<QVector<int>> PatientRegistry::search(const QVector<PatientRecord>& records,
                                             PatientSearchField field, const QString& text) {
    QVector<int> positions;
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return Message{kMsgSearchEmpty, {}};
    const bool byId = field == PatientSearchField::Id;
    const QString lowered = wanted.toLower();
    for (int i = 0; i < records.size(); ++i) {
        const bool hit =
            byId ? records[i].id.contains(wanted) : records[i].name.toLower().contains(lowered);
        if (hit)
            positions.append(i + 1);
    }
    if (positions.isEmpty())
        return Message{byId ? kMsgNoIdMatch : kMsgNoNameMatch, wanted};
    return positions;
}

} // namespace vantora
