#pragma once

#include "core/AppState.h"
#include "core/Message.h"
#include "core/Result.h"

#include <QString>

namespace vantora {

// The data folder as start-up leaves it: its recording folders, the checks of
// the home page's first display (checkDataFolder, CheckFirstStart) and the
// classification of a file handed to the program. The command-line tool
// prepares its folder the same way.
class DataFolder {
public:
    // The result of classifying a file handed to the program.
    struct Classification {
        bool accepted = false;
        RecordingMode mode = RecordingMode::None; // Snap or Continuous when accepted
        Message message;                          // 61218 with the file's name when refused
    };

    // ".dat"/".DAT" names with a folder part: "ECGDATA.DAT" (case-sensitive) is a
    // card file (Snap), any other a Continuous recording. Everything else is
    // judged by the chart marker at offset 1392: 0x55 0xAA Snap, 0x77 0xEE
    // Continuous; a file without one is refused with 61218.
    static Classification classify(const QString& path);
    // classify() applied to the shared state: sets the recording mode and the
    // pending file. A refusal (61218) leaves the state alone.
    static Result<> ClassifyRecordFile(const QString& path, AppState& state);

    // First-start handling: with "FirstStart" = 0 truncates the registry, deletes
    // every recording file and sets "FirstStart" to 1. A missing value, or a
    // registry that cannot be created, changes nothing.
    static void CheckFirstStart(const QString& dataRoot);
    // Deletes every plain file in ContinueData and SnapData; sub-folders stay.
    static void DeleteAllRecordingFiles(const QString& dataRoot);
    // The home page's first-display check: opens or creates the registry
    // (61217 with "UserDA.txt" when it cannot) and deletes all recording files
    // when it counts no patient.
    static Result<> checkDataFolder(const QString& dataRoot);
    // Creates SnapData and ContinueData under the data root when missing. An
    // empty data root (no "FullPath" at a start with a file) creates nothing.
    static bool ensureRecordingFolders(const QString& dataRoot);
};

} // namespace vantora
