// vantora-cli analyse: the analysis page's run on a stored recording, with the
// library loaded by its file name beside the program for every run.
#include "core/SignalFormat.h"
#include "records/ExchangeExport.h"
#include "records/RecordingStore.h"
#include "records/RecordingTime.h"
#include "render/AnalysisPageModel.h"
#include "tools/cli/AnalysedStretch.h"
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

// One row per recording: number, start, and the six results as the page shows
// them (empty where the page shows "...").
int printTrendCsv(CliContext& ctx, RecordingMode mode, const QString& id, int k,
                  const Stretch& stretch, const QString& library) {
    requireWholeStore(ctx.dataRoot, mode, id);
    const RecordingStore store(ctx.dataRoot, mode, id);
    const RecordingListing listing = store.listIndex();
    failOnMessage(listing.message);
    const int held = store.count().value();
    ctx.printLine(QStringLiteral("number,start,heart_rate_bpm,st_mm,pr_ms,qrs_ms,qt_ms,qtc_ms"));
    AnalysisPageModel page(library);
    for (const ListedRecording& r : listing.recordings) {
        if (r.number > held || (k >= 0 && r.number != k + 1))
            continue;
        const auto read = store.readSamples(r.number - 1);
        failOnMessage(read.message());
        analyseOnPage(page, read.value(), stretch);
        QStringList row{QString::number(r.number), isoDateTimeText(recordingStart(mode, r.entry))};
        for (const QString& field : page.fields())
            row << (field == u"..." ? QString() : field);
        ctx.printLine(row.join(u','));
    }
    return 0;
}

} // namespace

Stretch takeStretch(CliContext& ctx, const char* command) {
    const Stretch s{ctx.takeIntOption("start"), ctx.takeIntOption("end")};
    const std::string name(command);
    if (s.start.has_value() != s.end.has_value())
        throw UsageError(name + ": --start and --end go together");
    if (s.start && !(0 <= *s.start && *s.start < *s.end && *s.end < kSamplesPerRecording))
        throw UsageError(name + ": --start and --end are sample numbers from 0 to 7499, "
                                "the start before the end");
    return s;
}

void analyseOnPage(AnalysisPageModel& page, std::span<const int32_t> samples,
                   const Stretch& stretch) {
    page.showRecording(samples);
    if (stretch.start && !page.RunAnalysis(*stretch.start, *stretch.end))
        page.clearResults();
}

int runAnalyse(CliContext& ctx) {
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const int k = requireRecordingChoice(ctx, true);
    const Stretch stretch = takeStretch(ctx, "analyse");
    const QString library = ctx.takeOption("library").value_or(QString());
    const QString format = ctx.takeOption("format").value_or(QStringLiteral("json"));
    ctx.finish();
    if (format != u"json" && format != u"csv")
        throw UsageError("analyse: --format is json or csv");
    if (format == u"csv")
        return printTrendCsv(ctx, mode, patient.id, k, stretch, library);
    if (k < 0)
        throw UsageError("analyse: --all needs --format csv");

    const auto read = RecordingStore(ctx.dataRoot, mode, patient.id).readSamples(k);
    failOnMessage(read.message());
    AnalysisPageModel page(library);
    analyseOnPage(page, read.value(), stretch);
    ctx.printJson(resultJson(page));
    return 0;
}

} // namespace vantora::cli
