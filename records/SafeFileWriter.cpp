#include "records/SafeFileWriter.h"

#include "records/BinaryFile.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantora {

namespace {
constexpr int kTempAttempts = 16;
constexpr mode_t kNewFileMode = 0666; // less the umask, as any new file

QString randomTag() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString tag;
    for (int i = 0; i < 6; ++i)
        tag += QChar(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    return tag;
}
} // namespace

SafeFileWriter::SafeFileWriter(QString target) : target_(std::move(target)) {}

SafeFileWriter::~SafeFileWriter() {
    discard();
}

bool SafeFileWriter::failWith(int error) {
    if (error_ == 0)
        error_ = error ? error : EIO;
    discard();
    return false;
}

void SafeFileWriter::fail(int error) {
    failWith(error);
}

void SafeFileWriter::discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty())
        ::unlink(QFile::encodeName(temp_).constData());
    temp_.clear();
}

bool SafeFileWriter::open() {
    const QFileInfo target(target_);
    struct stat old {};
    const bool exists = ::stat(QFile::encodeName(target_).constData(), &old) == 0;
    for (int attempt = 0; attempt < kTempAttempts && fd_ < 0; ++attempt) {
        const QString name = target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                             u'-' + randomTag() + QStringLiteral(".part");
        fd_ = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                     kNewFileMode);
        if (fd_ >= 0)
            temp_ = name;
        else if (errno != EEXIST)
            return failWith(errno);
    }
    if (fd_ < 0)
        return failWith(EEXIST);
    if (exists && ::fchmod(fd_, old.st_mode & 07777) != 0)
        return failWith(errno);
    return true;
}

bool SafeFileWriter::write(const char* data, qint64 len) {
    if (fd_ < 0)
        return failWith(error_ ? error_ : EBADF);
    if (BinaryFile::faultNow())
        return failWith(ENOSPC);
    const qint64 allowed = BinaryFile::takeWriteBudget(len);
    qint64 done = 0;
    while (done < allowed) {
        const ssize_t n = ::write(fd_, data + done, size_t(allowed - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failWith(n < 0 ? errno : ENOSPC);
        done += n;
    }
    return allowed == len || failWith(ENOSPC);
}

bool SafeFileWriter::finish(qint64 expectedSize) {
    if (fd_ < 0)
        return failWith(error_ ? error_ : EBADF);
    struct stat written {};
    if (::fstat(fd_, &written) != 0)
        return failWith(errno);
    if (expectedSize >= 0 && written.st_size != expectedSize)
        return failWith(ENOSPC); // what a library loses on a full disk
    if (BinaryFile::faultNow())
        return failWith(ENOSPC);
    if (::fsync(fd_) != 0)
        return failWith(errno);
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 || failWith(errno);
}

bool SafeFileWriter::commit(qint64 expectedSize) {
    if (temp_.isEmpty() || (fd_ >= 0 && !finish(expectedSize)))
        return failWith(error_ ? error_ : EBADF);
    if (BinaryFile::faultNow())
        return failWith(ENOSPC);
    if (::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(target_).constData()) != 0)
        return failWith(errno);
    temp_.clear();
    // The new name must survive a power cut before anyone relies on it (a
    // chart export removes the recordings next).
    return syncFolder(QFileInfo(target_).absolutePath()) || failWith(errno);
}

QString SafeFileWriter::failure() const {
    return target_ + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error_));
}

Result<> writeWholeFile(const QString& target, const QByteArray& bytes) {
    SafeFileWriter file(target);
    if (file.open() && file.write(bytes) && file.commit())
        return {};
    return file.message();
}

} // namespace vantora
