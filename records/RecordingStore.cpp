#include "records/RecordingStore.h"

#include "core/Langpack.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"
#include "records/PatientRecord.h"
#include "records/StoreFiles.h"
#include "records/StoreJournal.h"
#include "records/StoreRewrite.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>

namespace vantora {

int recordBytesOf(RecordingMode mode) {
    return mode == RecordingMode::Snap ? kSnapRecordBytes : kContinuousRecordBytes;
}

RecordingStore::RecordingStore(QString dataRoot, RecordingMode mode, QString patientId)
    : root_(std::move(dataRoot)), mode_(mode), id_(std::move(patientId)) {}

QString RecordingStore::dataPath() const {
    return paths::dataFile(root_, mode_, id_);
}
QString RecordingStore::indexPath() const {
    return paths::indexFile(root_, mode_, id_);
}

namespace {

// An id that is not a file-name stem would lead out of the store's folder.
// A valid id's stores are brought back to a whole state before any read or
// write: an interrupted replacement is finished, leftover scratch files go.
Message checkId(const QString& root, const QString& id) {
    if (!isValidPatientId(id))
        return {ids::kInvalidPatientId, id};
    StoreJournal::recover(root, id);
    return {};
}

// A reader holds the folder shared, after recovery: it sees only what
// finished writes left.
Message startReading(const QString& root, const QString& id, DataFolderLock& lock) {
    if (Message m = checkId(root, id); !m.isNone())
        return m;
    lock = DataFolderLock::shared(root);
    return lock.message();
}

// Opens one file of a store the way every reader does. A missing file stays
// missing and reads as empty (the file is left closed): creating it would give
// files to a patient the registry no longer lists, for instance when a page
// still shows a deleted patient. Stores come into existence on their first write.
Message openForReading(BinaryFile& file, const QString& path) {
    if (!QFileInfo::exists(path))
        return {};
    return file.open(path, BinaryFile::Mode::Read) ? Message{} : Message{ids::kCannotOpen, path};
}

Result<int> countOf(BinaryFile& file, int itemBytes) {
    const auto n = readBoundedCount(file, kStoreHeaderBytes, itemBytes, kStoreCapacity);
    if (!n)
        return Result<int>::failure({ids::kDamagedFile, file.path()});
    return Result<int>::success(*n);
}

// Writes record n and its entry, then raises the data count and the index
// count, each on the disk before the next: an interruption leaves nothing
// counted that is not whole, and a data count one ahead of the index count is
// finished by the next open (StoreJournal::recover).
bool writeAppended(StoreFiles& files, int n, const QByteArray& record,
                   const RecordIndexEntry& entry) {
    const auto entryBytes = entry.toBytes();
    return files.data.writeAt(kStoreHeaderBytes + qint64(n) * files.recordBytes, record.constData(),
                              record.size()) &&
           files.index.writeAt(kStoreHeaderBytes + qint64(n) * RecordIndexEntry::kBytes,
                               entryBytes.data(), RecordIndexEntry::kBytes) &&
           files.data.sync() && files.index.sync() && files.data.writeInt32At(0, n + 1) &&
           files.data.sync() && files.index.writeInt32At(0, n + 1) && files.index.sync();
}

QByteArray snapRecordBytes(const SnapBlocks& blocks) {
    QByteArray record(kSnapRecordBytes, Qt::Uninitialized);
    record[0] = char(kStoreMarker[0]);
    record[1] = char(kStoreMarker[1]);
    for (int b = 0; b < kBlocksPerRecording; ++b)
        std::copy(blocks[b].bytes.begin(), blocks[b].bytes.end(),
                  record.begin() + 2 + b * SampleBlock::kBytes);
    return record;
}

QByteArray continuousRecordBytes(std::span<const AcqPacket> packets) {
    QByteArray record(kContinuousRecordBytes, Qt::Uninitialized);
    record[0] = char(kStoreMarker[0]);
    record[1] = char(kStoreMarker[1]);
    auto* out = reinterpret_cast<uint8_t*>(record.data()) + 2;
    for (int i = 0; i < kSamplesPerRecording; ++i) {
        const size_t p = size_t(i / kAcqSamplesPerPacket);
        // A short segment is completed with the zero line so the slot is whole.
        const int32_t v =
            p < packets.size() ? packets[p].samples[i % kAcqSamplesPerPacket] : kSampleBaseline;
        putLE32(out + 4 * i, uint32_t(v));
    }
    return record;
}

std::vector<int32_t> samplesOf(RecordingMode mode, const QByteArray& data) {
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData());
    if (mode == RecordingMode::Snap)
        return decodeSnapData(std::span<const uint8_t, kSnapBlockBytes>(p, kSnapBlockBytes));
    return continuousSamples(p);
}

} // namespace

std::vector<int32_t> continuousSamples(const uint8_t* sampleBytes) {
    std::vector<int32_t> samples(kSamplesPerRecording);
    for (int i = 0; i < kSamplesPerRecording; ++i)
        samples[size_t(i)] = clampSample(int32_t(getLE32(sampleBytes + 4 * i)));
    return samples;
}

SegmentSummary summariseSegment(std::span<const AcqPacket> packets) {
    int64_t sum = 0;
    int64_t counted = 0;
    uint32_t mask = 0;
    for (const AcqPacket& packet : packets) {
        if (packet.heartRate > 0 && packet.heartRate < kMaxReportedHeartRate) {
            sum += packet.heartRate;
            ++counted;
        }
        // Only codes 1..16 have a bit in the 16-bit mask.
        if (packet.rhythmCode > 0 && packet.rhythmCode <= 16)
            mask |= 1u << (packet.rhythmCode - 1);
    }
    return {uint16_t(counted ? sum / counted : 0), uint16_t(mask)};
}

Result<int> RecordingStore::count() const {
    DataFolderLock lock;
    if (Message m = startReading(root_, id_, lock); !m.isNone())
        return Result<int>::failure(m);
    BinaryFile data;
    if (Message m = openForReading(data, dataPath()); !m.isNone())
        return Result<int>::failure(m);
    return countOf(data, recordBytes());
}

RecordingListing RecordingStore::listIndex() const {
    RecordingListing listing;
    DataFolderLock lock;
    if (listing.message = startReading(root_, id_, lock); !listing.message.isNone())
        return listing;
    BinaryFile index;
    if (listing.message = openForReading(index, indexPath()); !listing.message.isNone())
        return listing;
    int32_t n = 0;
    if (index.size() >= kStoreHeaderBytes)
        n = index.readInt32At(0).value_or(0);
    if (n < 0 || n > kStoreCapacity) {
        listing.message = {ids::kDamagedFile, index.path()};
        return listing;
    }
    // Listing stops where the file ends.
    const qint64 held = (index.size() - kStoreHeaderBytes) / RecordIndexEntry::kBytes;
    n = int32_t(std::clamp<qint64>(held, 0, n));
    QByteArray bytes(n * RecordIndexEntry::kBytes, Qt::Uninitialized);
    if (n > 0 && !index.readAt(kStoreHeaderBytes, bytes.data(), bytes.size()))
        return listing;
    listing.recordings.reserve(size_t(n));
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
    for (int k = 0; k < n; ++k)
        listing.recordings.push_back(
            {k + 1, RecordIndexEntry::fromBytes(p + qint64(k) * RecordIndexEntry::kBytes)});
    return listing;
}

Result<QByteArray> RecordingStore::readRecordData(int k) const {
    return readRecordBytes(k, 2);
}

Result<QByteArray> RecordingStore::readRecord(int k) const {
    return readRecordBytes(k, 0);
}

Result<QByteArray> RecordingStore::readRecordBytes(int k, int skip) const {
    using R = Result<QByteArray>;
    DataFolderLock lock;
    if (Message m = startReading(root_, id_, lock); !m.isNone())
        return R::failure(m);
    BinaryFile data;
    if (Message m = openForReading(data, dataPath()); !m.isNone())
        return R::failure(m);
    const auto n = countOf(data, recordBytes());
    if (!n.ok())
        return R::failure(n.message());
    if (k < 0 || k >= n.value())
        return R::failure({ids::kNoRecordingNumber, QString::number(k + 1)});
    QByteArray bytes(recordBytes() - skip, Qt::Uninitialized);
    if (!data.readAt(kStoreHeaderBytes + qint64(k) * recordBytes() + skip, bytes.data(),
                     bytes.size()))
        return R::failure({ids::kDamagedFile, data.path()});
    return R::success(bytes);
}

Result<std::vector<int32_t>> RecordingStore::readSamples(int k) const {
    using R = Result<std::vector<int32_t>>;
    const auto data = readRecordData(k);
    if (!data.ok())
        return R::failure(data.message());
    return R::success(samplesOf(mode_, data.value()));
}

Result<RecordIndexEntry> RecordingStore::readEntry(int k) const {
    using R = Result<RecordIndexEntry>;
    DataFolderLock lock;
    if (Message m = startReading(root_, id_, lock); !m.isNone())
        return R::failure(m);
    BinaryFile index;
    if (Message m = openForReading(index, indexPath()); !m.isNone())
        return R::failure(m);
    const auto n = countOf(index, RecordIndexEntry::kBytes);
    if (!n.ok())
        return R::failure(n.message());
    if (k < 0 || k >= n.value())
        return R::failure({ids::kNoRecordingNumber, QString::number(k + 1)});
    uint8_t bytes[RecordIndexEntry::kBytes];
    if (!index.readAt(kStoreHeaderBytes + qint64(k) * RecordIndexEntry::kBytes, bytes,
                      sizeof bytes))
        return R::failure({ids::kDamagedFile, index.path()});
    return R::success(RecordIndexEntry::fromBytes(bytes));
}

SnapAppendResult RecordingStore::appendSnap(std::span<const SnapRecording> recordings) const {
    SnapAppendResult result;
    if (mode_ != RecordingMode::Snap) {
        result.message = {ids::kWriteFailed, {}};
        return result;
    }
    if (result.message = checkId(root_, id_); !result.message.isNone())
        return result;
    StoreFiles files(root_, mode_, id_);
    if (result.message = files.open(); !result.message.isNone())
        return result;
    const auto counted = files.checkedCount();
    if (!counted.ok()) {
        result.message = counted.message();
        return result;
    }
    int n = counted.value();
    for (const SnapRecording& recording : recordings) {
        if (n >= kStoreCapacity) {
            result.message = {ids::kStoreFull, id_};
            break;
        }
        const DeviceRecordHeader& h = recording.header;
        RecordIndexEntry entry;
        entry.time = SystemTime::fromFields(h.startTime);
        entry.kind = recordingTypeCode(h.recordingType);
        entry.heartRate = h.heartRate > kMaxReportedHeartRate ? 0 : h.heartRate;
        entry.extra = {h.extra[0], h.extra[1]};
        if (!writeAppended(files, n, snapRecordBytes(recording.blocks), entry)) {
            result.message = {ids::kWriteFailed, {}};
            break;
        }
        ++n;
        ++result.saved;
    }
    return result;
}

Result<> RecordingStore::appendContinuous(std::span<const AcqPacket> packets,
                                          std::optional<SystemTime> stamp) const {
    if (mode_ != RecordingMode::Continuous)
        return Message{ids::kWriteFailed, {}};
    if (Message m = checkId(root_, id_); !m.isNone())
        return m;
    StoreFiles files(root_, mode_, id_);
    if (Message m = files.open(); !m.isNone())
        return m;
    const auto n = files.checkedCount();
    if (!n.ok())
        return n.message();
    if (n.value() >= kStoreCapacity)
        return Message{ids::kStoreFull, id_};
    const SegmentSummary summary = summariseSegment(packets);
    RecordIndexEntry entry;
    entry.time = stamp.value_or(SystemTime::now());
    entry.kind = summary.eventMask;
    entry.heartRate = summary.averageHeartRate;
    const auto stored = packets.first(std::min<size_t>(packets.size(), kPacketsPerSegment));
    if (!writeAppended(files, n.value(), continuousRecordBytes(stored), entry))
        return Message{ids::kWriteFailed, {}};
    return {};
}

Result<int> RecordingStore::appendRecord(const RecordIndexEntry& entry,
                                         const QByteArray& record) const {
    using R = Result<int>;
    if (record.size() != recordBytes())
        return R::failure({ids::kWriteFailed, {}});
    if (Message m = checkId(root_, id_); !m.isNone())
        return R::failure(m);
    StoreFiles files(root_, mode_, id_);
    if (Message m = files.open(); !m.isNone())
        return R::failure(m);
    const auto n = files.checkedCount();
    if (!n.ok())
        return R::failure(n.message());
    if (n.value() >= kStoreCapacity)
        return R::failure({ids::kStoreFull, id_});
    if (!writeAppended(files, n.value(), record, entry))
        return R::failure({ids::kWriteFailed, {}});
    return R::success(n.value() + 1);
}

Result<> RecordingStore::remove(int k) const {
    if (Message m = checkId(root_, id_); !m.isNone())
        return m;
    if (k < kAll)
        return Message{ids::kNoRecordingNumber, QString::number(k + 1)};
    StoreRewrite rewrite(root_, mode_, id_);
    const auto start = k == kAll ? StoreRewrite::Start::Empty : StoreRewrite::Start::Keep;
    if (Message m = rewrite.begin(start, k, true); !m.isNone())
        return m;
    return rewrite.commit();
}

} // namespace vantora
