#include "records/StoreRewrite.h"

#include "core/DataPaths.h"
#include "records/RecordIndexEntry.h"
#include "records/RecordingStore.h"
#include "records/StoreJournal.h"
#include "records/StoreMessages.h"

#include <QFile>

#include <filesystem>
#include <vector>

namespace vantora {

namespace {
constexpr qint64 kCopyChunkBytes = 4 << 20; // 4 MiB
}

bool copyFileRange(BinaryFile& from, qint64 fromOffset, qint64 len, BinaryFile& to,
                   qint64 toOffset) {
    std::vector<char> buffer(size_t(std::min(len, kCopyChunkBytes)));
    for (qint64 done = 0; done < len;) {
        const qint64 piece = std::min<qint64>(len - done, qint64(buffer.size()));
        if (!from.readAt(fromOffset + done, buffer.data(), piece) ||
            !to.writeAt(toOffset + done, buffer.data(), piece))
            return false;
        done += piece;
    }
    return true;
}

StoreRewrite::StoreRewrite(const QString& dataRoot, RecordingMode mode, const QString& patientId)
    : store_(dataRoot, mode, patientId), root_(dataRoot), mode_(mode), id_(patientId),
      dataPath_(paths::dataFile(dataRoot, mode, patientId)),
      indexPath_(paths::indexFile(dataRoot, mode, patientId)),
      scratchDataPath_(paths::scratchDataFile(dataRoot, mode, patientId)),
      scratchIndexPath_(paths::scratchIndexFile(dataRoot, patientId)) {}

StoreRewrite::~StoreRewrite() {
    abandon();
}

Message StoreRewrite::begin(Start start, int skip, bool equalCounts) {
    lock_ = DataFolderLock::exclusive(root_);
    if (!lock_.held())
        return lock_.message();
    StoreJournal::recover(root_, id_);
    // A store without files is rewritten from nothing: opening it would create
    // them, and a rewrite that fails must leave no files behind.
    if (start != Start::Fresh && !QFile::exists(dataPath_) && !QFile::exists(indexPath_)) {
        if (skip >= 0)
            return {storemsg::kNoRecordingNumber, QString::number(skip + 1)};
        start = Start::Fresh;
    }
    if (start != Start::Fresh) {
        if (Message m = store_.open(); !m.isNone())
            return m;
        const auto n = store_.checkedCount();
        if (!n.ok())
            return n.message();
        if (equalCounts && store_.indexCount(0).value() != n.value())
            return {storemsg::kDamaged, dataPath_};
        original_ = n.value();
        if (skip >= original_)
            return {storemsg::kNoRecordingNumber, QString::number(skip + 1)};
    }
    if (!scratchData_.open(scratchDataPath_, BinaryFile::Mode::Truncate))
        return {storemsg::kCannotOpen, scratchDataPath_};
    started_ = true;
    if (!scratchIndex_.open(scratchIndexPath_, BinaryFile::Mode::Truncate))
        return {storemsg::kCannotOpen, scratchIndexPath_};
    // Room for the counts, which commit() writes.
    if (!scratchData_.writeInt32At(0, 0) || !scratchIndex_.writeInt32At(0, 0))
        return {storemsg::kWriteFailed, {}};
    return start == Start::Keep ? copyKept(skip) : Message{};
}

Message StoreRewrite::copyKept(int skip) {
    const int s = store_.recordBytes;
    const int e = RecordIndexEntry::kBytes;
    // Runs [0, skip) and [skip + 1, original) of both files.
    const int firstEnd = skip < 0 ? original_ : skip;
    const int secondStart = skip < 0 ? original_ : skip + 1;
    struct Run {
        int from, to;
    };
    for (const Run run : {Run{0, firstEnd}, Run{secondStart, original_}}) {
        const int n = run.to - run.from;
        if (n <= 0)
            continue;
        if (!copyFileRange(store_.data, kStoreHeaderBytes + qint64(run.from) * s, qint64(n) * s,
                           scratchData_, kStoreHeaderBytes + qint64(count_) * s) ||
            !copyFileRange(store_.index, kStoreHeaderBytes + qint64(run.from) * e, qint64(n) * e,
                           scratchIndex_, kStoreHeaderBytes + qint64(count_) * e))
            return {storemsg::kWriteFailed, {}};
        count_ += n;
    }
    return {};
}

bool StoreRewrite::append(const uint8_t* entry, const uint8_t* record) {
    const int s = store_.recordBytes;
    if (!scratchData_.writeAt(kStoreHeaderBytes + qint64(count_) * s, record, s) ||
        !scratchIndex_.writeAt(kStoreHeaderBytes + qint64(count_) * RecordIndexEntry::kBytes, entry,
                               RecordIndexEntry::kBytes))
        return false;
    ++count_;
    return true;
}

Message StoreRewrite::finish() {
    if (!started_ || finished_)
        return {storemsg::kWriteFailed, {}};
    if (count_ > kStoreCapacity || !scratchData_.writeInt32At(0, count_) ||
        !scratchIndex_.writeInt32At(0, count_) || !scratchData_.sync() || !scratchIndex_.sync())
        return {storemsg::kWriteFailed, {}};
    scratchData_.close();
    scratchIndex_.close();
    store_.data.close();
    store_.index.close();
    finished_ = true;
    return {};
}

Message StoreRewrite::replace(const QByteArray& newPatient) {
    if (!finished_)
        return {storemsg::kWriteFailed, {}};
    const StoreJournal journal(root_, mode_, id_);
    if (!journal.announce(newPatient))
        return {storemsg::kWriteFailed, {}};
    // From here on the replacement is decided: a failed rename leaves the
    // journal and the scratch files for the next open to finish it.
    started_ = false;
    if (!replaceFile(scratchDataPath_, dataPath_))
        return {storemsg::kCannotOpen, dataPath_};
    if (!replaceFile(scratchIndexPath_, indexPath_))
        return {storemsg::kCannotOpen, indexPath_};
    if (!journal.finish(newPatient))
        return {storemsg::kRegistryFull, {}};
    return {};
}

void StoreRewrite::abandon() {
    if (!started_)
        return;
    QFile::remove(paths::journalFile(root_, mode_, id_));
    scratchData_.close();
    scratchIndex_.close();
    QFile::remove(scratchDataPath_);
    QFile::remove(scratchIndexPath_);
    started_ = false;
}

} // namespace vantora
