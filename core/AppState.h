#pragma once

#include "core/DataPaths.h"

#include <QByteArray>
#include <QString>

namespace vantora {

// The analysis page's last selection, kept across visits: the page is built
// afresh each time. The entry's bytes tell a recording from one that took
// its number after a removal.
struct AnalysisSelection {
    RecordingMode mode = RecordingMode::None; // store kind it was made in
    QString patientId;                        // empty: nothing kept
    int recordingNumber = 0;                  // 1-based; 0: the patient itself
    QByteArray entry;                         // the recording's index entry
};

// Process-wide state shared by the pages: fixed at start-up (data root) or
// changed by navigation (recording mode, selected patient).
struct AppState {
    QString dataRoot; // absolute, without a trailing separator
    RecordingMode recordingMode = RecordingMode::None;
    bool pendingFile = false;       // m_bPendingFile: a handed-over file waits for import
    QString pendingPath;            // that file
    int32_t currentPatient = 0;     // 1-based registry position; <= 0: none
    bool homeShown = false;         // the home page has been set up in this run
    bool dataFolderChecked = false; // the home page's first-display checks are done
    AnalysisSelection analysisSelection;
};

} // namespace vantora
