#include "tools/cli/StoreOptions.h"

#include "core/DataPaths.h"
#include "records/PatientRegistry.h"
#include "records/StoreMessages.h"

#include <unistd.h>

namespace vantora::cli {

int32_t requireMode(CliContext& ctx) {
    const QString mode = ctx.requireOption("mode");
    if (mode == QStringLiteral("snap"))
        return kModeSnap;
    if (mode == QStringLiteral("continuous"))
        return kModeContinuous;
    throw UsageError("--mode takes snap or continuous");
}

PatientRef findPatient(const QString& dataRoot, const QString& id) {
    const PatientRegistry registry(dataRoot);
    const int position = registry.findById(id);
    if (position > 0) {
        const PatientReadResult found = registry.read(position);
        if (found.record)
            return {position, found.record->id};
    }
    throw CommandFailure{{storemsg::kNoPatientWithId, id}};
}

PatientRef requirePatient(CliContext& ctx) {
    return findPatient(ctx.dataRoot, ctx.requireOption("patient"));
}

int requireRecordingChoice(CliContext& ctx, bool allowAll) {
    const auto number = ctx.takeIntOption("number");
    const bool all = allowAll && ctx.takeFlag("all");
    if (number.has_value() == all)
        throw UsageError(allowAll ? "give either --number K or --all" : "--number is required");
    if (all)
        return -1;
    if (*number < 1)
        throw UsageError("--number counts from 1");
    return *number - 1;
}

CliPrompter CliPrompter::forRemoval(bool yes, const char* command) {
    if (!yes && ::isatty(STDIN_FILENO) == 0)
        throw UsageError(std::string(command) +
                         " removes recordings and asks first; without a terminal give --yes");
    return CliPrompter(yes);
}

void failOnMessage(const Message& message) {
    if (!message.isNone())
        throw CommandFailure{message};
}

} // namespace vantora::cli
