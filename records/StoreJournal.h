#pragma once

#include "core/RecordingMode.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vantora {

// A store is replaced by two renames (data file, then index file). Between
// them the store would pair new records with old entries, so the replacement
// is announced first by an intent journal in the data root, written and put
// on the disk before the first rename and removed after the second. The next
// open of either store of the patient finishes what the journal announces
// (the scratch files are whole once it exists) and deletes scratch files that
// no journal announces (a rewrite that had not reached its renames).
class StoreJournal {
public:
    StoreJournal(QString dataRoot, RecordingMode mode, QString patientId);

    // Writes and syncs the journal; false when it cannot. `newPatient` (an
    // encoded PatientRecord, or empty) is registered with the replacement:
    // a chart's patient comes only together with its recordings.
    bool announce(const QByteArray& newPatient = {}) const;
    // Once both files are in place: registers the new patient, if any and not
    // listed yet, and removes the journal.
    bool finish(const QByteArray& newPatient = {}) const;

    // Rolls an interrupted replacement of the patient's Snap or Continuous
    // store forward, then removes leftover scratch files. Cheap when nothing
    // is left over: one existence check per file.
    static void recover(const QString& dataRoot, const QString& patientId);
    // The same for every journal and scratch file in the data root (the
    // registry's readers: a patient whose registration a journal announces is
    // listed at once, and scratch files of any id go).
    static void recoverAll(const QString& dataRoot);

    // A patient delete leaves the registry in one rename, then deletes the
    // patient's files. Its journal, written and synced before the rename,
    // lets the next open finish the deletion after a kill in between, so a
    // later patient of the same id never takes over the deleted recordings.
    static bool announceDelete(const QString& dataRoot, const QString& patientId);
    // Deletes the patient's store and note files, then the journal.
    static void finishDelete(const QString& dataRoot, const QString& patientId);
    // Finishes a journaled delete if the registry no longer lists the
    // patient, else drops the journal (the rename did not happen).
    static void settleDelete(const QString& dataRoot, const QString& patientId);

private:
    bool close() const;
    bool rollForward(const QByteArray& newPatient) const;
    // The new patient a whole journal announces (empty for none); nullopt
    // without a whole journal.
    std::optional<QByteArray> readIntent() const;

    QString root_;
    RecordingMode mode_;
    QString id_;
};

} // namespace vantora
