// vantora-cli recordings list|samples|remove: the recording stores of a patient.
#include "core/StringIds.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonArray>
#include <QJsonObject>

namespace vantora::cli {

namespace {

// Times in ISO 8601 with the local offset: a Continuous entry's stored time
// is its end, so both ends are given.
QJsonObject listedJson(RecordingMode mode, const ListedRecording& r) {
    QJsonArray fields;
    for (uint16_t f : r.entry.time.fields())
        fields.append(int(f));
    const RecordingSpan span = recordingSpan(mode, r.entry);
    return QJsonObject{{"number", r.number},
                       {"start", isoDateTimeText(span.start)},
                       {"end", isoDateTimeText(span.end)},
                       {"systemTime", fields},
                       {"kind", int(r.entry.kind)},
                       {"heartRate", int(r.entry.heartRate)}};
}

int list(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    ctx.finish();
    const RecordingListing listing = RecordingStore(ctx.dataRoot, mode, patient.id).listIndex();
    failOnMessage(listing.message);
    QJsonArray out;
    for (const ListedRecording& r : listing.recordings)
        out.append(listedJson(mode, r));
    ctx.printJson(out);
    return 0;
}

int samples(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, false);
    ctx.finish();
    const auto read = RecordingStore(ctx.dataRoot, mode, patient.id).readSamples(k);
    failOnMessage(read.message());
    QJsonArray out;
    for (int32_t v : read.value())
        out.append(v);
    ctx.printJson(out);
    return 0;
}

int remove(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, true);
    CliPrompter prompter = CliPrompter::forRemoval(ctx.takeFlag("yes"), "recordings remove");
    ctx.finish();
    const RecordingStore store(ctx.dataRoot, mode, patient.id);
    const int question =
        k == RecordingStore::kAll ? ids::kCliRemoveAllQuestion : ids::kCliRemoveOneQuestion;
    const bool removed = prompter.get().confirm({question, patient.id});
    if (removed)
        check(store.remove(k));
    const auto left = store.count();
    failOnMessage(left.message());
    if (ctx.json)
        ctx.printJson(QJsonObject{
            {"patient", patient.id}, {"removed", removed}, {"remaining", left.value()}});
    else
        ctx.printLine(QStringLiteral("%1 recordings remain").arg(left.value()));
    return 0;
}

} // namespace

int runRecordings(CliContext& ctx) {
    const QString sub = ctx.takeWord("recordings command (list, samples, remove)");
    if (sub == QStringLiteral("list"))
        return list(ctx);
    if (sub == QStringLiteral("samples"))
        return samples(ctx);
    if (sub == QStringLiteral("remove"))
        return remove(ctx);
    throw UsageError("unknown recordings command: " + sub.toStdString());
}

} // namespace vantora::cli
