#pragma once

#include "core/AcqPacket.h"
#include "core/DataPaths.h"
#include "core/DeviceRecordHeader.h"
#include "core/Message.h"
#include "core/Result.h"
#include "core/SampleRange.h"
#include "records/RecordIndexEntry.h"
#include "records/SampleBlock.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <span>
#include <vector>

namespace vantora {

// Store layout, both kinds. Data file: a 32-bit count, then fixed records.
// Index file "-idx.dat": a 32-bit count, then one RecordIndexEntry per record.
//   SnapRecord        7517 bytes: marker 0x55 0xAA, 15 SampleBlocks
//   ContinuousRecord 30002 bytes: marker 0x55 0xAA, 7500 32-bit samples
constexpr int kSnapRecordBytes = 2 + kSnapBlockBytes;                // 7517
constexpr int kContinuousRecordBytes = 2 + 4 * kSamplesPerRecording; // 30002
constexpr int kStoreCapacity = 5760; // 48 hours of 30-second segments
constexpr int kRecordingsPerPage = 15;
constexpr int kStoreHeaderBytes = 4; // the count

// Record size of a recording mode (Snap or Continuous).
int recordBytesOf(RecordingMode mode);

// The 7500 samples of a Continuous record's 30000 sample bytes. A damaged
// file's sample can be any 32-bit value; each is clamped (clampSample) before
// builders, renderers and exports see it.
std::vector<int32_t> continuousSamples(const uint8_t* sampleBytes);

// One recording as the download page saves it: the recorder's header and
// its 15 blocks.
struct SnapRecording {
    DeviceRecordHeader header;
    SnapBlocks blocks;
};

// One recording listed from the index, numbered from 1.
struct ListedRecording {
    int number = 0;
    RecordIndexEntry entry;
};

// The index of a store. A count beyond what the file holds lists what is
// there; a negative count or one above capacity lists nothing (61218).
struct RecordingListing {
    std::vector<ListedRecording> recordings;
    Message message;
};

// One recording with its entry, as a review page shows it: `data` holds the
// record without its marker (7515 block bytes or 30000 sample bytes).
struct PagedRecording {
    int number = 0; // 1-based
    RecordIndexEntry entry;
    QByteArray data;
};

// Page p (0-based) of a store, 15 recordings a page.
struct RecordingPage {
    int page = 0;      // 0-based page asked for
    int pageCount = 0; // ceil(N / 15)
    std::vector<PagedRecording> recordings;
    Message message;
};

// Outcome of saving Snap recordings: how many of the given recordings were
// stored (in order), and why it stopped early.
struct SnapAppendResult {
    int saved = 0;
    Message message;
};

// The recordings of one patient and one kind: the data file and the index
// file of the mode's folder, named after the patient id. Every operation opens
// the files, works with absolute seeks and closes them.
//
// Data safety: appends write the record and its entry first and raise both
// counts last (data file, then index), so an interrupted append leaves
// nothing counted that is not whole. Counts read from the files are checked
// before use: negative, above capacity or beyond what the file holds is a
// damaged store (61218) and nothing is written.
class RecordingStore {
public:
    RecordingStore(QString dataRoot, RecordingMode mode, QString patientId);

    RecordingMode mode() const { return mode_; }
    const QString& patientId() const { return id_; }
    QString dataPath() const;
    QString indexPath() const;
    int recordBytes() const { return recordBytesOf(mode_); }

    // The number of recordings (the data file's count). Readers never create
    // files: a missing file counts 0 and lists, reads and pages as empty.
    Result<int> count() const;
    RecordingListing listIndex() const;
    // Record k (0-based) without its marker: 7515 or 30000 bytes.
    Result<QByteArray> readRecordData(int k) const;
    // Record k whole, with its marker, as the file holds it.
    Result<QByteArray> readRecord(int k) const;
    // Record k as 7500 samples (Snap decoded).
    Result<std::vector<int32_t>> readSamples(int k) const;
    Result<RecordIndexEntry> readEntry(int k) const;
    RecordingPage readPage(int page) const;

    // Snap store only. Appends in order; stops at capacity (61286 with the id)
    // or at a failed write (61341); the recordings stored before stay.
    SnapAppendResult appendSnap(std::span<const SnapRecording> recordings) const;
    // Continuous store only. Stores the samples of the first 1875 packets;
    // every packet counts for the heart-rate average (rates strictly between 0
    // and 500) and the event mask (bit code-1 for rhythm code > 0). `stamp`
    // defaults to the local time now, the end of the segment.
    Result<> appendContinuous(std::span<const AcqPacket> packets,
                              std::optional<SystemTime> stamp = std::nullopt) const;

    // Either store. Appends one record (whole, with its marker) and its entry
    // exactly as given; gives the new recording's 1-based number. Refused at
    // capacity (61286) or for a record of the wrong size (61341).
    Result<int> appendRecord(const RecordIndexEntry& entry, const QByteArray& record) const;

    // Removes recording k (0-based), or all with kAll, through scratch files in
    // the data root that replace the two files only when complete.
    static constexpr int kAll = -1;
    Result<> remove(int k) const;
    Result<> removeAll() const { return remove(kAll); }

private:
    Result<QByteArray> readRecordBytes(int k, int skip) const;

    QString root_;
    RecordingMode mode_;
    QString id_;
};

// Heart-rate average and event mask of a continuous segment, as stored.
struct SegmentSummary {
    uint16_t averageHeartRate = 0;
    uint16_t eventMask = 0;
};
SegmentSummary summariseSegment(std::span<const AcqPacket> packets);

constexpr int kPacketsPerSegment = kSamplesPerRecording / kAcqSamplesPerPacket; // 1875

} // namespace vantora
