#include "fuzz/FuzzRoot.h"

#include "core/DataPaths.h"
#include "records/DataFolderLock.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace vantora::fuzz {

namespace {

const QString kFence = QStringLiteral("fence");

// scripts/fuzz names a folder it removes afterwards, also after a crash.
QString tempBase() {
    if (const QString given = qEnvironmentVariable("VANTORA_FUZZ_TMP"); !given.isEmpty())
        return given;
    const QString shm = QStringLiteral("/dev/shm");
    return QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
}

} // namespace

FuzzRoot& FuzzRoot::instance() {
    static FuzzRoot root;
    return root;
}

FuzzRoot::FuzzRoot() {
    QByteArray pattern = (tempBase() + QStringLiteral("/vantora-fuzz-XXXXXX")).toLocal8Bit();
    require(mkdtemp(pattern.data()) != nullptr, "cannot create the fuzzing folder");
    base_ = QString::fromLocal8Bit(pattern);
    root_ = base_ + QStringLiteral("/root");
    QFile fence(base_ + u'/' + kFence);
    require(fence.open(QIODevice::WriteOnly) && fence.write("fence") == 5,
            "cannot write the fence");
    reset();
}

FuzzRoot::~FuzzRoot() {
    QDir(base_).removeRecursively();
}

void FuzzRoot::reset() {
    QDir(root_).removeRecursively();
    QDir dir;
    require(dir.mkpath(root_ + QStringLiteral("/SnapData")) &&
                dir.mkpath(root_ + QStringLiteral("/ContinueData")),
            "cannot create the data root");
}

void FuzzRoot::write(const QString& path, const QByteArray& bytes) const {
    require(path.startsWith(root_ + u'/'), "an input file outside the data root");
    QFile f(path);
    require(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size(),
            "cannot write an input file");
}

QMap<QString, QByteArray> FuzzRoot::snapshot() const {
    QMap<QString, QByteArray> files;
    QDirIterator it(root_, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        // The data folder's lock file holds no data; the first lock makes it.
        if (it.fileName() == DataFolderLock::fileName())
            continue;
        files.insert(f.fileName().mid(root_.size()),
                     f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }
    return files;
}

void FuzzRoot::requireUnchanged(const QMap<QString, QByteArray>& before, const char* what) const {
    const QMap<QString, QByteArray> after = snapshot();
    if (after == before)
        return;
    QStringList names = before.keys() + after.keys();
    names.removeDuplicates();
    for (const QString& name : names) {
        if (before.value(name) != after.value(name) ||
            before.contains(name) != after.contains(name))
            std::fprintf(stderr, "fuzz: %s: %lld bytes before, %lld after\n", qPrintable(name),
                         before.contains(name) ? qlonglong(before.value(name).size()) : -1LL,
                         after.contains(name) ? qlonglong(after.value(name).size()) : -1LL);
    }
    require(false, what);
}

void FuzzRoot::checkFence() const {
    const QStringList beside =
        QDir(base_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    require(beside == QStringList({kFence, QStringLiteral("root")}), "a file beside the data root");
    QFile fence(base_ + u'/' + kFence);
    require(fence.open(QIODevice::ReadOnly) && fence.readAll() == "fence", "the fence changed");
}

uint8_t Parts::byte() {
    if (left_ == 0)
        return 0;
    --left_;
    return *data_++;
}

QByteArray Parts::next() {
    size_t n = left_;
    if (left_ >= 4) {
        n = size_t(data_[0]) | size_t(data_[1]) << 8 | size_t(data_[2]) << 16 |
            size_t(data_[3]) << 24;
        data_ += 4;
        left_ -= 4;
        n = std::min(n, left_);
    }
    QByteArray part(reinterpret_cast<const char*>(data_), qsizetype(n));
    data_ += n;
    left_ -= n;
    return part;
}

QByteArray pack(const std::vector<QByteArray>& parts) {
    QByteArray out;
    for (const QByteArray& p : parts) {
        const auto n = uint32_t(p.size());
        for (int i = 0; i < 4; ++i)
            out.append(char(n >> (8 * i)));
        out.append(p);
    }
    return out;
}

Input begin(const uint8_t* data, size_t size) {
    FuzzRoot::instance().reset();
    Parts parts(data, size);
    const uint8_t op = parts.byte();
    return {op, (op & 1) ? RecordingMode::Continuous : RecordingMode::Snap, parts};
}

void require(bool holds, const char* what) {
    if (holds)
        return;
    std::fprintf(stderr, "fuzz: %s\n", what);
    std::abort();
}

} // namespace vantora::fuzz
