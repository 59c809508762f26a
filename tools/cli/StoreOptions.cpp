#include "tools/cli/StoreOptions.h"

#include "core/DataPaths.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "records/StoreMessages.h"

#include <unistd.h>

namespace vantora::cli {

RecordingMode requireMode(CliContext& ctx) {
    const QString mode = ctx.requireOption("mode");
    if (mode == QStringLiteral("snap"))
        return RecordingMode::Snap;
    if (mode == QStringLiteral("continuous"))
        return RecordingMode::Continuous;
    throw UsageError("--mode takes snap or continuous");
}

PatientRef findPatient(const QString& dataRoot, const QString& id, Qt::CaseSensitivity cs) {
    const PatientList list = PatientRegistry(dataRoot).loadAll();
    for (qsizetype i = 0; i < list.records.size(); ++i) {
        if (list.records[i].id.compare(id, cs) == 0)
            return {int(i + 1), list.records[i].id};
    }
    // A list that stopped at a damaged record may hold the patient further on.
    failOnMessage(list.message);
    throw CommandFailure{{storemsg::kNoPatientWithId, id}};
}

void requireWholeStore(const QString& dataRoot, RecordingMode mode, const QString& id) {
    const RecordingStore store(dataRoot, mode, id);
    failOnMessage(store.count().message());
    failOnMessage(store.listIndex().message);
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
