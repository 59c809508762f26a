#pragma once

#include "core/AppState.h"
#include "core/Message.h"

#include <QString>

#include <optional>

namespace vantora {

class SingleInstance;

// The application object's start-up logic, every step that is not a window.
// The shell runs StartUp::prepare() before it creates the main frame and shows
// the outcome's message when there is one. The data folder's own checks are
// DataFolder's.
class StartUp {
public:
    // Settings "FullPath".
    static bool SaveDataRoot(const QString& path);
    static bool LoadDataRoot(QString& path);
    // The ".dat" association: written only when it is unset or already names
    // fileTypeId; an association of another program stays (true).
    static bool RegisterDatShellNew(const QString& fileTypeId);
    // The shell file type id of the document template string 128 (its sixth
    // "\n"-separated field), "Corvid.Document" in the program's own copy.
    static QString fileTypeIdOfTemplate(const QString& templateText);

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
