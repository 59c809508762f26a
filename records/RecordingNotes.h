#pragma once

#include "core/Message.h"
#include "core/RecordingMode.h"
#include "core/Result.h"
#include "records/RecordIndexEntry.h"

#include <QString>

#include <optional>
#include <vector>

namespace vantora {

struct ListedRecording;
class BinaryFile;
class DataFolderLock;

// Free-text notes on recordings, one file per patient and kind
// ("SnapData/ID_Diag.dat" or "ContinueData/ID_Diag.dat"), found by the
// recording's start time. The file is a plain sequence of 416-byte records:
//   0   8  key: the start time as an OLE automation date (IEEE double, LE)
//   8   8  zero
//  16 400  text, UTF-16LE, at most 199 characters and a terminating zero
class RecordingNotes {
public:
    static constexpr int kRecordBytes = 416;
    static constexpr int kTextOffset = 16;
    static constexpr int kTextBytes = 400;
    static constexpr int kMaxChars = 199;

    RecordingNotes(QString dataRoot, RecordingMode mode, QString patientId);
    QString path() const;

    // The note of the recording that starts at `start`; empty when there is
    // none, the time has no key, or two recordings of the store start in that
    // second (the note could be either's). A file that cannot be opened or
    // created: 61256.
    Result<QString> read(const SystemTime& start) const;
    // The notes of a whole store at once, one per listed recording in the
    // listing's order: what read() gives for each, with the index and the
    // notes file read once (a page or an export of thousands of recordings).
    Result<std::vector<QString>> readAll(const std::vector<ListedRecording>& listing) const;
    // Overwrites the note with the same key, or adds one at the end; text
    // beyond 199 characters is cut. Failure: 61256, nothing written. Refused
    // (62680) when two recordings of the store start in that second.
    Result<> write(const SystemTime& start, const QString& text) const;

    // Days since 1899-12-30 with the time of day as the fraction; the day of
    // week and milliseconds take no part. No key for an invalid date or time.
    static std::optional<double> oleDateKey(const SystemTime& time);

private:
    // The folder held shared and the notes file open (created when missing).
    Message openForReading(DataFolderLock& lock, BinaryFile& file) const;

    QString root_;
    RecordingMode mode_;
    QString id_;
};

} // namespace vantora
