// vantora-cli notes get|set: the note of a recording, found by its start time.
#include "records/RecordingNotes.h"
#include "records/RecordingStore.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonObject>

namespace vantora::cli {

namespace {

struct NoteTarget {
    RecordingNotes notes;
    SystemTime start;
    int number;
};

NoteTarget noteTarget(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, false);
    const auto entry = RecordingStore(ctx.dataRoot, mode, patient.id).readEntry(k);
    failOnMessage(entry.message());
    return {RecordingNotes(ctx.dataRoot, mode, patient.id), entry.value().time, k + 1};
}

void printNote(const CliContext& ctx, const NoteTarget& target, const QString& text) {
    if (ctx.json)
        ctx.printJson(QJsonObject{{"number", target.number}, {"text", text}});
    else
        ctx.printLine(text);
}

} // namespace

int runNotes(CliContext& ctx) {
    const QString sub = ctx.takeWord("notes command (get, set)");
    if (sub == QStringLiteral("get")) {
        const NoteTarget target = noteTarget(ctx);
        ctx.finish();
        const auto note = target.notes.read(target.start);
        failOnMessage(note.message());
        printNote(ctx, target, note.value());
        return 0;
    }
    if (sub == QStringLiteral("set")) {
        const NoteTarget target = noteTarget(ctx);
        const QString text = ctx.requireOption("text");
        ctx.finish();
        check(target.notes.write(target.start, text));
        printNote(ctx, target, text.left(RecordingNotes::kMaxChars));
        return 0;
    }
    throw UsageError("unknown notes command: " + sub.toStdString());
}

} // namespace vantora::cli
