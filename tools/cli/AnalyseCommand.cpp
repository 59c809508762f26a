// vantora-cli analyse: the analysis page's run on a stored recording, with the
// library loaded by its file name beside the program for every run.
#include "analysis/AnalysisPageModel.h"
#include "records/RecordingStore.h"
#include "records/SampleBlock.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QJsonArray>
#include <QJsonObject>

namespace vantora::cli {

namespace {

template <typename Values> QJsonArray toArray(const Values& values) {
    QJsonArray out;
    for (const auto& v : values)
        out.append(v);
    return out;
}

QJsonObject indicesJson(const WaveIndices& indices) {
    QJsonObject out;
    for (size_t k = 0; k < indices.values.size(); ++k)
        out.insert(QLatin1String(WaveIndices::kNames[k]),
                   indices.values[k] ? QJsonValue(*indices.values[k]) : QJsonValue());
    return out;
}

QJsonObject resultJson(const AnalysisPageModel& page) {
    const bool valid = page.analysisValid();
    const AnalysisRun& run = page.run();
    return QJsonObject{
        {"result", valid},
        {"window", valid ? QJsonArray{run.windowStart(), run.windowEnd()} : QJsonArray()},
        {"parameters", valid ? toArray(run.parameters()) : QJsonArray()},
        {"averagedBeat", valid ? toArray(run.beat()) : QJsonArray()},
        {"indices", valid ? indicesJson(run.indices()) : QJsonObject()},
        {"fields", toArray(page.fields())}};
}

} // namespace

int runAnalyse(CliContext& ctx) {
    const int32_t mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, false);
    const std::optional<int> start = ctx.takeIntOption("start");
    const std::optional<int> end = ctx.takeIntOption("end");
    const QString library = ctx.takeOption("library").value_or(QString());
    ctx.finish();
    if (start.has_value() != end.has_value())
        throw UsageError("analyse: --start and --end go together");
    if (start && !(0 <= *start && *start < *end && *end < kSamplesPerRecording))
        throw UsageError("analyse: --start and --end are sample numbers from 0 to 7499, "
                         "the start before the end");

    const auto read = RecordingStore(ctx.dataRoot, mode, patient.id).readSamples(k);
    failOnMessage(read.message);
    // The page's road: the whole recording when it is selected, then the
    // chosen stretch as two clicks would give it.
    AnalysisPageModel page(library);
    page.showRecording(read.value);
    if (start && !page.RunAnalysis(*start, *end))
        page.clearResults();
    ctx.printJson(resultJson(page));
    return 0;
}

} // namespace vantora::cli
