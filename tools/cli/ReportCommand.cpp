// vantora-cli report: the report pages the analysis and replay pages print,
// written as one PDF: an analysis report after the same run as `analyse`, or
// record reports with each recording's note as the diagnosis; or, with
// --trend, the trend report of the patient's Continuous store.
#include "analysis/TrendBatch.h"
#include "core/AppSettings.h"
#include "core/SignalFormat.h"
#include "core/StringIds.h"
#include "records/PatientRegistry.h"
#include "records/RecordingStore.h"
#include "render/AnalysisPageModel.h"
#include "render/ReportOutput.h"
#include "render/ReportSources.h"
#include "render/TrendReport.h"
#include "tools/cli/CliContext.h"
#include "tools/cli/StoreOptions.h"

#include <QDir>
#include <QJsonObject>

namespace vantora::cli {

namespace {

QPageSize::PageSizeId paperOption(CliContext& ctx) {
    const QString paper = ctx.takeOption("paper").value_or(QStringLiteral("a4"));
    if (paper == QStringLiteral("a4"))
        return QPageSize::A4;
    if (paper == QStringLiteral("letter"))
        return QPageSize::Letter;
    throw UsageError("report: --paper is a4 or letter");
}

std::vector<int> recordingIndices(const CliContext& ctx, RecordingMode mode, const QString& id,
                                  int k) {
    if (k >= 0)
        return {k};
    const auto count = RecordingStore(ctx.dataRoot, mode, id).count();
    failOnMessage(count.message());
    std::vector<int> all;
    for (int i = 0; i < count.value(); ++i)
        all.push_back(i);
    return all;
}

AnalysisReportInput analysisInput(const AnalysisPageModel& page, const PatientRecord& patient,
                                  RecordingMode mode, const RecordIndexEntry& entry,
                                  const QString& diagnosis) {
    AnalysisReportInput in;
    in.patientId = patient.id;
    in.patientText = patient.id + u' ' + patient.name; // as the analysis tree lists it
    in.diagnosis = diagnosis;
    in.header = entry;
    in.mode = mode;
    in.beat = page.run().beat();
    in.parameters = page.run().parameters();
    in.start = page.run().windowStart();
    in.end = page.run().windowEnd();
    return in;
}

// The trend report of the whole store (at most its first 48 h, as the page
// opens), read through the same cache as `trend` and the page.
int runTrendReport(CliContext& ctx) {
    const std::optional<QString> mode = ctx.takeOption("mode");
    if (mode && *mode != QStringLiteral("continuous"))
        throw UsageError("report: --trend reports the Continuous store (--mode continuous)");
    const PatientRef patient = requirePatient(ctx);
    const QPageSize::PageSizeId paper = paperOption(ctx);
    const QString out = QDir(QDir::currentPath()).absoluteFilePath(ctx.requireOption("out"));
    ctx.finish();
    Result<TrendSeries> series = loadTrend(ctx.dataRoot, patient.id);
    failOnMessage(series.message());
    if (series.value().points.empty())
        throw CommandFailure{Message{ids::kTrendNoContinuousRecordingsOf, patient.id}};
    TrendPageModel model;
    model.setThresholds(TrendThresholds::load(AppSettings()));
    model.setSeries(std::move(series).value());
    const Result<PatientRecord> record = PatientRegistry(ctx.dataRoot).read(patient.position);
    failOnMessage(record.message());
    check(WriteReportPdf(out, paper, 1, [&](int, const QSize& sheet) {
        return MakeTrendReportPage(model, patient.id, record.value().name, sheet);
    }));
    if (ctx.json)
        ctx.printJson(QJsonObject{{"pages", 1},
                                  {"out", out},
                                  {"recordings", int(model.series().points.size())},
                                  {"summary", trendSummaryText(model)}});
    else
        ctx.printLine(QStringLiteral("%1: 1 page(s)\n%2").arg(out, trendSummaryText(model)));
    return 0;
}

} // namespace

int runReport(CliContext& ctx) {
    if (ctx.takeFlag("trend"))
        return runTrendReport(ctx);
    const RecordingMode mode = requireMode(ctx);
    const PatientRef patient = requirePatient(ctx);
    const bool analysis = ctx.takeFlag("analysis");
    const int k = requireRecordingChoice(ctx, !analysis);
    const std::optional<int> start = ctx.takeIntOption("start");
    const std::optional<int> end = ctx.takeIntOption("end");
    const QString diagnosis = ctx.takeOption("diagnosis").value_or(QString());
    const QPageSize::PageSizeId paper = paperOption(ctx);
    const QString out = QDir(QDir::currentPath()).absoluteFilePath(ctx.requireOption("out"));
    const QString library = ctx.takeOption("library").value_or(QString());
    ctx.finish();
    if (start.has_value() != end.has_value() || (start && !analysis))
        throw UsageError("report: --start and --end go together, with --analysis");
    if (start && !(0 <= *start && *start < *end && *end < kSamplesPerRecording))
        throw UsageError("report: --start and --end are sample numbers from 0 to 7499, "
                         "the start before the end");

    RecordReportSet set = ReadRecordReports(ctx.dataRoot, mode, patient.position,
                                            recordingIndices(ctx, mode, patient.id, k));
    failOnMessage(set.message);
    if (set.items.empty())
        throw CommandFailure{Message{ids::kNoRecordingsToReport, patient.id}};
    Result<> written;
    if (analysis) {
        const RecordReportItem& item = set.items.at(0);
        AnalysisPageModel page(library);
        page.showRecording(item.samples);
        if (start && !page.RunAnalysis(*start, *end))
            page.clearResults();
        if (!page.analysisValid())
            throw CommandFailure{Message{ids::kNotAnalysed, {}}};
        const AnalysisReportInput input =
            analysisInput(page, set.patient, mode, item.entry, diagnosis);
        written = WriteReportPdf(out, paper, 1, [&](int, const QSize& sheet) {
            return MakeAnalysisReportPage(item.samples, input, sheet);
        });
    } else {
        written =
            WriteReportPdf(out, paper, int(set.items.size()), [&](int index, const QSize& sheet) {
                return MakeRecordReportPage(set, index, sheet);
            });
    }
    check(written);
    const int pages = analysis ? 1 : int(set.items.size());
    if (ctx.json)
        ctx.printJson(QJsonObject{{"pages", pages}, {"out", out}});
    else
        ctx.printLine(QStringLiteral("%1: %2 page(s)").arg(out).arg(pages));
    return 0;
}

} // namespace vantora::cli
