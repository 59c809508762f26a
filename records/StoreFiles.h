#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "core/Result.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"

#include <QString>

namespace vantora {

// The data file and the index file of one store, opened together for one
// operation ("rb+", created empty when missing).
class StoreFiles {
    DataFolderLock lock_; // released after the files close

public:
    StoreFiles(const QString& dataRoot, RecordingMode mode, const QString& patientId);

    // 61217 with the path of the file that cannot be opened or created. An
    // interrupted replacement of the patient's stores is finished first. The
    // data folder stays held (exclusively for writers) until the files go.
    Message open(DataFolderLock::Kind kind = DataFolderLock::Kind::Exclusive);

    // The data file's count, checked: a missing or short file counts 0; a
    // negative count, one above capacity or one the file cannot hold is a
    // damaged store (61218 with the data file's path).
    Result<int> dataCount();
    // The same for the index file, which must also hold at least `atLeast`
    // entries (those the data file counts).
    Result<int> indexCount(int atLeast);
    // dataCount() and indexCount(), both usable for an append or a rewrite.
    Result<int> checkedCount();

    BinaryFile data;
    BinaryFile index;
    const int recordBytes;

private:
    Result<int> boundedCount(BinaryFile& file, int itemBytes, int atLeast);
    QString root_;
    QString id_;
    QString dataPath_;
    QString indexPath_;
};

// The count at offset 0 of a file of fixed items behind a 4-byte count:
// nullopt when it is negative, above `capacity`, or more than the file holds;
// 0 for a file shorter than the count.
std::optional<int> readBoundedCount(BinaryFile& file, qint64 headerBytes, int itemBytes,
                                    int capacity);

} // namespace vantora
