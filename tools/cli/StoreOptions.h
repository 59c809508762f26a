#pragma once

#include "core/Prompter.h"
#include "core/RecordingMode.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/TerminalPrompter.h"

#include <QString>

namespace vantora::cli {

// --mode snap|continuous: the RecordingMode of the store a command works on.
RecordingMode requireMode(CliContext& ctx);

// --patient ID: a registered patient, found by id ignoring case; the id is
// the registered spelling. Unknown ids fail with 61912. findPatient compares
// as `cs` says (patients edit and delete take the id exactly as listed).
struct PatientRef {
    int position = 0; // 1-based
    QString id;
};
PatientRef requirePatient(CliContext& ctx);
PatientRef findPatient(const QString& dataRoot, const QString& id,
                       Qt::CaseSensitivity cs = Qt::CaseInsensitive);

// Commands that go over the listed recordings refuse a store whose data
// count the file cannot hold (61218 with its path): the listing would end
// early and the recordings it lacks would look missing, not damaged.
void requireWholeStore(const QString& dataRoot, RecordingMode mode, const QString& id);

// --number K (1-based, as listed) or --all: the 0-based recording, or -1.
int requireRecordingChoice(CliContext& ctx, bool allowAll);

// Messages of the command line's own questions and refusals.
namespace climsg {
constexpr int kExportQuestion = 62060;     // "$": the chart file
constexpr int kRemoveOneQuestion = 62061;  // "$": patient id
constexpr int kRemoveAllQuestion = 62062;  // "$": patient id
constexpr int kExportTargetExists = 62063; // "$": the chart file
} // namespace climsg

// --yes answers every question with Yes; otherwise the terminal asks.
class CliPrompter {
public:
    explicit CliPrompter(bool yes) : yes_(yes), always_(true) {}
    // Commands that remove or move recordings: the chart may become their
    // only copy, so without --yes a person must answer. With no terminal on
    // stdin the command is refused (UsageError) before anything is asked.
    static CliPrompter forRemoval(bool yes, const char* command);
    Prompter& get() { return yes_ ? static_cast<Prompter&>(always_) : terminal_; }

private:
    bool yes_;
    FixedPrompter always_;
    TerminalPrompter terminal_;
};

// Throws CommandFailure when the message is not empty.
void failOnMessage(const Message& message);

} // namespace vantora::cli
