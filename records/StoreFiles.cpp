#include "records/StoreFiles.h"

#include "core/DataPaths.h"
#include "records/RecordIndexEntry.h"
#include "records/RecordingStore.h"
#include "records/StoreJournal.h"
#include "records/StoreMessages.h"

namespace vantora {

StoreFiles::StoreFiles(const QString& dataRoot, RecordingMode mode, const QString& patientId)
    : recordBytes(recordBytesOf(mode)), root_(dataRoot), id_(patientId),
      dataPath_(paths::dataFile(dataRoot, mode, patientId)),
      indexPath_(paths::indexFile(dataRoot, mode, patientId)) {}

Message StoreFiles::open(DataFolderLock::Kind kind) {
    // A writer recovers while holding the folder; a reader lets recovery take
    // it first, since a shared hold cannot always be raised.
    const bool exclusive = kind == DataFolderLock::Kind::Exclusive;
    if (!exclusive)
        StoreJournal::recover(root_, id_);
    lock_ = DataFolderLock::take(root_, kind);
    if (!lock_.held())
        return lock_.message();
    if (exclusive)
        StoreJournal::recover(root_, id_);
    if (!data.open(dataPath_, BinaryFile::Mode::OpenOrCreate))
        return {storemsg::kCannotOpen, dataPath_};
    if (!index.open(indexPath_, BinaryFile::Mode::OpenOrCreate))
        return {storemsg::kCannotOpen, indexPath_};
    return {};
}

std::optional<int> readBoundedCount(BinaryFile& file, qint64 headerBytes, int itemBytes,
                                    int capacity) {
    if (file.size() < 4)
        return 0;
    const auto n = file.readInt32At(0);
    if (!n || *n < 0 || *n > capacity)
        return std::nullopt;
    if (headerBytes + qint64(*n) * itemBytes > file.size())
        return std::nullopt;
    return *n;
}

Result<int> StoreFiles::boundedCount(BinaryFile& file, int itemBytes, int atLeast) {
    const auto n = readBoundedCount(file, kStoreHeaderBytes, itemBytes, kStoreCapacity);
    const bool holdsEnough = kStoreHeaderBytes + qint64(atLeast) * itemBytes <= file.size();
    if (!n || (atLeast > 0 && !holdsEnough))
        return Result<int>::failure({storemsg::kDamaged, file.path()});
    return Result<int>::success(*n);
}

Result<int> StoreFiles::dataCount() {
    return boundedCount(data, recordBytes, 0);
}

Result<int> StoreFiles::indexCount(int atLeast) {
    return boundedCount(index, RecordIndexEntry::kBytes, atLeast);
}

Result<int> StoreFiles::checkedCount() {
    auto n = dataCount();
    if (!n.ok())
        return n;
    const auto entries = indexCount(n.value());
    if (!entries.ok())
        return entries;
    return n;
}

} // namespace vantora
