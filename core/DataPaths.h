#pragma once

#include "core/RecordingMode.h"

#include <QString>

namespace vantora {

// Every data path is the data root plus a fixed suffix; these are the only
// places that build them.
namespace paths {
QString registry(const QString& root);        // root/UserDA.txt
QString scratchRegistry(const QString& root); // root/UserDA.txt.new, renamed over it when whole
QString snapFolder(const QString& root);      // root/SnapData
QString continueFolder(const QString& root);  // root/ContinueData
QString helpFile(const QString& root);        // root/ECG.chm
// Folder of the recordings of the given mode (Snap or Continuous).
QString modeFolder(const QString& root, RecordingMode mode);
QString snapData(const QString& root, const QString& id);      // SnapData/id-Snap.dat
QString snapIndex(const QString& root, const QString& id);     // SnapData/id-idx.dat
QString continueData(const QString& root, const QString& id);  // ContinueData/id-Con.dat
QString continueIndex(const QString& root, const QString& id); // ContinueData/id-idx.dat
// The analysed trend of a Continuous store, rebuilt from it whenever in doubt.
QString continueTrendCache(const QString& root, const QString& id); // ContinueData/id-trend.dat
// Data file and index file of the given mode.
QString dataFile(const QString& root, RecordingMode mode, const QString& id);
QString indexFile(const QString& root, RecordingMode mode, const QString& id);
// Recording notes of the given mode: SnapData/id_Diag.dat or ContinueData/id_Diag.dat.
QString notesFile(const QString& root, RecordingMode mode, const QString& id);
// Scratch files in the data root that replace a store's two files when a
// rewrite is complete: root/id-Snap.dat or root/id-Con.dat, and root/id-idx.dat.
QString scratchDataFile(const QString& root, RecordingMode mode, const QString& id);
QString scratchIndexFile(const QString& root, const QString& id);
// Intent journal of a replacement in progress: root/id-Snap.jnl or root/id-Con.jnl.
QString journalFile(const QString& root, RecordingMode mode, const QString& id);
// Intent journal of a patient delete in progress: root/id-Del.jnl.
QString deleteJournal(const QString& root, const QString& id);
} // namespace paths

} // namespace vantora
