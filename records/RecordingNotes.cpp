#include "records/RecordingNotes.h"

#include "core/DataPaths.h"
#include "core/StringIds.h"
#include "records/BinaryFile.h"
#include "records/DataFolderLock.h"
#include "records/PatientRecord.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"

#include <QDate>

#include <bit>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace vantora {

namespace {

constexpr int kSecondsPerDay = 86400;
constexpr int kRecordsPerRead = 1024;

double keyAt(const uint8_t* record) {
    const uint64_t bits = uint64_t(getLE32(record)) | (uint64_t(getLE32(record + 4)) << 32);
    return std::bit_cast<double>(bits);
}

void putKey(uint8_t* record, double key) {
    const auto bits = std::bit_cast<uint64_t>(key);
    putLE32(record, uint32_t(bits));
    putLE32(record + 4, uint32_t(bits >> 32));
}

// Offset of the first record whose key equals `key`, or -1. A trailing piece
// shorter than a record is compared as if cleared past its end.
qint64 findKey(BinaryFile& file, double key) {
    const qint64 size = file.size();
    std::vector<uint8_t> buffer(size_t(kRecordsPerRead) * RecordingNotes::kRecordBytes);
    for (qint64 offset = 0; offset < size; offset += qint64(buffer.size())) {
        const qint64 piece = std::min<qint64>(qint64(buffer.size()), size - offset);
        std::fill(buffer.begin(), buffer.end(), uint8_t(0));
        if (!file.readAt(offset, buffer.data(), piece))
            return -1;
        for (qint64 r = 0; r < piece; r += RecordingNotes::kRecordBytes)
            if (keyAt(buffer.data() + r) == key)
                return offset + r;
    }
    return -1;
}

// True when two recordings of the store start in the same second: their
// notes would share one key, so neither can have one of its own.
bool keyShared(const QString& root, RecordingMode mode, const QString& id,
               const SystemTime& start) {
    const auto key = RecordingNotes::oleDateKey(start);
    if (!key)
        return false;
    int holders = 0;
    for (const ListedRecording& r : RecordingStore(root, mode, id).listIndex().recordings)
        holders += RecordingNotes::oleDateKey(r.entry.time) == key ? 1 : 0;
    return holders > 1;
}

} // namespace

RecordingNotes::RecordingNotes(QString dataRoot, RecordingMode mode, QString patientId)
    : root_(std::move(dataRoot)), mode_(mode), id_(std::move(patientId)) {}

QString RecordingNotes::path() const {
    return paths::notesFile(root_, mode_, id_);
}

std::optional<double> RecordingNotes::oleDateKey(const SystemTime& t) {
    // The automation date's range is the years 100 to 9999.
    if (t.year < 100 || t.year > 9999 || !QDate::isValid(t.year, t.month, t.day) || t.hour > 23 ||
        t.minute > 59 || t.second > 59)
        return std::nullopt;
    const qint64 days =
        QDate(t.year, t.month, t.day).toJulianDay() - QDate(1899, 12, 30).toJulianDay();
    const double fraction = double(t.hour * 3600 + t.minute * 60 + t.second) / kSecondsPerDay;
    // Before the epoch the day counts down while the time of day still counts up.
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

Message RecordingNotes::openForReading(DataFolderLock& lock, BinaryFile& file) const {
    lock = DataFolderLock::shared(root_);
    if (!lock.held())
        return lock.message();
    if (!file.open(path(), BinaryFile::Mode::OpenOrCreate))
        return {ids::kNotesFileFailed, {}};
    return {};
}

Result<QString> RecordingNotes::read(const SystemTime& start) const {
    using R = Result<QString>;
    if (!isValidPatientId(id_))
        return R::failure({ids::kInvalidPatientId, id_});
    if (keyShared(root_, mode_, id_, start))
        return R::success({});
    DataFolderLock lock;
    BinaryFile file;
    if (Message m = openForReading(lock, file); !m.isNone())
        return R::failure(m);
    const auto key = oleDateKey(start);
    if (!key)
        return R::success({});
    const qint64 at = findKey(file, *key);
    if (at < 0)
        return R::success({});
    uint8_t text[kTextBytes] = {};
    // A trailing piece reads as cleared past the end of the file.
    const qint64 available = std::clamp<qint64>(file.size() - at - kTextOffset, 0, kTextBytes);
    if (available > 0 && !file.readAt(at + kTextOffset, text, available))
        return R::success({});
    return R::success(readUtf16Field(text, kTextBytes));
}

namespace {

// The bits of a key, with the two zeros as one (they compare equal).
uint64_t keyBits(double key) {
    return std::bit_cast<uint64_t>(key == 0.0 ? 0.0 : key);
}

} // namespace

Result<std::vector<QString>>
RecordingNotes::readAll(const std::vector<ListedRecording>& listing) const {
    using R = Result<std::vector<QString>>;
    if (!isValidPatientId(id_))
        return R::failure({ids::kInvalidPatientId, id_});
    std::unordered_map<uint64_t, int> holders;
    for (const ListedRecording& r : listing)
        if (const auto key = oleDateKey(r.entry.time))
            ++holders[keyBits(*key)];
    DataFolderLock lock;
    BinaryFile file;
    if (Message m = openForReading(lock, file); !m.isNone())
        return R::failure(m);
    // A trailing piece reads as cleared past the end of the file, as in read().
    const qint64 size = file.size();
    std::vector<uint8_t> bytes(size_t((size + kRecordBytes - 1) / kRecordBytes * kRecordBytes));
    if (size > 0 && !file.readAt(0, bytes.data(), size))
        return R::success(std::vector<QString>(listing.size()));
    std::unordered_map<uint64_t, size_t> first; // the first record of each key
    for (size_t at = 0; at < bytes.size(); at += kRecordBytes)
        first.emplace(keyBits(keyAt(bytes.data() + at)), at);
    std::vector<QString> notes(listing.size());
    for (size_t i = 0; i < listing.size(); ++i) {
        const auto key = oleDateKey(listing[i].entry.time);
        if (!key || holders[keyBits(*key)] > 1)
            continue;
        const auto found = first.find(keyBits(*key));
        if (found != first.end())
            notes[i] = readUtf16Field(bytes.data() + found->second + kTextOffset, kTextBytes);
    }
    return R::success(std::move(notes));
}

Result<> RecordingNotes::write(const SystemTime& start, const QString& text) const {
    if (!isValidPatientId(id_))
        return Message{ids::kInvalidPatientId, id_};
    // A recording whose start time is no date has no key to find its note
    // by: writing one would only grow the file.
    const auto key = oleDateKey(start);
    if (!key)
        return Message{ids::kNotesFileFailed, {}};
    if (keyShared(root_, mode_, id_, start)) {
        RecordIndexEntry shared;
        shared.time = start;
        return Message{ids::kNoteKeyShared, recordingTimeText(mode_, shared)};
    }
    const DataFolderLock lock = DataFolderLock::exclusive(root_);
    if (!lock.held())
        return lock.message();
    BinaryFile file;
    if (!file.open(path(), BinaryFile::Mode::OpenOrCreate))
        return Message{ids::kNotesFileFailed, {}};
    uint8_t record[kRecordBytes] = {};
    putKey(record, *key);
    writeUtf16Field(record + kTextOffset, kTextBytes, text);
    qint64 at = findKey(file, *key);
    if (at < 0) // added after the last whole record
        at = file.size() / kRecordBytes * kRecordBytes;
    if (!file.writeAt(at, record, kRecordBytes) || !file.sync())
        return Message{ids::kNotesFileFailed, {}};
    return {};
}

} // namespace vantora
