#pragma once

#include "core/Message.h"

#include <QString>

#include <chrono>
#include <memory>

namespace vantora {

// One writer at a time per data folder, across processes: the windowed
// program and any number of command-line runs. Every write and every
// recovery holds the folder exclusively; readers hold it shared, so they see
// only what finished writes left. The lock is a POSIX record lock on a hidden
// file in the data root, so the kernel drops it with a killed holder and
// never leaves a stale lock behind.
//
// Within one process the lock nests: an operation that holds the folder may
// call others that take it again. Threads of one process take turns. A
// shared hold that meets a nested exclusive one is raised to exclusive.
class DataFolderLock {
public:
    enum class Kind { Shared, Exclusive };

    // Takes the folder, waiting up to waitLimit() for the holder to finish.
    // A folder whose lock file cannot be opened (missing, read-only) is taken
    // without it: nothing can be written there either.
    static DataFolderLock take(const QString& dataRoot, Kind kind);
    static DataFolderLock exclusive(const QString& dataRoot) {
        return take(dataRoot, Kind::Exclusive);
    }
    static DataFolderLock shared(const QString& dataRoot) { return take(dataRoot, Kind::Shared); }

    DataFolderLock() = default;
    DataFolderLock(DataFolderLock&&) noexcept;
    DataFolderLock& operator=(DataFolderLock&&) noexcept;
    ~DataFolderLock();

    bool held() const { return state_ != nullptr; }
    // Why the folder was not taken (62600 naming the holder); none when held.
    const Message& message() const { return message_; }
    void release();

    // Another process whose hold keeps this one from taking the folder as
    // `kind`, as "vantora-cli (process 123)"; empty when none. Asked for
    // Shared, it names a writer: the window shows it while it cannot write.
    static QString otherHolder(const QString& dataRoot, Kind kind = Kind::Exclusive);
    // VANTORA_LOCK_WAIT_MS, else 5 s.
    static std::chrono::milliseconds waitLimit();
    // The lock file's name in the data root.
    static QString fileName();

    struct RootState;

private:
    std::shared_ptr<RootState> state_;
    Message message_;
};

} // namespace vantora
