#pragma once

#include <QString>

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
    StoreJournal(QString dataRoot, int mode, QString patientId);

    // Writes and syncs the journal; false when it cannot.
    bool announce() const;
    // Removes the journal once both files are in place.
    bool close() const;

    // Rolls an interrupted replacement of the patient's Snap or Continuous
    // store forward, then removes leftover scratch files. Cheap when nothing
    // is left over: one existence check per file.
    static void recover(const QString& dataRoot, const QString& patientId);

private:
    bool rollForward() const;
    bool holdsIntent() const;

    QString root_;
    int mode_;
    QString id_;
};

} // namespace vantora
