#include "dicom/Outbox.h"

#include "core/StringIds.h"
#include "dicom/DicomNetwork.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"
#include "records/SafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantora::outbox {

namespace {

const QString kSuffix = QStringLiteral(".dcm");

bool validUid(const QString& uid) {
    static const QRegularExpression pattern(QStringLiteral("^[0-9]+(\\.[0-9]+)*$"));
    return uid.size() <= 64 && pattern.match(uid).hasMatch();
}

// Oldest first: the order they were put in.
QStringList waitingFiles(const QString& dataRoot) {
    return QDir(folder(dataRoot))
        .entryList({QStringLiteral("*") + kSuffix}, QDir::Files, QDir::Time | QDir::Reversed);
}

// One sender per data folder. flock() belongs to the open file, so two
// threads of one process exclude each other as two processes do, and the
// kernel drops it with a killed holder.
class SenderLock {
public:
    explicit SenderLock(const QString& dir) {
        fd_ = ::open(QFile::encodeName(dir + QStringLiteral("/.sending")).constData(),
                     O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~SenderLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SenderLock(const SenderLock&) = delete;
    SenderLock& operator=(const SenderLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// What a kill in the middle of an enqueue left: a temporary file never
// renamed. Taken under the folder's lock, so no enqueue is writing one.
void removeUnfinished(const QString& dataRoot) {
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot);
    if (!lock.held())
        return;
    QDir dir(folder(dataRoot));
    for (const QString& name :
         dir.entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden))
        dir.remove(name);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString folder(const QString& dataRoot) {
    return dataRoot + QStringLiteral("/Outbox");
}

Result<> enqueue(const QString& dataRoot, const QString& sopInstanceUid, const QByteArray& file) {
    if (!validUid(sopInstanceUid))
        return Message{ids::kNotADicomFile, sopInstanceUid};
    const DataFolderLock lock = DataFolderLock::exclusive(dataRoot);
    if (!lock.held())
        return lock.message();
    const QString dir = folder(dataRoot);
    if (!QFileInfo::exists(dir)) {
        if (!QDir().mkpath(dir) || !syncFolder(dataRoot))
            return Message{ids::kFileNotWritten, dir};
    }
    const QString path = dir + u'/' + sopInstanceUid + kSuffix;
    if (QFileInfo::exists(path))
        return {};
    return writeWholeFile(path, file);
}

int waitingCount(const QString& dataRoot) {
    return int(waitingFiles(dataRoot).size());
}

SendReport sendWaiting(const QString& dataRoot, const QString& callingAet, const DicomNode& archive,
                       const std::function<void(SendProgress)>& progress,
                       const std::atomic<bool>* cancel, int timeoutSeconds) {
    SendReport report;
    const QString dir = folder(dataRoot);
    if (!QFileInfo::exists(dir))
        return report;
    const SenderLock sender(dir);
    if (!sender.held()) {
        report.waiting = waitingCount(dataRoot);
        report.problem = Message{ids::kOutboxSentElsewhere, {}};
        return report;
    }
    removeUnfinished(dataRoot);
    const QStringList names = waitingFiles(dataRoot);
    const int total = int(names.size());
    if (total == 0)
        return report;
    auto path = [&](int i) { return dir + u'/' + names[i]; };
    const auto sent = storeObjects(
        callingAet, archive, total, [&](int i) { return readFile(path(i)); },
        [&](int i) {
            // Confirmed: only now may it leave. A kill before the removal
            // sends it once more next time, which the archive takes as the
            // same object.
            QFile::remove(path(i));
            syncFolder(dir);
            ++report.sent;
            if (progress)
                progress({report.sent, total});
        },
        cancel, timeoutSeconds);
    report.waiting = waitingCount(dataRoot);
    if (!sent) {
        report.problem = sent.message();
    } else {
        report.failed = int(sent.value().failedIndexes.size());
        if (cancel != nullptr && cancel->load() && report.waiting > report.failed)
            report.problem = Message{ids::kOutboxStopped, QString::number(report.waiting)};
        else
            report.problem = sent.value().firstFailure;
    }
    return report;
}

} // namespace vantora::outbox
