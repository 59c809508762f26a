#pragma once

#include "app/Prompter.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/TerminalPrompter.h"

#include <QString>

namespace vantora::cli {

// --mode snap|continuous: the RecordingMode of the store a command works on.
int32_t requireMode(CliContext& ctx);

// --patient ID: a registered patient, found by id ignoring case; the id is
// the registered spelling. Unknown ids fail with 61912.
struct PatientRef {
    int position = 0; // 1-based
    QString id;
};
PatientRef requirePatient(CliContext& ctx);
PatientRef findPatient(const QString& dataRoot, const QString& id);

// --number K (1-based, as listed) or --all: the 0-based recording, or -1.
int requireRecordingChoice(CliContext& ctx, bool allowAll);

// --yes answers every question with Yes; otherwise the terminal asks.
class CliPrompter {
public:
    explicit CliPrompter(bool yes) : yes_(yes), always_(true) {}
    Prompter& get() { return yes_ ? static_cast<Prompter&>(always_) : terminal_; }

private:
    bool yes_;
    FixedPrompter always_;
    TerminalPrompter terminal_;
};

// Throws CommandFailure when the message is not empty.
void failOnMessage(const Message& message);

} // namespace vantora::cli
