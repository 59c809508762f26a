#include "records/DataFolderLock.h"
#include "core/StringIds.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <thread>

namespace vantora {

struct DataFolderLock::RootState {
    std::recursive_timed_mutex turn; // threads of this process
    QByteArray path;
    int fd = -1;
    int depth = 0;
    bool exclusive = false;
};

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollStart = std::chrono::milliseconds(2);
constexpr auto kPollMax = std::chrono::milliseconds(50);

struct States {
    std::mutex guard;
    std::map<QString, std::shared_ptr<DataFolderLock::RootState>> byRoot;
    // The same states by absolute paths as callers spell them: the common
    // case needs no path cleaning.
    std::map<QString, std::shared_ptr<DataFolderLock::RootState>> bySpelling;
};

// A forked child holds none of its parent's record locks, and its copy of a
// turn may belong to a thread it does not have: it starts afresh. The old
// states are left alive, as copies of guards in the child may point to them.
void startAfreshAfterFork();

States& states() {
    static States* all = [] {
        ::pthread_atfork(nullptr, nullptr, startAfreshAfterFork);
        return new States;
    }();
    return *all;
}

void startAfreshAfterFork() {
    States& all = states();
    new (&all.guard) std::mutex;
    new (&all.bySpelling) decltype(all.bySpelling);
    for (auto& [root, state] : all.byRoot) {
        auto fresh = std::make_shared<DataFolderLock::RootState>();
        fresh->path = state->path;
        fresh->fd = state->fd;
        new std::shared_ptr<DataFolderLock::RootState>(std::move(state));
        state = std::move(fresh);
    }
}

std::shared_ptr<DataFolderLock::RootState> stateFor(const QString& dataRoot) {
    States& all = states();
    const std::lock_guard<std::mutex> lock(all.guard);
    if (const auto known = all.bySpelling.find(dataRoot); known != all.bySpelling.end())
        return known->second;
    const QString key = QDir::cleanPath(QDir(dataRoot).absolutePath());
    auto& state = all.byRoot[key];
    if (!state) {
        state = std::make_shared<DataFolderLock::RootState>();
        state->path = QFile::encodeName(key + u'/' + DataFolderLock::fileName());
    }
    if (QDir::isAbsolutePath(dataRoot))
        all.bySpelling[dataRoot] = state;
    return state;
}

// The lock file stays open for the life of the process: closing any
// descriptor of it would drop this process's record locks. A file replaced
// or removed meanwhile (a test's folder made anew) is opened again.
void openLockFile(DataFolderLock::RootState& s) {
    struct stat onDisk {};
    struct stat held {};
    if (s.fd >= 0 && ::stat(s.path.constData(), &onDisk) == 0 && ::fstat(s.fd, &held) == 0 &&
        onDisk.st_dev == held.st_dev && onDisk.st_ino == held.st_ino)
        return;
    if (s.fd >= 0)
        ::close(s.fd);
    s.fd = ::open(s.path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (s.fd < 0)
        s.fd = ::open(s.path.constData(), O_RDONLY | O_CLOEXEC);
}

struct flock wholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

bool lockUntil(int fd, bool exclusive, Clock::time_point deadline) {
    auto pause = kPollStart;
    for (;;) {
        struct flock lock = wholeFile(exclusive ? F_WRLCK : F_RDLCK);
        if (::fcntl(fd, F_SETLK, &lock) == 0)
            return true;
        if ((errno != EAGAIN && errno != EACCES && errno != EINTR) || Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, kPollMax);
    }
}

QString describeProcess(pid_t pid) {
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    QString name;
    if (comm.open(QIODevice::ReadOnly))
        name = QString::fromLocal8Bit(comm.readAll()).trimmed();
    // The name comes from another process: only its printable part is shown.
    name.removeIf([](QChar c) { return !c.isPrint(); });
    return name.isEmpty() ? QStringLiteral("process %1").arg(pid)
                          : QStringLiteral("%1 (process %2)").arg(name).arg(pid);
}

// A process whose lock conflicts with a write lock (or with a read lock:
// only writers), or empty.
QString conflictingHolder(int fd, bool exclusive = true) {
    struct flock probe = wholeFile(exclusive ? F_WRLCK : F_RDLCK);
    if (fd < 0 || ::fcntl(fd, F_GETLK, &probe) != 0 || probe.l_type == F_UNLCK)
        return {};
    return describeProcess(probe.l_pid);
}

Message busy(const QString& holder) {
    return {ids::kDataFolderBusy, holder.isEmpty() ? QStringLiteral("another program") : holder};
}

} // namespace

QString DataFolderLock::fileName() {
    return QStringLiteral(".vantora.lock");
}

std::chrono::milliseconds DataFolderLock::waitLimit() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VANTORA_LOCK_WAIT_MS", &ok);
    return std::chrono::milliseconds(ok && ms >= 0 ? ms : 5000);
}

DataFolderLock DataFolderLock::take(const QString& dataRoot, Kind kind) {
    DataFolderLock out;
    const auto state = stateFor(dataRoot);
    const auto deadline = Clock::now() + waitLimit();
    if (!state->turn.try_lock_until(deadline)) {
        out.message_ = busy(describeProcess(::getpid()));
        return out;
    }
    const bool exclusive = kind == Kind::Exclusive;
    if (state->depth == 0)
        openLockFile(*state);
    const bool needsLock = state->depth == 0 || (exclusive && !state->exclusive);
    if (state->fd >= 0 && needsLock && !lockUntil(state->fd, exclusive, deadline)) {
        out.message_ = busy(conflictingHolder(state->fd));
        state->turn.unlock();
        return out;
    }
    ++state->depth;
    state->exclusive = state->exclusive || exclusive;
    out.state_ = state;
    return out;
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept
    : state_(std::move(other.state_)), message_(std::move(other.message_)) {}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
    if (this != &other) {
        release();
        state_ = std::move(other.state_);
        message_ = std::move(other.message_);
    }
    return *this;
}

DataFolderLock::~DataFolderLock() {
    release();
}

void DataFolderLock::release() {
    if (!state_)
        return;
    if (--state_->depth == 0) {
        if (state_->fd >= 0) {
            struct flock unlock = wholeFile(F_UNLCK);
            ::fcntl(state_->fd, F_SETLK, &unlock);
        }
        state_->exclusive = false;
    }
    state_->turn.unlock();
    state_.reset();
}

QString DataFolderLock::otherHolder(const QString& dataRoot, Kind kind) {
    const auto state = stateFor(dataRoot);
    if (!state->turn.try_lock())
        return {};
    if (state->depth == 0)
        openLockFile(*state);
    const QString holder = conflictingHolder(state->fd, kind == Kind::Exclusive);
    state->turn.unlock();
    return holder;
}

} // namespace vantora
