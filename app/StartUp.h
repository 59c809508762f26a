#pragma once

#include "core/AppState.h"
#include "core/Message.h"

#include <QString>

#include <optional>

namespace vantora {

class SingleInstance;

// The application object's start-up logic, every step that is not a window.
// The shell runs StartUp::prepare() before it creates the main frame, shows
// the outcome's message when there is one, and calls the home page's checks
// (checkDataFolder, CheckFirstStart) on the first display of the home page.
class StartUp {
public:
    // The result of classifying a file handed to the program.
    struct Classification {
        bool accepted = false;
        int32_t mode = kModeNone; // kModeSnap or kModeContinuous when accepted
        Message message;          // 61218 with the file's name when refused
    };

    // ".dat"/".DAT" names with a folder part: "ECGDATA.DAT" (case-sensitive) is a
    // card file (Snap), any other a Continuous recording. Everything else is
    // judged by the chart marker at offset 1392: 0x55 0xAA Snap, 0x77 0xEE
    // Continuous; a file without one is refused with 61218.
    static Classification classify(const QString& path);
    // classify() applied to the shared state: sets the recording mode and the
    // pending file. False leaves the state alone and puts 61218 in *refusal.
    static bool ClassifyRecordFile(const QString& path, AppState& state,
                                   Message* refusal = nullptr);

    // Settings "FullPath".
    static bool SaveDataRoot(const QString& path);
    static bool LoadDataRoot(QString& path);
    // The ".dat" association: written only when it is unset or already names
    // fileTypeId; an association of another program stays (true).
    static bool RegisterDatShellNew(const QString& fileTypeId);
    // The shell file type id of the document template string 128 (its sixth
    // "\n"-separated field), "Corvid.Document" in the program's own copy.
    static QString fileTypeIdOfTemplate(const QString& templateText);

    // First-start handling: with "FirstStart" = 0 truncates the registry, deletes
    // every recording file and sets "FirstStart" to 1. A missing value, or a
    // registry that cannot be created, changes nothing.
    static void CheckFirstStart(const QString& dataRoot);
    // Deletes every plain file in ContinueData and SnapData; sub-folders stay.
    static void DeleteAllRecordingFiles(const QString& dataRoot);
    // The home page's first-display check: opens or creates the registry
    // (61217 with "UserDA.txt" when it cannot) and deletes all recording files
    // when it counts no patient.
    static Message checkDataFolder(const QString& dataRoot);
    // Creates SnapData and ContinueData under the data root when missing. An
    // empty data root (no "FullPath" at a start with a file) creates nothing.
    static bool ensureRecordingFolders(const QString& dataRoot);

    // The application name: string 57344 when it has text, else empty.
    static QString applicationName();

    // What prepare() decided.
    struct Outcome {
        enum class Kind {
            Run,         // create the main frame; first page by state.recordingMode
            SecondCopy,  // another copy runs: show `message` (61273) and end
            HandedOver,  // the file was passed to the running copy: end quietly
            RefusedFile, // the file is not importable: show `message` (61218) and end
        };
        Kind kind = Kind::Run;
        Message message;
        bool proceed() const { return kind == Kind::Run; }
    };

    // Start-up steps in order: resource library, single instance (when given),
    // data root (the current folder without a file and saved as "FullPath"; the
    // saved "FullPath" with a file, whose classification then sets the mode),
    // the recording folders and the ".dat" association. `fileArg` is the one
    // command-line path, empty for none.
    static Outcome prepare(AppState& state, const QString& currentFolder, const QString& fileArg,
                           SingleInstance* instance);
};

} // namespace vantora
