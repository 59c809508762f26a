#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"
#include "records/StoreFiles.h"

#include <QString>

namespace vantora {

// Builds a new version of a store in two scratch files in the data root and
// replaces the store's data file and index file with them only when they are
// complete. Until commit() the store is untouched, so a rewrite that fails
// part-way (a removal, an import) leaves the store exactly as it was. Scratch
// files of an abandoned rewrite are deleted.
class StoreRewrite {
    DataFolderLock lock_; // from begin() until the rewrite is done or abandoned

public:
    enum class Start {
        Keep,  // the store's counted records (all, or all but one)
        Empty, // no records; the store's counts must still be sound
        Fresh, // no records; the store's files are not read (a newly registered patient)
    };

    StoreRewrite(const QString& dataRoot, RecordingMode mode, const QString& patientId);
    ~StoreRewrite();
    StoreRewrite(const StoreRewrite&) = delete;
    StoreRewrite& operator=(const StoreRewrite&) = delete;

    // Opens the store and the scratch files and copies the records to keep,
    // leaving out record `skip` (0-based; -1 keeps all). A store without
    // files starts empty and is not created. `equalCounts` refuses
    // a store whose two counts differ (61218 with the data file's path).
    Message begin(Start start, int skip = -1, bool equalCounts = false);
    // Records in the new store so far.
    int count() const { return count_; }
    // Records the store held when begin() read it.
    int originalCount() const { return original_; }
    // Adds one entry (24 bytes) and one record (the mode's record size),
    // both with their markers, as given.
    bool append(const uint8_t* entry, const uint8_t* record);
    // Writes the counts and closes the scratch files: every write is done.
    Message finish();
    // Puts the finished scratch files in place of the store's files, and
    // registers `newPatient` (an encoded PatientRecord) with them when given.
    Message replace(const QByteArray& newPatient = {});
    Message commit() {
        Message m = finish();
        return m.isNone() ? replace() : m;
    }

private:
    Message copyKept(int skip);
    void abandon();

    StoreFiles store_;
    QString root_;
    RecordingMode mode_;
    QString id_;
    QString dataPath_;
    QString indexPath_;
    QString scratchDataPath_;
    QString scratchIndexPath_;
    BinaryFile scratchData_;
    BinaryFile scratchIndex_;
    int count_ = 0;
    int original_ = 0;
    bool started_ = false;
    bool finished_ = false;
};

// Copies len bytes from one file to another in large pieces; false on any
// short read or write.
bool copyFileRange(BinaryFile& from, qint64 fromOffset, qint64 len, BinaryFile& to,
                   qint64 toOffset);

} // namespace vantora
