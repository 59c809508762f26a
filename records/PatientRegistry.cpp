#include "records/PatientRegistry.h"

#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"
#include "records/StoreJournal.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace vantora {

namespace {

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
PatientRegistry::Count readCount(BinaryFile& file, bool whole) {
    PatientRegistry::Count count;
    if (file.size() == 0)
        return count;
    const auto n = file.size() < 4 ? std::nullopt : file.readInt32At(0);
    if (!n || *n < 0 || (whole && recordOffset(*n) > file.size()))
        count.message = registryMessage(ids::kDamagedFile);
    else
        count.value = *n;
    return count;
}

// The count of a registry that can take one more record, or why it cannot.
PatientRegistry::Count appendableCount(BinaryFile& file) {
    PatientRegistry::Count n = readCount(file, true);
    if (n.message.isNone() && n.value > PatientRegistry::kAddLimit)
        n.message = Message{ids::kPatientListFull, {}};
    return n;
}

// None when the registry opens for writing and its count fits the file.
Message writableWholeRegistry(const QString& path) {
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::ReadWrite))
        return registryMessage(ids::kCannotOpen);
    return readCount(file, true).message;
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
        out.message = registryMessage(ids::kCannotOpen);
        return out;
    }
    const PatientRegistry::Count n = readCount(file, true);
    out.message = n.message;
    out.count = n.value;
    out.bytes.resize(file.size());
    if (out.message.isNone() && !file.readAt(0, out.bytes.data(), out.bytes.size()))
        out.message = registryMessage(ids::kCannotOpen);
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

PatientRegistry::Count PatientRegistry::count() const {
    dropScratch(dataRoot_);
    if (!QFileInfo::exists(filePath()))
        return {};
    const DataFolderLock lock = DataFolderLock::shared(dataRoot_);
    if (!lock.held())
        return {0, lock.message()};
    BinaryFile file;
    if (!file.open(filePath(), BinaryFile::Mode::Read))
        return {0, registryMessage(ids::kCannotOpen)};
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
        list.message = registryMessage(ids::kCannotOpen);
        return list;
    }
    const Count n = readCount(file, false);
    list.message = n.message;
    for (int32_t i = 0; i < n.value; ++i) {
        PatientRecord r;
        if (!readRecord(file, i, r)) {
            list.message = registryMessage(ids::kDamagedFile);
            break;
        }
        list.records.append(r);
    }
    return list;
}

PatientReadResult PatientRegistry::read(int position) const {
    if (position < 1)
        return {std::nullopt, Message{ids::kNoPatientChosen, {}}};
    const DataFolderLock lock = DataFolderLock::shared(dataRoot_);
    if (!lock.held())
        return {std::nullopt, lock.message()};
    BinaryFile file;
    if (!file.open(filePath(), BinaryFile::Mode::Read))
        return {std::nullopt, registryMessage(ids::kCannotOpen)};
    const Count n = readCount(file, false);
    if (!n.message.isNone())
        return {std::nullopt, n.message};
    if (position > n.value)
        return {std::nullopt, Message{ids::kNoPatientAtPosition, QString::number(position)}};
    PatientRecord r;
    if (!readRecord(file, position - 1, r))
        return {std::nullopt, registryMessage(ids::kDamagedFile)};
    return {r, {}};
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

PatientAddResult PatientRegistry::add(const PatientFields& fields, PatientIdMap& ids,
                                      bool homeShown) const {
    if (fields.id.isEmpty())
        return {0, Message{ids::kEmptyPatientId, {}}};
    if (fields.name.isEmpty())
        return {0, Message{ids::kEmptyName, {}}};
    if (!isValidPatientId(fields.id))
        return {0, Message{ids::kInvalidPatientId, fields.id}};
    // The check and the append hold the folder together, and the check also
    // asks the registry itself: another process may have added the id.
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return {0, lock.message()};
    if (ids.contains(fields.id) || PatientIdMap(loadAll().records).contains(fields.id))
        return {0, Message{ids::kPatientIdExists, {}}};

    PatientRecord record = recordFromFields(fields);
    record.id = fields.id;
    const qsizetype crlf = record.name.indexOf(QStringLiteral("\r\n"));
    if (crlf >= 0)
        record.name.remove(crlf, 2);
    record.revision =
        homeShown ? PatientRecord::kRevisionAdded : PatientRecord::kRevisionBeforeHome;

    PatientAddResult result = append(record);
    if (!result.added())
        return result;
    ids.insert(record);
    const PatientReadResult back = read(result.position);
    if (!back.record || back.record->id.size() > kMaxPatientIdLength ||
        back.record->id != record.id)
        result.message = Message{ids::kPatientIdTooLong, {}};
    return result;
}

PatientAddResult PatientRegistry::quickAdd(const QString& id, const QString& first,
                                           const QString& second,
                                           const QStringList& knownIds) const {
    if (id.isEmpty())
        return {0, Message{ids::kEmptyPatientId, {}}};
    if (first.isEmpty())
        return {0, Message{ids::kEmptyName, {}}};
    if (second.isEmpty())
        return {0, Message{ids::kEmptyLastName, {}}};
    PatientRecord record;
    record.id = id.trimmed();
    record.name = first.trimmed() + u' ' + second.trimmed();
    record.revision = PatientRecord::kRevisionAdded;
    if (!isValidPatientId(record.id))
        return {0, Message{ids::kInvalidPatientId, record.id}};
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return {0, lock.message()};
    if (knownIds.contains(record.id, Qt::CaseInsensitive) ||
        ids().contains(record.id, Qt::CaseInsensitive))
        return {0, Message{ids::kPatientIdTaken, {}}};

    // The registry must take the record before any recording file is made.
    {
        BinaryFile file;
        if (!file.open(filePath(), BinaryFile::Mode::OpenOrCreate))
            return {0, registryMessage(ids::kCannotOpen)};
        if (const Count n = appendableCount(file); !n.message.isNone())
            return {0, n.message};
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
    const PatientAddResult result =
        made ? append(record) : PatientAddResult{0, Message{ids::kPatientFilesFailed, {}}};
    if (!result.added()) {
        if (conCreated)
            QFile::remove(conPath);
        if (snapCreated)
            QFile::remove(snapPath);
    }
    return result;
}

PatientAddResult PatientRegistry::appendRecord(const PatientRecord& record) const {
    if (!isValidPatientId(record.id))
        return {0, Message{ids::kInvalidPatientId, record.id}};
    return append(record);
}

// Writes the record behind the last counted one, then raises the count, so an
// interrupted append leaves at worst an uncounted record.
PatientAddResult PatientRegistry::append(const PatientRecord& record) const {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return {0, lock.message()};
    dropScratch(dataRoot_);
    BinaryFile file;
    if (!file.open(filePath(), BinaryFile::Mode::OpenOrCreate))
        return {0, registryMessage(ids::kCannotOpen)};
    const Count n = appendableCount(file);
    if (!n.message.isNone())
        return {0, n.message};
    const QByteArray bytes = record.encode();
    const qint64 oldSize = file.size();
    if (!file.writeAt(recordOffset(n.value), bytes.constData(), bytes.size()) || !file.sync() ||
        !file.writeInt32At(0, n.value + 1) || !file.sync()) {
        // A failed append (a full disk) takes back what it wrote: the count
        // as it was, the file at its old length.
        if (file.writeInt32At(0, n.value))
            file.sync();
        file.close();
        if (QFileInfo(filePath()).size() > oldSize)
            QFile::resize(filePath(), oldSize);
        return {0, registryMessage(ids::kCannotOpen)};
    }
    return {n.value + 1, {}};
}

Message PatientRegistry::edit(int position, const PatientFields& fields) const {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return lock.message();
    const PatientReadResult stored = read(position);
    if (!stored.record)
        return stored.message;
    RegistryBytes all = wholeRegistry(filePath());
    if (!all.message.isNone())
        return all.message;
    PatientRecord record = recordFromFields(fields);
    record.id = stored.record->id;
    record.revision = PatientRecord::kRevisionEdited;
    const QByteArray bytes = record.encode();
    std::copy(bytes.begin(), bytes.end(), all.bytes.begin() + recordOffset(position - 1));
    if (!rewriteRegistry(dataRoot_, all.bytes))
        return registryMessage(ids::kCannotOpen);
    return {};
}

// The patient at `position` when it can be removed, with the whole registry
// to rewrite: a registry that could not be rewritten keeps the patient's
// files too.
static PatientReadResult removableIn(const PatientRegistry& registry, int position,
                                     RegistryBytes& all) {
    const PatientReadResult stored = registry.read(position);
    if (!stored.record)
        return stored;
    if (const Message why = writableWholeRegistry(registry.filePath()); !why.isNone())
        return {std::nullopt, why};
    all = wholeRegistry(registry.filePath());
    if (!all.message.isNone())
        return {std::nullopt, all.message};
    return stored;
}

PatientReadResult PatientRegistry::removable(int position) const {
    RegistryBytes all;
    return removableIn(*this, position, all);
}

PatientDeleteResult PatientRegistry::remove(int position, PatientIdMap* ids,
                                            const QString& expectedId) const {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot_);
    if (!lock.held())
        return {false, lock.message()};
    RegistryBytes all;
    const PatientReadResult stored = removableIn(*this, position, all);
    if (!stored.record)
        return {false, stored.message};
    // The user was asked about this id, perhaps while another process moved
    // the patients: only that patient goes.
    const QString id = stored.record->id;
    if (!expectedId.isNull() && id != expectedId)
        return {false, Message{ids::kNoPatientAtPosition, QString::number(position)}};
    // The patient leaves the registry first, in one rename: a kill before it
    // keeps everything; after it, the journal has the next open delete the
    // files. Later records move up one place; the last stays behind, uncounted.
    if (!StoreJournal::announceDelete(dataRoot_, id))
        return {false, registryMessage(ids::kCannotOpen)};
    char* const at = all.bytes.data() + recordOffset(position - 1);
    std::memmove(at, at + PatientRecord::kSize,
                 size_t(recordOffset(all.count) - recordOffset(position)));
    putLE32(reinterpret_cast<uint8_t*>(all.bytes.data()), uint32_t(all.count - 1));
    if (!rewriteRegistry(dataRoot_, all.bytes)) {
        // The rename may have happened before a sync failed.
        StoreJournal::settleDelete(dataRoot_, id);
        return {false, registryMessage(ids::kCannotOpen)};
    }
    if (ids)
        ids->remove(id);
    StoreJournal::finishDelete(dataRoot_, id);
    return {true, {}};
}

PatientSearchResult PatientRegistry::search(PatientSearchField field, const QString& text) const {
    return search(loadAll().records, field, text);
}

PatientSearchResult PatientRegistry::search(const QVector<PatientRecord>& records,
                                            PatientSearchField field, const QString& text) {
    PatientSearchResult result;
    const QString wanted = text.trimmed();
    if (wanted.isEmpty()) {
        result.message = Message{ids::kSearchTextEmpty, {}};
        return result;
    }
    const bool byId = field == PatientSearchField::Id;
    const QString lowered = wanted.toLower();
    for (int i = 0; i < records.size(); ++i) {
        const bool hit =
            byId ? records[i].id.contains(wanted) : records[i].name.toLower().contains(lowered);
        if (hit)
            result.positions.append(i + 1);
    }
    if (result.positions.isEmpty())
        result.message = Message{byId ? ids::kNoIdMatch : ids::kNoNameMatch, wanted};
    return result;
}

} // namespace vantora
