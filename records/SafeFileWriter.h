#pragma once

#include "core/Message.h"
#include "core/Result.h"
#include "core/StringIds.h"

#include <QByteArray>
#include <QString>

namespace vantora {

// A file the station writes for the user (report, picture, export, chart).
// It is written to a temporary file beside the target; every write and the
// close are checked, the data is synced, and only a whole file is renamed
// over the target. Until commit() succeeds the target keeps what it held; a
// writer that failed or is dropped removes its temporary file.
//
// Writes, the sync and the rename pass BinaryFile's fault seam: a test can
// fill the "disk" after any byte (failWritesAfter) or fail any step
// (injectAt); an injected fault reads as a full disk.
class SafeFileWriter {
public:
    explicit SafeFileWriter(QString target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file, with the target's permissions when it exists.
    bool open();
    // Appends all `len` bytes; a short or failed write fails the file.
    bool write(const char* data, qint64 len);
    bool write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    // For a library that writes to a path itself: the temporary file (after
    // open()). The library has closed it before commit().
    QString tempPath() const { return temp_; }
    // Fails the file for a reason found outside (errno value).
    void fail(int error);
    // Checks, syncs and closes the temporary file. With expectedSize >= 0 the
    // file must be exactly that long (a library that lost data on a full disk
    // leaves it shorter). Files that go together are all finished before the
    // first is committed.
    bool finish(qint64 expectedSize = -1);
    // Finishes the file unless done, then renames it over the target.
    bool commit(qint64 expectedSize = -1);

    bool failed() const { return error_ != 0; }
    // "FILE: reason" of the first failure (the target's path, strerror text).
    QString failure() const;
    Message message(int id = ids::kFileNotWritten) const { return {id, failure()}; }

private:
    bool failWith(int error);
    void discard();

    QString target_;
    QString temp_;
    int fd_ = -1;
    int error_ = 0;
};

// `bytes` as the whole of `target`; kNotWritten with "FILE: reason" when not.
Result<> writeWholeFile(const QString& target, const QByteArray& bytes);

} // namespace vantora
