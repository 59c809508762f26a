// vantora-cli import FILE and export: chart files and the recorder's card file.
#include "records/ChartFile.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QFileInfo>
#include <QJsonObject>

namespace vantora::cli {

int runImport(CliContext& ctx) {
    const QString file = ctx.takeWord("file to import");
    const RecordingMode mode = requireMode(ctx);
    const auto patientId = ctx.takeOption("patient");
    CliPrompter prompter(ctx.takeFlag("yes"));
    ctx.finish();
    const ChartFile charts(ctx.dataRoot, mode);
    ChartImportResult result;
    if (ChartFile::isCardFileName(file)) {
        if (!patientId)
            throw UsageError("a card file needs --patient");
        const PatientRef patient = findPatient(ctx.dataRoot, *patientId);
        result = charts.importCard(file, patient.position, prompter.get());
    } else {
        if (patientId)
            throw UsageError("a chart file names its own patient; --patient is for card files");
        result = charts.importChart(file, prompter.get());
    }
    failOnMessage(result.message);
    if (ctx.json) {
        ctx.printJson(QJsonObject{{"patient", result.patientId},
                                  {"imported", result.imported},
                                  {"registered", result.registered},
                                  {"declined", result.declined}});
    } else if (result.declined) {
        ctx.printLine(QStringLiteral("not imported"));
    } else {
        ctx.printLine(QStringLiteral("%1 recordings imported for patient %2")
                          .arg(result.imported)
                          .arg(result.patientId));
    }
    return 0;
}

int runExport(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, true);
    const QString out = ctx.requireOption("out");
    const bool force = ctx.takeFlag("force");
    CliPrompter prompter = CliPrompter::forRemoval(ctx.takeFlag("yes"), "export");
    ctx.finish();
    // The recordings leave the store, so the chart may become their only copy:
    // a file already there is never replaced by accident.
    if (QFileInfo::exists(out) && !force)
        throw CommandFailure{{climsg::kExportTargetExists, out}};
    ChartExportResult result;
    if (prompter.get().confirm({climsg::kExportQuestion, out})) {
        FixedPrompter replace(force);
        result = ChartFile(ctx.dataRoot, mode).exportRecordings(patient.position, k, out, replace);
    } else {
        result.declined = true;
    }
    if (result.pictureRequested)
        throw UsageError(
            "--out names a chart file (.cEcg); pictures come with the report commands");
    failOnMessage(result.message);
    if (ctx.json) {
        ctx.printJson(QJsonObject{
            {"file", out}, {"exported", result.exported}, {"declined", result.declined}});
    } else {
        ctx.printLine(
            result.declined
                ? QStringLiteral("not exported")
                : QStringLiteral("%1 recordings exported to %2").arg(result.exported).arg(out));
    }
    return 0;
}

} // namespace vantora::cli
